#pragma once
// When to look for a newer version, and what to tell the user when there is one.

#include <functional>
#include <string>
#include <vector>

namespace vexlor::update {

// How often, in whole days, the product site is asked.
inline constexpr int UpdateCheckDays = 6;
// The version file's name in the data folder.
inline constexpr wchar_t VersionFileName[] = L"updates.txt";

// True when six or more whole days lie between now and the last check, either way. A check
// never made is recorded as made now, and is not due.
bool IsUpdateCheckDue();

// The prompt for the version file's lines: line 1 as written, lines 2 to 5 (empty where the
// file has fewer), and the question, each piece after the first parted by LF then CR.
std::wstring UpdatePromptText(const std::vector<std::wstring>& lines);

// Asks the user a question with the answers Yes and No, with this caption; true for Yes.
using AskYesNo = std::function<bool(const std::wstring& question, const std::wstring& caption)>;

// The end of a check, on the GUI thread: reads the version file of the data folder and, when
// it announces a version newer than this one, asks whether to update; Yes opens the
// installer's page. A file that cannot be read, or holds no lines, shows nothing.
void DownLoaderTerminate(const AskYesNo& ask);

} // namespace vexlor::update
