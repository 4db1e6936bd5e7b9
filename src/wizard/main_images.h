#pragma once

#include <array>

#include "base/handles.h"

namespace vexlor::wizard {

inline constexpr int GlyphCount = 16;
inline constexpr int GlyphSize = 24;

// Glyph indices used by the main window's buttons and menu.
enum Glyph : int {
    GlyphDeleteEntry = 0,
    GlyphSite = 2,
    GlyphBack = 3,
    GlyphNext = 4,
    GlyphSuggest = 5,
    GlyphHelp = 7,
    GlyphSupport = 9,
    GlyphAddFiles = 11,
    GlyphSocial = 12,
    GlyphClearList = 13,
    GlyphExit = 15,
};

// The main window's pictures: the 24 x 24 glyphs of ImageList24 (32-bit, premultiplied alpha)
// and the pictures of the welcome, progress and finish pages.
struct MainImages {
    std::array<UniqueBitmap, GlyphCount> glyphs;
    UniqueImageList imageList24;
    UniqueBitmap welcomePicture;  // 128 x 128
    UniqueBitmap progressPicture; // 128 x 128
    UniqueBitmap finishPicture;   // 205 x 264, transparent around the drawing
};

MainImages CreateMainImages();

} // namespace vexlor::wizard
