#pragma once
// The glyphs of ImageList24, by the index each button and menu item uses.

namespace vexlor::wizard {

inline constexpr int GlyphCount = 16;
inline constexpr int GlyphSize = 24;

enum Glyph : int {
    GlyphDeleteEntry = 0,
    GlyphSite = 2,
    GlyphBack = 3,
    GlyphNext = 4,
    GlyphSuggest = 5,
    GlyphHelp = 7,
    GlyphAddFolder = 8,
    GlyphSupport = 9,
    GlyphAddFiles = 11,
    GlyphSocial = 12,
    GlyphClearList = 13,
    GlyphShield = 14,
    GlyphExit = 15,
};

} // namespace vexlor::wizard
