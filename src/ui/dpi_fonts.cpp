#include "ui/dpi_fonts.h"

#include <map>
#include <tuple>

#include "base/error.h"
#include "base/handles.h"

namespace vexlor::ui {

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scale(int pixels) {
    return ::MulDiv(pixels, ScreenDpi(), 96);
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

HFONT GetFont(const FontSpec& wanted) {
    using Key = std::tuple<std::wstring, int, bool, bool>;
    static std::map<Key, UniqueFont> fonts;
    const Key key{wanted.face, wanted.height, wanted.bold, wanted.underline};
    auto found = fonts.find(key);
    if (found != fonts.end())
        return found->second.Get();
    UniqueFont font(CreateFontAt(wanted, ScreenDpi()));
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
    return {box.right - box.left, box.bottom - box.top};
}

} // namespace vexlor::ui
