#pragma once
// The finish page's account of what a run could not destroy beyond doubt: one line for each
// file or drive, with its reasons in a few words.

#include <string>
#include <vector>

#include "wipe/run_report.h"

namespace vexlor::wizard {

inline constexpr wchar_t NotDestroyedCaption[] = L"Уничтожено не окончательно или не уничтожено:";

std::wstring ReasonText(wipe::Reason reason);
// "C:\a\b.txt — удалить не удалось; ..."; a drive's line names the drive.
std::wstring OutcomeLine(const wipe::Outcome& outcome);
std::vector<std::wstring> OutcomeLines(const std::vector<wipe::Outcome>& outcomes);

} // namespace vexlor::wizard
