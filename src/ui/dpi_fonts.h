#pragma once
// Resolution and fonts. Sizes in the program are pixels at 96 dots per inch, scaled to the DPI
// of the window they are drawn in, which follows the monitor the window is on; every text is
// measured through MeasureText.

#include <windows.h>

#include <string>

namespace vexlor::ui {

struct FontSpec {
    const wchar_t* face = L"Tahoma"; // a literal: it lives as long as the program
    int height = 13;                 // character height in pixels at 96 dots per inch
    bool bold = false;
    bool underline = false;
};

// The DPI the system gives the process for its windows (the primary monitor's).
int ScreenDpi();
// The DPI `window` is drawn at: that of its top-level window, as the window last learnt it
// (at its creation and with every WM_DPICHANGED); the screen's for no window.
int DpiOf(HWND window);
// A top-level window's DPI from now on; the window base keeps it.
void SetWindowDpi(HWND topLevel, int dpi);

// 96-dpi pixels to pixels at `dpi`, or at the DPI of `window`, and back.
int ScaleAt(int dpi, int pixels);
int Scale(HWND window, int pixels);
int Unscale(HWND window, int pixels);

// The shared font of that face, size and style at `dpi`; it lives until the program ends.
HFONT GetFont(const FontSpec& wanted, int dpi);
// A new font of that face, size and style at `dpi`; the caller owns it.
HFONT CreateFontAt(const FontSpec& wanted, int dpi);

// Older headers lack it: what a child gets after its window's DPI changed.
inline constexpr UINT DpiChangedAfterParent = 0x02E3; // WM_DPICHANGED_AFTERPARENT

// The size of `text` in `font` in device pixels: on one line, or wrapped to `wrapWidth` when
// that is not 0. Prefix characters ("&") are text like any other.
SIZE MeasureText(HFONT font, const std::wstring& text, int wrapWidth = 0);

} // namespace vexlor::ui
