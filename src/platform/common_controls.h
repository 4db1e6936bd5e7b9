#pragma once
// The common controls (comctl32) the program uses, taken from the system at their first use:
// version 6, as the manifest asks, and from the system's own folders only. Imported at start,
// they would be looked for, with what they import in turn, in the program's folder first.

#include <windows.h>
#include <commctrl.h>

namespace vexlor::platform {

// InitCommonControlsEx for these classes; false when the system has no common controls.
bool InitCommonControls(DWORD classes);
// SetWindowSubclass, DefSubclassProc and RemoveWindowSubclass.
bool SetSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
LRESULT DefSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool RemoveSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);

} // namespace vexlor::platform
