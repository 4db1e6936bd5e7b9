#pragma once
// The one place where the program's child windows are made. Every control is a real child
// window whose window text is what the user sees, so screen readers and UI automation find it.
// How a control is drawn is not decided here: a control names the style class it is drawn
// from, and the skin reads that name.

#include <windows.h>

#include <optional>
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

// Made at the DPI of its window. A zero width makes the control as wide and high as its text.
HWND CreateControl(const ControlSpec& wanted);

// What a control was made with (its place being the last one given in 96-dpi pixels), kept so
// that it can be made again at another DPI.
struct ControlLayout {
    Bounds bounds;
    FontSpec font;
    bool sizedToText = false;
};
std::optional<ControlLayout> LayoutOf(HWND control);

// After a window's DPI changed: every control in `root` gets its font and place again at the
// new DPI, from what it was made with, and then WM_DPICHANGED_AFTERPARENT for what it draws.
// Places given in device pixels afterwards are the owner's to give again.
void RescaleControls(HWND root);

const wchar_t* StyleClassOf(HWND control);
// The control's window text.
std::wstring TextOf(HWND control);

// Sets a label's text and sizes the label to it, in the label's own font.
void SetLabelText(HWND label, const std::wstring& text);

// Places a control at 96-dpi bounds inside its parent.
void MoveControl(HWND control, const Bounds& bounds);

// Registers a window class of the program, with the arrow cursor; harmless when it is already
// registered. Without a small icon the system shrinks the large one.
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                         HICON icon = nullptr, HBRUSH background = nullptr,
                         HICON smallIcon = nullptr);

} // namespace vexlor::ui
