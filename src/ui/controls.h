#pragma once
// The one place where the program's child windows are made. Every control is a real child
// window whose window text is what the user sees, so screen readers and UI automation find it.
// How a control is drawn is not decided here: a control names the style class it is drawn
// from, and the skin reads that name.

#include <windows.h>

#include <string>

#include "ui/dpi_fonts.h"

namespace vexlor::ui {

// Position and size in pixels at 96 dots per inch; scaled to the screen when created.
struct Bounds {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlSpec {
    HWND parent = nullptr;
    int id = 0;
    const wchar_t* windowClass = nullptr;
    std::wstring text;
    DWORD style = 0;
    DWORD exStyle = 0;
    Bounds bounds;
    FontSpec font;
    // The name of the style class the control is drawn from, or null; it must live as long
    // as the program (a literal, or a table's entry).
    const wchar_t* styleClass = nullptr;
    bool handCursor = false;
};

HWND CreateControl(const ControlSpec& wanted);

const wchar_t* StyleClassOf(HWND control);
// The control's window text.
std::wstring TextOf(HWND control);

// Sets a label's text and sizes the label to it, in the label's own font.
void SetLabelText(HWND label, const std::wstring& text);
// `bounds` with a zero width made as wide and high as `text` in `font` (in 96-dpi pixels).
Bounds SizedToText(const Bounds& bounds, const std::wstring& text, const FontSpec& font);

// Places a control at 96-dpi bounds inside its parent.
void MoveControl(HWND control, const Bounds& bounds);

// Registers a window class of the program, with the arrow cursor; harmless when it is already
// registered.
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HICON icon = nullptr, HBRUSH background = nullptr);

} // namespace vexlor::ui
