#pragma once
// The glyphs of buttons and menu items: small pictures with an alpha channel, decoded once from
// the program's resources at the size the screen needs, each with a dimmed copy for disabled
// controls.

#include <windows.h>

#include <vector>

#include "base/handles.h"

namespace vexlor::skin {

class GlyphSet {
public:
    GlyphSet() = default;
    // `count` glyphs of `size` 96-dpi pixels at `dpi` from the PNG resources `first`,
    // `first + 1` ...; above 96 dpi from the twice-as-large copies at `first2x`, scaled.
    GlyphSet(int first, int first2x, int count, int size, int dpi);

    int Count() const { return static_cast<int>(normal_.size()); }
    // The glyphs' side on the screen, in pixels.
    int Size() const { return size_; }
    // Draws glyph `index` with its top left corner at (x, y), dimmed for a disabled control.
    void Draw(HDC dc, int index, int x, int y, bool dimmed = false) const;

private:
    std::vector<UniqueBitmap> normal_;
    std::vector<UniqueBitmap> dimmed_;
    int size_ = 0;
};

// A picture from the program's resources at `dpi`: `id` at 96 dpi, or the copy at twice the
// size (`id + 1`) scaled down above that.
UniqueBitmap LoadScaledPicture(int id, int width, int height, int dpi);

// Draws a 32-bpp premultiplied bitmap with its alpha channel at (x, y), at its own size.
void DrawPicture(HDC dc, HBITMAP picture, int x, int y);

} // namespace vexlor::skin
