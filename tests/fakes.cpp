#include "fakes.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace vexlor::testing {
namespace {

bool AnyOtherWindowEnabled(HWND except) {
    struct Search {
        HWND except;
        bool found = false;
    } search{except};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (window != s->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
                s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

RecordedMessageBoxes::RecordedMessageBoxes(int answer)
    : seam_(platform::MessageBoxApi, [this, answer](HWND owner, const std::wstring& text,
                                                    const std::wstring& caption, UINT flags) {
          calls.push_back({owner, text, caption, flags, AnyOtherWindowEnabled(owner)});
          return answer;
      }) {}

RecordedShell::RecordedShell(std::vector<std::intptr_t> results)
    : results_(std::move(results)),
      seam_(platform::ShellExecuteApi, [this](const platform::ShellRequest& request) {
          const size_t index = std::min(calls.size(), results_.size() - 1);
          calls.push_back(request);
          return results_[index];
      }) {}

TestWindow::TestWindow(const std::wstring& caption, const wchar_t* className) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
    handle_ = ::CreateWindowExW(0, className, caption.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300,
                                200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (::IsWindow(handle_))
        ::DestroyWindow(handle_);
}

void SendDrop(HWND window, const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths)
        names += path + L'\0';
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

ManualTime::ManualTime()
    : ticks_(::CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr)),
      now_(platform::SteadyNowApi, [this] { return Now(); }),
      wait_(platform::WaitForEventOrInputApi,
            [this](HANDLE event, DWORD milliseconds) { return Wait(event, milliseconds); }),
      timer_(platform::SetTimerApi, [this](HWND window, UINT_PTR id, UINT milliseconds) {
          const std::lock_guard lock(mutex_);
          timers_.push_back({window, id, milliseconds});
      }) {}

platform::SteadyTime ManualTime::Now() const {
    return platform::SteadyTime(std::chrono::nanoseconds(nanoseconds_.load()));
}

void ManualTime::Advance(std::chrono::milliseconds by) {
    nanoseconds_ += std::chrono::nanoseconds(by).count();
}

void ManualTime::Tick() {
    ::ReleaseSemaphore(ticks_.Get(), 1, nullptr);
}

std::vector<ManualTime::Timer> ManualTime::Timers() const {
    const std::lock_guard lock(mutex_);
    return timers_;
}

platform::Woken ManualTime::Wait(HANDLE event, DWORD milliseconds) {
    // Only as a guard: a wait that nothing ends is a fault of the program or of the test.
    constexpr DWORD kNothingEndsIt = 120'000;
    const HANDLE either[] = {event, ticks_.Get()};
    const DWORD woken = ::WaitForMultipleObjects(2, either, FALSE, kNothingEndsIt);
    if (woken == WAIT_OBJECT_0)
        return platform::Woken::Event;
    if (woken != WAIT_OBJECT_0 + 1)
        ADD_FAILURE() << "a wait of the window thread was never ended";
    Advance(std::chrono::milliseconds(milliseconds));
    return platform::Woken::TimedOut;
}

namespace {

constexpr UINT kPostedCall = WM_APP + 71;

LRESULT CALLBACK RunPostedCall(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kPostedCall)
        return ::DefWindowProcW(window, message, wParam, lParam);
    const std::unique_ptr<std::function<void()>> call(
        reinterpret_cast<std::function<void()>*>(lParam));
    (*call)();
    return 0;
}

HWND PostedCallsWindow() {
    thread_local HWND window = [] {
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.lpfnWndProc = RunPostedCall;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VexlorTestPostedCalls";
        ::RegisterClassExW(&windowClass);
        return ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, windowClass.hInstance, nullptr);
    }();
    return window;
}

} // namespace

void PostCall(std::function<void()> call) {
    auto owned = std::make_unique<std::function<void()>>(std::move(call));
    if (::PostMessageW(PostedCallsWindow(), kPostedCall, 0, reinterpret_cast<LPARAM>(owned.get())))
        owned.release();
    else
        ADD_FAILURE() << "the call could not be posted";
}

ManualTime& Time() {
    static ManualTime time;
    return time;
}

bool DispatchUntil(const std::function<bool()>& done, DWORD guardMilliseconds) {
    const ULONGLONG start = ::GetTickCount64();
    while (!done()) {
        if (::GetTickCount64() - start > guardMilliseconds)
            return false;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

} // namespace vexlor::testing
