#pragma once
// Recording stand-ins for the system seams.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// Dispatches queued messages for up to `milliseconds`.
void PumpFor(DWORD milliseconds);

// Drops `paths` on `window` as Explorer does: a real WM_DROPFILES with a DROPFILES block of
// wide names, which the window owns from then on.
void SendDrop(HWND window, const std::vector<std::wstring>& paths);

} // namespace vexlor::testing
