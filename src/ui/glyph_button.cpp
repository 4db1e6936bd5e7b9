#include "ui/glyph_button.h"

#include <cstdint>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "base/handles.h"

namespace vexlor::ui {
namespace {

constexpr int kGap = 6; // between glyph and caption

std::wstring CaptionOf(const DRAWITEMSTRUCT& item, const ButtonGlyph& glyph) {
    return glyph.placement == GlyphPlacement::Alone ? std::wstring() : TextOf(item.hwndItem);
}

void DrawFace(const DRAWITEMSTRUCT& item, bool pressed) {
    RECT face = item.rcItem;
    ::DrawFrameControl(item.hDC, &face, DFC_BUTTON,
                       DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | DFCS_ADJUSTRECT);
}

} // namespace

void DrawGlyphButton(const DRAWITEMSTRUCT& item, const ButtonGlyph& glyph) {
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawFace(item, pressed);

    int glyphWidth = 0;
    int glyphHeight = 0;
    ::ImageList_GetIconSize(glyph.images, &glyphWidth, &glyphHeight);
    const std::wstring caption = CaptionOf(item, glyph);
    SIZE text{0, 0};
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    SelectedObject selectedFont(item.hDC, font);
    if (!caption.empty())
        ::GetTextExtentPoint32W(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &text);

    const RECT& box = item.rcItem;
    const int shift = pressed ? 1 : 0;
    const int content = glyphWidth + (caption.empty() ? 0 : kGap + text.cx);
    int x = (box.left + box.right - content) / 2 + shift;
    const int middle = (box.top + box.bottom) / 2 + shift;
    const bool glyphFirst = glyph.placement != GlyphPlacement::AfterText;

    const auto drawGlyph = [&](int left) {
        const HIMAGELIST list =
            disabled && glyph.disabledImages ? glyph.disabledImages : glyph.images;
        ::ImageList_Draw(list, glyph.index, item.hDC, left, middle - glyphHeight / 2,
                         ILD_TRANSPARENT);
    };
    const auto drawCaption = [&](int left) {
        ::SetBkMode(item.hDC, TRANSPARENT);
        ::SetTextColor(item.hDC, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        ::TextOutW(item.hDC, left, middle - text.cy / 2, caption.c_str(),
                   static_cast<int>(caption.size()));
    };
    if (glyphFirst) {
        drawGlyph(x);
        x += glyphWidth + kGap;
        if (!caption.empty())
            drawCaption(x);
    } else {
        drawCaption(x);
        drawGlyph(x + text.cx + kGap);
    }

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = box;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

HIMAGELIST CreateDisabledImages(HIMAGELIST images) {
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(images, &width, &height);
    const int count = ::ImageList_GetImageCount(images);
    HIMAGELIST grey = ::ImageList_Create(width, height, ILC_COLOR32, count, 0);
    if (!grey)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    for (int i = 0; i < count; ++i) {
        void* bits = nullptr;
        UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap)
            continue;
        {
            MemoryDc dc;
            SelectedObject selected(dc.Get(), bitmap.Get());
            ::ImageList_Draw(images, i, dc.Get(), 0, 0, ILD_NORMAL);
        }
        ::GdiFlush();
        auto* pixel = static_cast<std::uint32_t*>(bits);
        for (int p = 0; p < width * height; ++p) {
            const std::uint32_t c = pixel[p];
            const std::uint32_t alpha = (c >> 24) / 2;
            // Luminance of the premultiplied colour, halved with the alpha.
            const std::uint32_t y =
                ((c >> 16 & 0xFF) * 30 + (c >> 8 & 0xFF) * 59 + (c & 0xFF) * 11) / 200;
            pixel[p] = alpha << 24 | y << 16 | y << 8 | y;
        }
        ::ImageList_Add(grey, bitmap.Get(), nullptr);
    }
    return grey;
}

} // namespace vexlor::ui
