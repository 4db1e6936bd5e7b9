#include "update/update_check.h"

#include <cmath>

#include "base/error.h"
#include "base/product.h"
#include "platform/text_file.h"
#include "platform/web_pages.h"
#include "settings/data_folder.h"
#include "settings/settings.h"
#include "update/version_number.h"

namespace vexlor::update {
namespace {

// A version file is a few short lines; anything larger is not one.
constexpr std::uint64_t kMaxVersionFileBytes = 1 << 20;
constexpr wchar_t kBreak[] = L"\n\r"; // LF then CR, in that order

std::vector<std::wstring> VersionFileLines() {
    try {
        const auto lines = platform::ReadTextLinesIfPresent(
            settings::GetDataFolder() + VersionFileName, kMaxVersionFileBytes);
        return lines.value_or(std::vector<std::wstring>{});
    } catch (const Error&) {
        return {}; // locked, unreadable or too large: no prompt
    }
}

} // namespace

bool IsUpdateCheckDue() {
    const double last = settings::ReadSettingDate(L"LastUpdate");
    const double now = settings::CurrentDateTime();
    return std::trunc(std::fabs(now - last)) >= UpdateCheckDays;
}

std::wstring UpdatePromptText(const std::vector<std::wstring>& lines) {
    const auto line = [&lines](std::size_t index) {
        return index < lines.size() ? lines[index] : std::wstring();
    };
    std::wstring text = L"На сайте доступна новая версия программы (" + line(0) + L")";
    for (std::size_t index = 1; index <= 4; ++index)
        text += kBreak + line(index);
    return text + kBreak + L"Вы хотите обновить программу?";
}

void DownLoaderTerminate(const AskYesNo& ask) {
    const std::vector<std::wstring> lines = VersionFileLines();
    if (lines.empty())
        return;
    // Numbers are read with "." as the separator whatever the user's locale; the program
    // formats no numbers, so nothing else depends on it.
    if (!(VersionNumber(lines[0]) > VersionNumber(ProgramVersion)))
        return;
    if (ask(UpdatePromptText(lines), L"Обновление"))
        platform::OpenWebPage(InstallerUrl);
}

} // namespace vexlor::update
