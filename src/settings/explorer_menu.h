#pragma once
// Explorer's way in for the installed program, for the current user only: the verb
// "Уничтожить с помощью Vexlor" on files and folders, and the "Send to" shortcut. The installer
// makes both and the uninstaller removes them (installer/vexlor.nsi); the program mends them at
// start, as it rewrites its file association.

#include <string>

namespace vexlor::settings {

inline constexpr const wchar_t* ExplorerVerbKeys[] = {
    L"Software\\Classes\\*\\shell\\Vexlor", L"Software\\Classes\\Directory\\shell\\Vexlor"};
inline constexpr wchar_t ExplorerVerbText[] = L"Уничтожить с помощью Vexlor";
inline constexpr wchar_t SendToShortcutName[] = L"Vexlor (уничтожить).lnk";
// The user's entry among the installed programs, which the installer writes.
inline constexpr wchar_t UninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexlor";

// Whether the running program is the installed copy: the entry's "InstallLocation" is its folder.
bool IsInstalledCopy();

// For the installed copy, writes the verb's keys and the "Send to" shortcut again as the
// installer made them, replacing what is there; nothing for another copy, which would otherwise
// take Explorer's entries away from the installed one. A failed write throws vexlor::Error.
void RepairExplorerEntries();

} // namespace vexlor::settings
