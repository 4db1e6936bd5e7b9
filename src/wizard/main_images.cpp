#include "wizard/main_images.h"

#include <cstdint>
#include <functional>

#include "ui/controls.h"
#include "base/error.h"

namespace vexlor::wizard {
namespace {

// Drawn with GDI on a key colour that then becomes transparent: GDI itself writes no alpha.
constexpr COLORREF kKey = RGB(255, 0, 255);

using Painter = std::function<void(HDC dc, int width, int height)>;

UniqueBitmap Paint(int width, int height, const Painter& painter) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        throw Error(L"Cannot create a picture.");
    {
        MemoryDc dc;
        SelectedObject selected(dc.Get(), bitmap.Get());
        const RECT all{0, 0, width, height};
        UniqueBrush key(::CreateSolidBrush(kKey));
        ::FillRect(dc.Get(), &all, key.Get());
        painter(dc.Get(), width, height);
        ::GdiFlush();
    }
    auto* pixel = static_cast<std::uint32_t*>(bits);
    const std::uint32_t keyPixel = 0x00FF00FF; // kKey as BGRA
    for (int i = 0; i < width * height; ++i)
        pixel[i] = (pixel[i] & 0x00FFFFFF) == keyPixel ? 0 : (pixel[i] | 0xFF000000);
    return bitmap;
}

void Fill(HDC dc, COLORREF color, const std::function<void()>& draw) {
    UniqueBrush brush(::CreateSolidBrush(color));
    UniquePen pen(::CreatePen(PS_SOLID, 1, color));
    SelectedObject selectedBrush(dc, brush.Get());
    SelectedObject selectedPen(dc, pen.Get());
    draw();
}

void Symbol(HDC dc, const wchar_t* symbol, int size, RECT box, COLORREF color) {
    SelectedObject font(dc, ui::GetFont({.face = L"Tahoma", .height = size, .bold = true}));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    ::DrawTextW(dc, symbol, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// A rounded tile with a symbol: a stand-in until the real artwork arrives.
UniqueBitmap GlyphTile(const wchar_t* symbol, COLORREF tile) {
    return Paint(GlyphSize, GlyphSize, [&](HDC dc, int width, int height) {
        Fill(dc, tile, [&] { ::RoundRect(dc, 1, 1, width - 1, height - 1, 8, 8); });
        Symbol(dc, symbol, 15, {0, 0, width, height}, RGB(255, 255, 255));
    });
}

UniqueBitmap WasteBin(COLORREF body) {
    return Paint(128, 128, [&](HDC dc, int, int) {
        Fill(dc, body, [&] {
            ::RoundRect(dc, 30, 22, 98, 34, 6, 6);
            const POINT bin[] = {{34, 38}, {94, 38}, {86, 118}, {42, 118}};
            ::Polygon(dc, bin, 4);
        });
        Fill(dc, RGB(255, 255, 255), [&] {
            for (int x : {50, 62, 74})
                ::Rectangle(dc, x, 48, x + 5, 108);
        });
    });
}

UniqueBitmap FinishPicture() {
    return Paint(205, 264, [](HDC dc, int width, int) {
        Fill(dc, RGB(46, 160, 87), [&] { ::Ellipse(dc, 22, 52, width - 22, 52 + 161); });
        Fill(dc, RGB(255, 255, 255), [&] {
            const POINT check[] = {{62, 132}, {80, 114},  {96, 130},
                                   {140, 86}, {158, 104}, {96, 166}};
            ::Polygon(dc, check, 6);
        });
    });
}

} // namespace

MainImages CreateMainImages() {
    struct GlyphLook {
        const wchar_t* symbol;
        COLORREF tile;
    };
    const GlyphLook looks[GlyphCount] = {
        {L"\u2212", RGB(200, 70, 60)}, {L"1", RGB(90, 90, 90)},       {L"W", RGB(50, 120, 200)},
        {L"<", RGB(70, 140, 90)},      {L">", RGB(70, 140, 90)},      {L"!", RGB(200, 150, 40)},
        {L"6", RGB(90, 90, 90)},       {L"?", RGB(50, 120, 200)},     {L"8", RGB(90, 90, 90)},
        {L"@", RGB(50, 120, 200)},     {L"A", RGB(90, 90, 90)},       {L"+", RGB(70, 140, 90)},
        {L"B", RGB(70, 110, 170)},     {L"\u00D7", RGB(200, 70, 60)}, {L"E", RGB(90, 90, 90)},
        {L"X", RGB(150, 60, 60)},
    };
    MainImages images;
    images.imageList24.Reset(::ImageList_Create(GlyphSize, GlyphSize, ILC_COLOR32, GlyphCount, 0));
    if (!images.imageList24)
        throw Error(L"Cannot create the image list.");
    for (int i = 0; i < GlyphCount; ++i) {
        images.glyphs[i] = GlyphTile(looks[i].symbol, looks[i].tile);
        ::ImageList_Add(images.imageList24.Get(), images.glyphs[i].Get(), nullptr);
    }
    images.welcomePicture = WasteBin(RGB(46, 160, 87));
    images.progressPicture = WasteBin(RGB(200, 150, 40));
    images.finishPicture = FinishPicture();
    return images;
}

} // namespace vexlor::wizard
