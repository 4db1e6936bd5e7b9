#pragma once

#include <windows.h>

namespace vexlor::skin {

// Asks the system to draw `window`'s title bar dark, in the skin's caption colours, where it
// can: the dark mode of Windows 10 1809 and later, and the caption colours of Windows 11.
// Elsewhere (older Windows, Wine) the standard frame stays. Returns whether it asked.
bool UseDarkTitleBar(HWND window, COLORREF caption, COLORREF captionText);

} // namespace vexlor::skin
