#include "settings/explorer_menu.h"

#include <windows.h>
#include <shlobj.h>

#include "base/start_arguments.h"
#include "platform/shortcut.h"
#include "settings/data_folder.h"
#include "settings/file_type.h"
#include "settings/registry.h"

namespace vexlor::settings {
namespace {

std::wstring WithoutFinalSeparator(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

std::wstring FolderOfProgram() {
    const std::wstring executable = ExecutablePath();
    return executable.substr(0, executable.find_last_of(L'\\'));
}

void WriteVerb(Registry& registry, const std::wstring& key, const std::wstring& executable) {
    registry.OpenKey(key, true);
    registry.WriteString(L"", ExplorerVerbText);
    registry.WriteString(L"Icon", executable + L",0");
    // Shown for any number of items chosen, not only up to 15: each starts the program.
    registry.WriteString(L"MultiSelectModel", L"Player");
    registry.OpenKey(key + L"\\command", true);
    registry.WriteString(L"", L"\"" + executable + L"\" " + DestroySwitch + L" \"%1\"");
    registry.CloseKey();
}

} // namespace

bool IsInstalledCopy() {
    Registry registry;
    if (!registry.OpenKey(UninstallKey, false))
        return false;
    const auto location = registry.ReadString(L"InstallLocation");
    return location && ::CompareStringOrdinal(WithoutFinalSeparator(*location).c_str(), -1,
                                              FolderOfProgram().c_str(), -1, TRUE) == CSTR_EQUAL;
}

void RepairExplorerEntries() {
    if (!IsInstalledCopy())
        return;
    const std::wstring executable = ExecutablePath();
    Registry registry;
    for (const wchar_t* key : ExplorerVerbKeys)
        WriteVerb(registry, key, executable);
    const std::wstring sendTo = GetSpecialFolder(CSIDL_SENDTO);
    if (sendTo.empty())
        return;
    platform::SaveShortcutApi(
        platform::ShortcutSpec{.path = sendTo + L"\\" + SendToShortcutName,
                               .target = executable,
                               .arguments = DestroySwitch,
                               .iconFile = executable,
                               .iconIndex = 0,
                               .description = L"Уничтожить файлы и папки без возможности "
                                              L"восстановления"});
}

} // namespace vexlor::settings
