#pragma once
// The screen's resolution and the program's fonts. Sizes in the program are pixels at 96 dots
// per inch, scaled here to the screen; every text is measured through MeasureText.

#include <windows.h>

#include <string>

namespace vexlor::ui {

struct FontSpec {
    const wchar_t* face = L"Tahoma";
    int height = 13; // character height in pixels at 96 dots per inch
    bool bold = false;
    bool underline = false;
};

// The screen's dots per inch.
int ScreenDpi();
// 96-dpi pixels to the screen's pixels.
int Scale(int pixels);
// The shared font of that face, size and style; it lives until the program ends.
HFONT GetFont(const FontSpec& wanted);
// A new font of that face, size and style for another resolution; the caller owns it.
HFONT CreateFontAt(const FontSpec& wanted, int dpi);

// The size of `text` in `font` in device pixels: on one line, or wrapped to `wrapWidth` when
// that is not 0. Prefix characters ("&") are text like any other.
SIZE MeasureText(HFONT font, const std::wstring& text, int wrapWidth = 0);

} // namespace vexlor::ui
