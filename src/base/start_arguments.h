#pragma once
// What a start of the program is given on its command line, and how a second start hands it to
// the running instance.
//
// Explorer's verb "Уничтожить с помощью Vexlor" and the "Send to" shortcut start the program
// with DestroySwitch before the paths. The ".DRVK" project files open through their association
// with the path alone. So a ".DRVK" path without the switch is a project file being opened and
// never joins the list; with the switch it was chosen for destruction like any other file.

#include <windows.h>

#include <string>
#include <vector>

namespace vexlor {

inline constexpr wchar_t DestroySwitch[] = L"/destroy";

// The dwData of a hand-over record (WM_COPYDATA) whose path came with DestroySwitch; a record
// of a start without it keeps dwData 0.
inline constexpr ULONG_PTR HandOverToDestroy = 1;

struct StartArguments {
    bool toDestroy = false;          // DestroySwitch was given
    std::vector<std::wstring> paths; // every other argument, in order, without its quotes
};

// The arguments after the program's own path on `commandLine`; the switch, in any case and at
// any place, is not a path.
StartArguments ParseStartArguments(const wchar_t* commandLine);

// Whether `path`, handed to the program with or without DestroySwitch, joins the file list.
bool JoinsTheList(const std::wstring& path, bool toDestroy);

} // namespace vexlor
