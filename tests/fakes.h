#pragma once
// Recording stand-ins for the system seams.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/handles.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/shell.h"

namespace vexlor::testing {

struct MessageBoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
    bool othersEnabled; // whether any other visible window of the thread was enabled
};

// Records every message box and answers with `answer`.
class RecordedMessageBoxes {
public:
    explicit RecordedMessageBoxes(int answer = IDOK);
    std::vector<MessageBoxCall> calls;

private:
    platform::ScopedSeam<platform::MessageBoxSignature> seam_;
};

// Records every ShellExecuteW call and answers with the next result (the last one repeats).
class RecordedShell {
public:
    explicit RecordedShell(std::vector<std::intptr_t> results = {42});
    std::vector<platform::ShellRequest> calls;

private:
    std::vector<std::intptr_t> results_;
    platform::ScopedSeam<platform::ShellExecuteSignature> seam_;
};

// A plain top-level window of the test's own, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(const std::wstring& caption, const wchar_t* className = L"VexlorTest");
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow();
    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

// Time as the tests drive it, in place of the steady clock, the window thread's waits and the
// window timers: the clock stands still until a test moves it; a wait ends when its event is
// set, or times out only when a test lets it (Tick), its length then passing on the clock;
// timers are recorded, never fired. Installed for every in-process test.
class ManualTime {
public:
    struct Timer {
        HWND window;
        UINT_PTR id;
        UINT milliseconds;
    };

    ManualTime();
    ManualTime(const ManualTime&) = delete;
    ManualTime& operator=(const ManualTime&) = delete;

    platform::SteadyTime Now() const;
    void Advance(std::chrono::milliseconds by);
    // Lets one wait that finds its event unset time out; any thread may call it.
    void Tick();
    std::vector<Timer> Timers() const;

private:
    platform::Woken Wait(HANDLE event, DWORD milliseconds);

    // Far enough from the clock's start that "never done" reads as long ago.
    std::atomic<std::int64_t> nanoseconds_{std::int64_t{3600} * 1'000'000'000};
    UniqueHandleNull ticks_;
    mutable std::mutex mutex_;
    std::vector<Timer> timers_;
    platform::ScopedSeam<platform::SteadyNowSignature> now_;
    platform::ScopedSeam<platform::WaitForEventOrInputSignature> wait_;
    platform::ScopedSeam<platform::SetTimerSignature> timer_;
};

// The one every in-process test runs with.
ManualTime& Time();

// Runs `call` on this thread when it next dispatches its posted messages, in their order: in
// whatever loop runs then, a modal window's too.
void PostCall(std::function<void()> call);

// Dispatches this thread's messages until `done`; false when it never came (a guard only: a
// test asserts that it did).
bool DispatchUntil(const std::function<bool()>& done, DWORD guardMilliseconds = 60000);

// Drops `paths` on `window` as Explorer does: a real WM_DROPFILES with a DROPFILES block of
// wide names, which the window owns from then on.
void SendDrop(HWND window, const std::vector<std::wstring>& paths);

} // namespace vexlor::testing
