#include "skin/glyphs.h"

#include <cstdint>

#include "pictures/picture.h"
#include "pictures/picture_files.h"
#include "ui/dpi_fonts.h"

namespace vexlor::skin {
namespace {

using pictures::Picture;

// Above this the copies at twice the size are the better source: scaling down keeps the edges
// sharp, scaling up would blur them.
constexpr int kDoubleSizeFromDpi = 120;

Picture LoadForScreen(int id, int id2x, int width, int height, int dpi) {
    const bool large = dpi >= kDoubleSizeFromDpi;
    const Picture source = pictures::LoadPictureResource(large ? id2x : id);
    if (source.width == width && source.height == height)
        return source;
    return pictures::ScalePicture(source, width, height);
}

// Grey, at half the opacity: the look of a glyph on a disabled control.
Picture Dimmed(Picture picture) {
    for (std::uint32_t& pixel : picture.pixels) {
        const std::uint32_t alpha = (pixel >> 24) / 2;
        const std::uint32_t grey =
            ((pixel >> 16 & 0xFF) * 30 + (pixel >> 8 & 0xFF) * 59 + (pixel & 0xFF) * 11) / 200;
        pixel = alpha << 24 | grey << 16 | grey << 8 | grey;
    }
    return picture;
}

} // namespace

GlyphSet::GlyphSet(int first, int first2x, int count, int size, int dpi)
    : size_(ui::ScaleAt(dpi, size)) {
    for (int i = 0; i < count; ++i) {
        const Picture glyph = LoadForScreen(first + i, first2x + i, size_, size_, dpi);
        normal_.push_back(pictures::ToBitmap(glyph));
        dimmed_.push_back(pictures::ToBitmap(Dimmed(glyph)));
    }
}

void GlyphSet::Draw(HDC dc, int index, int x, int y, bool dimmed) const {
    if (index < 0 || index >= Count())
        return;
    DrawPicture(dc, (dimmed ? dimmed_ : normal_)[static_cast<std::size_t>(index)].Get(), x, y);
}

UniqueBitmap LoadScaledPicture(int id, int width, int height, int dpi) {
    return pictures::ToBitmap(
        LoadForScreen(id, id + 1, ui::ScaleAt(dpi, width), ui::ScaleAt(dpi, height), dpi));
}

void DrawPicture(HDC dc, HBITMAP picture, int x, int y) {
    BITMAP info{};
    if (!picture || !::GetObjectW(picture, sizeof(info), &info))
        return;
    MemoryDc source(dc);
    SelectedObject selected(source.Get(), picture);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, x, y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, info.bmWidth,
                    info.bmHeight, blend);
}

} // namespace vexlor::skin
