#include "ui/application.h"

#include "base/error.h"
#include "base/handles.h"
#include "ui/controls.h"
#include "ui/dispatch.h"

namespace vexlor::ui {
namespace {

constexpr wchar_t kApplicationClass[] = L"VexlorApplication";

// A request of another thread travels as the message's parameter; the thread waits for `done`.
constexpr UINT kRunRequest = WM_APP + 1;

struct Request {
    const std::function<void()>* work;
    HANDLE done;
};

LRESULT CALLBACK ApplicationProcedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message != kRunRequest)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const auto* request = reinterpret_cast<const Request*>(lParam);
    Guard(*request->work);
    ::SetEvent(request->done);
    return 0;
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
    RegisterWindowClass(instance, kApplicationClass, &ApplicationProcedure);
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

void RunOnGuiThread(const std::function<void()>& work) {
    const HWND application = Application::Get().Handle();
    if (::GetWindowThreadProcessId(application, nullptr) == ::GetCurrentThreadId()) {
        Guard(work);
        return;
    }
    const UniqueHandleNull done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Request request{&work, done.Get()};
    if (!done || !::PostMessageW(application, kRunRequest, 0, reinterpret_cast<LPARAM>(&request)))
        return;
    ::WaitForSingleObject(done.Get(), INFINITE);
}

} // namespace vexlor::ui
