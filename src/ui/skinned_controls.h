#pragma once
// The painters of each kind of control. The controls factory attaches them; a control keeps
// its painter, and the painter's data, until it is destroyed.

#include <windows.h>

#include <optional>

namespace vexlor::ui {

class GlyphSet;

enum class GlyphPlacement { Alone, BeforeText, AfterText };

struct ButtonGlyph {
    const GlyphSet* glyphs = nullptr; // outlives the button
    int index = -1;
    GlyphPlacement placement = GlyphPlacement::BeforeText;
};

// A label: transparent on what it stands on, in the text colour of that style class, or in
// `fixedColor` whatever the skin.
void SkinLabel(HWND label, std::optional<COLORREF> fixedColor = std::nullopt);
// A push button made with BS_OWNERDRAW: face per state, hand cursor, keyboard focus ring.
// A default button (the one Enter presses in a dialog) is drawn as such.
void SkinButton(HWND button, bool isDefault = false);
// Gives a skinned button its glyph, beside the caption or alone.
void SetButtonGlyph(HWND button, const ButtonGlyph& glyph);
// A check box made with BS_AUTOCHECKBOX.
void SkinCheckBox(HWND checkBox);
// A list box made with LBS_OWNERDRAWFIXED | LBS_HASSTRINGS and WS_BORDER.
void SkinListBox(HWND list);
void SkinProgressBar(HWND bar);

// Room left and right of a list entry's text, in 96-dpi pixels.
inline constexpr int ListTextMargin = 4;

} // namespace vexlor::ui
