#include "ui/window.h"

#include <utility>

#include "base/error.h"
#include "ui/app_cursor.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dispatch.h"

namespace vexlor::ui {

MessageFilter* Window::filter_ = nullptr;

Window::~Window() {
    // A class that did not destroy its window: the object is half gone, so the messages of
    // the destruction go to the system alone.
    if (handle_) {
        ::SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        ::DestroyWindow(std::exchange(handle_, nullptr));
    }
}

void Window::DestroyHandle() {
    if (handle_)
        ::DestroyWindow(handle_);
}

void Window::ApplyDpiChange(const RECT& suggested) {
    ::SetWindowPos(handle_, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RescaleControls(handle_);
}

void Window::RegisterWindowClass(const wchar_t* className, HICON icon, HBRUSH background,
                                 HICON smallIcon) {
    ui::RegisterWindowClass(Application::Get().Instance(), className, &Window::WindowProcedure,
                            icon, background, smallIcon);
}

void Window::CreateWindowHandle(const wchar_t* className, const std::wstring& title, DWORD style,
                                DWORD exStyle, const RECT& bounds, HWND owner, HMENU menu) {
    const HWND created =
        ::CreateWindowExW(exStyle, className, title.c_str(), style, bounds.left, bounds.top,
                          bounds.right - bounds.left, bounds.bottom - bounds.top, owner, menu,
                          Application::Get().Instance(), this);
    if (!created)
        ThrowLastError(L"Cannot create the window.");
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetWindowDpi(window, DpiOf(window)); // what the system says, kept from now on
    }
    if (message == WM_DPICHANGED)
        SetWindowDpi(window, LOWORD(wParam));
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);

    // A handler that throws has shown its error and counts as handled: in particular a close
    // handler that fails must not let DefWindowProc destroy the window.
    LRESULT result = 0;
    Guard([&] {
        if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
            Application::Get().NoteActivated(window);
        if (message == WM_SETCURSOR && HandleSetCursor(wParam, lParam)) {
            result = TRUE;
            return;
        }
        if (filter_ && filter_->Before(window, message, wParam, lParam, result))
            return;
        result = self->HandleMessage(message, wParam, lParam);
        if (filter_)
            filter_->After(window, message, wParam, lParam);
    });

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
    }
    return result;
}

} // namespace vexlor::ui
