#include "ui/hints.h"

#include <commctrl.h>

#include "base/error.h"
#include "platform/system_library.h"

namespace vexlor::ui {

Hints::Hints(HWND owner, COLORREF background, COLORREF text) : owner_(owner) {
    tooltip_ = ::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
    if (!tooltip_)
        ThrowLastError(L"Cannot create the hints window.");
    // A theme would draw the system's light hint whatever colours are asked.
    using SetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (const auto setTheme =
            platform::SystemFunction<SetWindowTheme>(L"uxtheme.dll", "SetWindowTheme"))
        setTheme(tooltip_, L"", L"");
    ::SendMessageW(tooltip_, TTM_SETTIPBKCOLOR, background, 0);
    ::SendMessageW(tooltip_, TTM_SETTIPTEXTCOLOR, text, 0);
}

void Hints::Add(HWND control, const std::wstring& text) {
    TOOLINFOW tool{sizeof(tool)};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str()); // copied by the tooltip
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring Hints::TextFor(HWND control) const {
    wchar_t buffer[256] = {};
    TOOLINFOW tool{sizeof(tool)};
    tool.hwnd = owner_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = buffer;
    ::SendMessageW(tooltip_, TTM_GETTEXTW, static_cast<WPARAM>(std::size(buffer)),
                   reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

} // namespace vexlor::ui
