#pragma once
// The skinned control factory: the controls of the program's windows, each drawn from the
// skin's section for its style class by a painter that lives as long as the control.

#include <windows.h>

#include <optional>
#include <string>

#include "base/handles.h"
#include "skin/style_classes.h"
#include "ui/controls.h"

namespace vexlor::skin {

class GlyphSet;

enum class GlyphPlacement { Alone, BeforeText, AfterText };

struct ButtonGlyph {
    const GlyphSet* glyphs = nullptr; // outlives the button
    int index = -1;
    GlyphPlacement placement = GlyphPlacement::BeforeText;
};

// Room left and right of a list entry's text, in 96-dpi pixels.
inline constexpr int ListTextMargin = 4;

// A plain container in the surface of its style class (or of the one around it), rounded for a
// card (Gauge, AlphaEdit). It forwards commands and notifications to its parent, colours and
// draws its children like any window of the program, and takes part in Tab navigation. Its
// text names it for screen readers.
HWND CreatePanel(HWND parent, int id, const ui::Bounds& bounds,
                 std::optional<StyleClass> styleClass, const std::wstring& text = {});
// A label; a zero width sizes it to its text. It takes the text colour of what it stands on,
// or `fixedColor` whatever the skin.
HWND CreateLabel(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                 const ui::FontSpec& font = {}, DWORD extraStyle = 0,
                 std::optional<COLORREF> fixedColor = std::nullopt);
// A clickable label (bold, underlined, hand cursor) that reports STN_CLICKED.
HWND CreateLinkLabel(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                     int fontHeight = 13);
// Makes a label made with SS_NOTIFY a link: a tab stop with a focus ring, opened by a click,
// Enter or Space, with the hand cursor, and a link to screen readers.
void MakeLink(HWND label);
// A push button drawn by the skin, with the hand cursor; a default button is the one Enter
// presses in a dialog.
HWND CreateButton(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                  StyleClass styleClass, bool isDefault = false, const ui::FontSpec& font = {});
// Gives a skinned button its glyph, beside the caption or alone.
void SetButtonGlyph(HWND button, const ButtonGlyph& glyph);
HWND CreateCheckBox(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                    StyleClass styleClass);
HWND CreateListBox(HWND parent, int id, const ui::Bounds& bounds, StyleClass styleClass);
HWND CreateProgressBar(HWND parent, int id, const ui::Bounds& bounds, StyleClass styleClass);
// A picture drawn centred and unscaled, with its alpha channel, on what it stands on; the
// control owns the bitmap (none draws nothing). Like a panel, it may carry controls.
HWND CreatePicture(HWND parent, int id, const ui::Bounds& bounds, UniqueBitmap picture = {});
// Replaces a picture control's bitmap.
void SetPicture(HWND control, UniqueBitmap picture);
// A picture of the program's resources (LoadScaledPicture), of `width` x `height` at 96 dpi;
// loaded again when the window's DPI changes.
HWND CreateResourcePicture(HWND parent, int id, const ui::Bounds& bounds, int resource, int width,
                           int height);

} // namespace vexlor::skin
