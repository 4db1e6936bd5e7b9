#include "ui/application.h"

#include "ui/controls.h"
#include "ui/gui_thread.h"
#include "base/error.h"

namespace vexlor::ui {
namespace {

constexpr wchar_t kApplicationClass[] = L"VexlorApplication";

// The hidden window carries the program's internal messages.
LRESULT CALLBACK ApplicationProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ServeGuiThreadRequest(message, static_cast<long long>(lParam)))
        return 0;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool BelongsToThisThread(HWND window) {
    return window && ::IsWindow(window) &&
           ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
}

} // namespace

Application& Application::Get() {
    static Application application;
    return application;
}

void Application::Initialize(HINSTANCE instance, std::wstring title) {
    if (handle_)
        return;
    instance_ = instance;
    title_ = std::move(title);

    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = &ApplicationProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kApplicationClass;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ThrowLastError(L"Cannot register the application window class.");
    RegisterControlClasses(instance);

    // WS_POPUP without WS_VISIBLE: a top-level window that never shows and has no taskbar button.
    handle_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClass, title_.c_str(), WS_POPUP, 0, 0,
                                0, 0, nullptr, nullptr, instance, nullptr);
    if (!handle_)
        ThrowLastError(L"Cannot create the application window.");
}

HWND Application::ActiveWindow() const {
    const HWND active = ::GetActiveWindow();
    if (BelongsToThisThread(active) && active != handle_)
        return active;
    return BelongsToThisThread(lastActive_) ? lastActive_ : nullptr;
}

} // namespace vexlor::ui
