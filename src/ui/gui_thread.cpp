#include "ui/gui_thread.h"

#include <windows.h>

#include "base/handles.h"
#include "ui/application.h"
#include "ui/dispatch.h"

namespace vexlor::ui {
namespace {

// The request travels as the message's parameter; the worker waits for `done`.
constexpr UINT kRunRequest = WM_APP + 1;

struct Request {
    const std::function<void()>* work;
    HANDLE done;
};

} // namespace

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

bool ServeGuiThreadRequest(unsigned message, long long parameter) {
    if (message != kRunRequest)
        return false;
    const auto* request = reinterpret_cast<const Request*>(parameter);
    Guard(*request->work);
    ::SetEvent(request->done);
    return true;
}

} // namespace vexlor::ui
