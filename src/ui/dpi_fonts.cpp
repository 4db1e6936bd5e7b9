#include "ui/dpi_fonts.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>

#include "base/error.h"
#include "base/handles.h"

namespace vexlor::ui {
namespace {

int InkWidth(HFONT font, const std::wstring& text, SIZE measured);

constexpr wchar_t kDpiProperty[] = L"Vexlor.Dpi";

// Windows 10 1607 and later; user32 is always the system's own.
int SystemDpiForWindow(HWND window) {
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto query = reinterpret_cast<GetDpiForWindow>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return query ? static_cast<int>(query(window)) : 0;
}

} // namespace

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int DpiOf(HWND window) {
    const HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    if (!root)
        return ScreenDpi();
    if (const auto kept = reinterpret_cast<INT_PTR>(::GetPropW(root, kDpiProperty)))
        return static_cast<int>(kept);
    const int system = SystemDpiForWindow(root);
    return system > 0 ? system : ScreenDpi();
}

void SetWindowDpi(HWND topLevel, int dpi) {
    ::SetPropW(topLevel, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
}

int ScaleAt(int dpi, int pixels) {
    return ::MulDiv(pixels, dpi, 96);
}

int Scale(HWND window, int pixels) {
    return ScaleAt(DpiOf(window), pixels);
}

int Unscale(HWND window, int pixels) {
    return ::MulDiv(pixels, 96, DpiOf(window));
}

HFONT CreateFontAt(const FontSpec& wanted, int dpi) {
    LOGFONTW logFont{};
    logFont.lfHeight = -::MulDiv(wanted.height, dpi, 96); // negative: character height
    logFont.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    logFont.lfUnderline = wanted.underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy_s(logFont.lfFaceName, wanted.face, _TRUNCATE);
    return ::CreateFontIndirectW(&logFont);
}

HFONT GetFont(const FontSpec& wanted, int dpi) {
    using Key = std::tuple<std::wstring, int, bool, bool, int>;
    static std::map<Key, UniqueFont> fonts;
    const Key key{wanted.face, wanted.height, wanted.bold, wanted.underline, dpi};
    auto found = fonts.find(key);
    if (found != fonts.end())
        return found->second.Get();
    UniqueFont font(CreateFontAt(wanted, dpi));
    if (!font)
        throw Error(L"Cannot create the font " + std::wstring(wanted.face) + L".");
    return fonts.emplace(key, std::move(font)).first->second.Get();
}

SIZE MeasureText(HFONT font, const std::wstring& text, int wrapWidth) {
    WindowDc screen(nullptr);
    SelectedObject selected(screen.Get(), font);
    RECT box{0, 0, wrapWidth, 0};
    ::DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                DT_CALCRECT | DT_NOPREFIX | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
    SIZE size{box.right - box.left, box.bottom - box.top};
    if (!wrapWidth && !text.empty())
        size.cx = std::max<LONG>(size.cx, InkWidth(font, text, size));
    return size;
}

namespace {

// Some fonts at some sizes draw wider than their metrics add up to (Wine's Tahoma at 14
// pixels, by six pixels over a short line): a line is as wide as what is drawn of it. Drawn
// once per font and text, black on white, and the last column with ink found.
int InkWidth(HFONT font, const std::wstring& text, SIZE measured) {
    LOGFONTW described{};
    ::GetObjectW(font, sizeof(described), &described);
    const std::wstring key =
        std::to_wstring(described.lfHeight) + L"," + std::to_wstring(described.lfWeight) + L"," +
        std::to_wstring(described.lfUnderline) + L"," + described.lfFaceName + L"|" + text;
    static std::map<std::wstring, int> known;
    if (const auto found = known.find(key); found != known.end())
        return found->second;
    const int width = measured.cx + 2 * measured.cy + 16;
    const int height = measured.cy + 4;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    const UniqueBitmap canvas(
        ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const MemoryDc dc;
    if (!canvas || !bits || !dc.Get())
        return measured.cx;
    const SelectedObject selectedCanvas(dc.Get(), canvas.Get());
    const SelectedObject selectedFont(dc.Get(), font);
    std::fill_n(static_cast<std::uint32_t*>(bits), std::size_t(width) * height, 0xFFFFFFu);
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextColor(dc.Get(), RGB(0, 0, 0));
    RECT box{0, 0, width, height};
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    ::GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    int ink = 0;
    for (int y = 0; y < height; ++y)
        for (int x = width - 1; x >= ink; --x)
            if ((pixels[std::size_t(y) * width + x] & 0xFFFFFFu) != 0xFFFFFFu) {
                ink = x + 1;
                break;
            }
    return known.emplace(key, ink).first->second;
}

} // namespace

} // namespace vexlor::ui
