#pragma once
// Push buttons that draw a glyph from an image list beside their caption, or alone. They stay
// real BUTTON windows: the window text is the caption, or for a glyph-only button the name a
// screen reader announces.

#include <windows.h>
#include <commctrl.h>

namespace vexlor::ui {

enum class GlyphPlacement { Alone, BeforeText, AfterText };

struct ButtonGlyph {
    HIMAGELIST images = nullptr;
    HIMAGELIST disabledImages = nullptr; // drawn while the button is disabled
    int index = 0;
    GlyphPlacement placement = GlyphPlacement::BeforeText;
};

// Style bits for CreateButton: the parent draws the button through DrawGlyphButton.
inline constexpr DWORD GlyphButtonStyle = BS_OWNERDRAW;

// Draws one glyph button for WM_DRAWITEM.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, const ButtonGlyph& glyph);

// A copy of every image of `images`, grey and half transparent, for disabled controls.
HIMAGELIST CreateDisabledImages(HIMAGELIST images);

} // namespace vexlor::ui
