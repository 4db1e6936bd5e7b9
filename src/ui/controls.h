#pragma once
// The one place where the program's controls are made. Every control is a real child window
// whose window text is what the user sees, so screen readers and UI automation find it.

#include <windows.h>

#include <string>

namespace vexlor::ui {

// Position and size in pixels at 96 dots per inch; scaled to the screen when created.
struct Bounds {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct FontSpec {
    const wchar_t* face = L"Tahoma";
    int height = 13; // character height in pixels at 96 dots per inch
    bool bold = false;
    bool underline = false;
};

// 96-dpi pixels to the screen's pixels.
int Scale(int pixels);
// The shared font of that face, size and style; it lives until the program ends.
HFONT GetFont(const FontSpec& wanted);

struct ControlSpec {
    HWND parent = nullptr;
    int id = 0;
    const wchar_t* windowClass = nullptr;
    std::wstring text;
    DWORD style = 0;
    DWORD exStyle = 0;
    Bounds bounds;
    FontSpec font;
    // The skin section the control is drawn from ("BUTTON", "GAUGE", ...), or null.
    const wchar_t* styleClass = nullptr;
    bool handCursor = false;
};

HWND CreateControl(const ControlSpec& wanted);

const wchar_t* StyleClassOf(HWND control);
bool WantsHandCursor(HWND control);
// The control's window text.
std::wstring TextOf(HWND control);

// A plain container that paints the window background, forwards commands and notifications
// to its parent, and takes part in Tab navigation. Its text names it for screen readers.
HWND CreatePanel(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass,
                 const std::wstring& text = {});
// A label; a zero width sizes it to its text.
HWND CreateLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                 const FontSpec& font = {}, DWORD extraStyle = 0);
// A clickable label (bold, underlined, hand cursor) that reports STN_CLICKED.
HWND CreateLinkLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                     int fontHeight = 13);
HWND CreateButton(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                  const wchar_t* styleClass, DWORD extraStyle = 0);
HWND CreateListBox(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass);
HWND CreateProgressBar(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass);
// A picture drawn centred and unscaled, with its alpha channel; the bitmap stays the caller's.
HWND CreatePicture(HWND parent, int id, const Bounds& bounds, HBITMAP picture);

// Places a control at 96-dpi bounds inside its parent.
void MoveControl(HWND control, const Bounds& bounds);

// Registers the framework's own control classes (panel, picture).
void RegisterControlClasses(HINSTANCE instance);

} // namespace vexlor::ui
