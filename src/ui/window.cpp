#include "ui/window.h"

#include <utility>

#include "ui/app_cursor.h"
#include "ui/application.h"
#include "ui/dispatch.h"
#include "base/error.h"
#include "ui/menu_skin.h"
#include "ui/paint.h"
#include "ui/skin.h"
#include "ui/skinned_control.h"

namespace vexlor::ui {

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

void Window::RegisterWindowClass(const wchar_t* className, HICON icon, HBRUSH background) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = &Window::WindowProcedure;
    windowClass.hInstance = Application::Get().Instance();
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"Cannot register the window class.");
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
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);

    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        Application::Get().NoteActivated(window);
    if (message == WM_SETCURSOR && HandleSetCursor(wParam, lParam))
        return TRUE;
    LRESULT routed = 0;
    if (RouteSkinMessage(message, wParam, lParam, routed))
        return routed;
    if (message == WM_ERASEBKGND || message == WM_PRINTCLIENT) {
        RECT area;
        ::GetClientRect(window, &area);
        FillSolid(reinterpret_cast<HDC>(wParam), area, ActiveSkin().form.surface.background);
        return TRUE;
    }

    // A handler that throws has shown its error and counts as handled: in particular a close
    // handler that fails must not let DefWindowProc destroy the window.
    LRESULT result = 0;
    Guard([&] { result = self->HandleMessage(message, wParam, lParam); });

    if ((message == WM_NCPAINT || message == WM_NCACTIVATE) && ::GetMenu(window))
        PaintMenuBarRest(window);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
    }
    return result;
}

} // namespace vexlor::ui
