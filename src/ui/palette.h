#pragma once

#include <windows.h>

namespace vexlor::ui {

// The colours that the program's own painting reads. One palette for the whole program, so
// that a different look is one change here rather than one in every window.
struct Palette {
    COLORREF windowBackground;
    COLORREF windowText;
    COLORREF labelText;
    COLORREF listBackground;
    COLORREF listText;
};

const Palette& CurrentPalette();
HBRUSH WindowBackgroundBrush();
HBRUSH ListBackgroundBrush();

// WM_CTLCOLORSTATIC and WM_CTLCOLORLISTBOX for any window of the program.
HBRUSH ColorStatic(HDC dc);
HBRUSH ColorList(HDC dc);

} // namespace vexlor::ui
