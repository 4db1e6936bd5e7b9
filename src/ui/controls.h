#pragma once
// The one place where the program's controls are made. Every control is a real child window
// whose window text is what the user sees, so screen readers and UI automation find it.

#include <windows.h>

#include <optional>
#include <string>

#include "base/handles.h"

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
// A new font of that face, size and style for another resolution; the caller owns it.
HFONT CreateFontAt(const FontSpec& wanted, int dpi);

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

// A plain container in the surface of its style class (or of the one around it), rounded for a
// card ("GAUGE", "ALPHAEDIT"). It forwards commands and notifications to its parent, colours
// and draws its children like any window of the program, and takes part in Tab navigation.
// Its text names it for screen readers.
HWND CreatePanel(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass,
                 const std::wstring& text = {});
// A label; a zero width sizes it to its text. It takes the text colour of what it stands on,
// or `fixedColor` whatever the skin.
HWND CreateLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                 const FontSpec& font = {}, DWORD extraStyle = 0,
                 std::optional<COLORREF> fixedColor = std::nullopt);
// A clickable label (bold, underlined, hand cursor) that reports STN_CLICKED.
HWND CreateLinkLabel(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                     int fontHeight = 13);
// A push button drawn by the skin, with the hand cursor; a default button is the one Enter
// presses in a dialog.
HWND CreateButton(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                  const wchar_t* styleClass, bool isDefault = false, const FontSpec& font = {});
HWND CreateCheckBox(HWND parent, int id, const std::wstring& text, const Bounds& bounds,
                    const wchar_t* styleClass);
HWND CreateListBox(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass);
HWND CreateProgressBar(HWND parent, int id, const Bounds& bounds, const wchar_t* styleClass);
// A picture drawn centred and unscaled, with its alpha channel, on what it stands on; the
// control owns the bitmap (none draws nothing).
HWND CreatePicture(HWND parent, int id, const Bounds& bounds, UniqueBitmap picture = {});
// Replaces a picture control's bitmap.
void SetPicture(HWND control, UniqueBitmap picture);

// Shows the hand cursor over `control`, as over a link.
void MarkHandCursor(HWND control);
// Sets a label's text and sizes the label to it, in the label's own font.
void SetLabelText(HWND label, const std::wstring& text);

// Places a control at 96-dpi bounds inside its parent.
void MoveControl(HWND control, const Bounds& bounds);

// Registers a window class of the program's own controls; harmless when already registered.
void RegisterControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure);
// Registers the framework's own control classes (panel, picture).
void RegisterControlClasses(HINSTANCE instance);

} // namespace vexlor::ui
