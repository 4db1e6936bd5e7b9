#include "ui/controls.h"

#include "base/error.h"
#include "ui/app_cursor.h"

namespace vexlor::ui {
namespace {

constexpr wchar_t kStyleClassProperty[] = L"Vexlor.StyleClass";

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

} // namespace

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HICON icon,
                         HBRUSH background) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"Cannot register the window class " + std::wstring(name) + L".");
}

HWND CreateControl(const ControlSpec& wanted) {
    const HWND control = ::CreateWindowExW(
        wanted.exStyle, wanted.windowClass, wanted.text.c_str(),
        WS_CHILD | WS_VISIBLE | wanted.style, Scale(wanted.bounds.x), Scale(wanted.bounds.y),
        Scale(wanted.bounds.width), Scale(wanted.bounds.height), wanted.parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(wanted.id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(wanted.parent, GWLP_HINSTANCE)), nullptr);
    if (!control)
        ThrowLastError(L"Cannot create the control \"" + wanted.text + L"\".");
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(wanted.font)), FALSE);
    if (wanted.styleClass)
        ::SetPropW(control, kStyleClassProperty, const_cast<wchar_t*>(wanted.styleClass));
    if (wanted.handCursor)
        MarkHandCursor(control);
    return control;
}

Bounds SizedToText(const Bounds& bounds, const std::wstring& text, const FontSpec& font) {
    if (bounds.width != 0)
        return bounds;
    // Measured at the screen's resolution and given back at 96 dpi, since CreateControl scales.
    const SIZE size = MeasureText(GetFont(font), text);
    return {bounds.x, bounds.y, ::MulDiv(size.cx, 96, ScreenDpi()) + 1,
            ::MulDiv(size.cy, 96, ScreenDpi())};
}

void SetLabelText(HWND label, const std::wstring& text) {
    ::SetWindowTextW(label, text.c_str());
    const SIZE size = MeasureText(FontOf(label), text);
    ::SetWindowPos(label, nullptr, 0, 0, size.cx + 1, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const wchar_t* StyleClassOf(HWND control) {
    return static_cast<const wchar_t*>(::GetPropW(control, kStyleClassProperty));
}

std::wstring TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

void MoveControl(HWND control, const Bounds& bounds) {
    ::MoveWindow(control, Scale(bounds.x), Scale(bounds.y), Scale(bounds.width),
                 Scale(bounds.height), TRUE);
}

} // namespace vexlor::ui
