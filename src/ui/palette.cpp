#include "ui/palette.h"

#include "base/handles.h"

namespace vexlor::ui {

const Palette& CurrentPalette() {
    static const Palette palette{
        RGB(74, 74, 74),    // windowBackground: dark grey
        RGB(192, 192, 192), // windowText: silver
        RGB(255, 255, 255), // labelText: white
        RGB(255, 255, 255), // listBackground
        RGB(0, 0, 0),       // listText
    };
    return palette;
}

HBRUSH WindowBackgroundBrush() {
    static const UniqueBrush brush(::CreateSolidBrush(CurrentPalette().windowBackground));
    return brush.Get();
}

HBRUSH ListBackgroundBrush() {
    static const UniqueBrush brush(::CreateSolidBrush(CurrentPalette().listBackground));
    return brush.Get();
}

HBRUSH ColorStatic(HDC dc) {
    ::SetTextColor(dc, CurrentPalette().labelText);
    ::SetBkColor(dc, CurrentPalette().windowBackground);
    return WindowBackgroundBrush();
}

HBRUSH ColorList(HDC dc) {
    ::SetTextColor(dc, CurrentPalette().listText);
    ::SetBkColor(dc, CurrentPalette().listBackground);
    return ListBackgroundBrush();
}

} // namespace vexlor::ui
