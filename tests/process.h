#pragma once
// Starting and watching the real vexlor.exe from end-to-end tests.

#include <windows.h>

#include <functional>
#include <string>

#include "base/handles.h"

namespace vexlor::testing {

// The Windows path of the vexlor.exe that was built with the tests.
std::wstring VexlorExePath();
// The Windows path of a file the build names by its path on the build machine.
std::wstring WindowsPathOf(const char* built);
// The file where the stand-in for the browser notes the addresses the program opened.
std::wstring ShellRecordPath();

class Process {
public:
    // Starts `commandLine` (program path first, quoted as needed).
    static Process Start(const std::wstring& commandLine);
    Process(Process&&) = default;
    ~Process();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return handle_.Get(); }
    // Waits for the process to end while dispatching this thread's messages, so that the
    // process may send messages to our windows. Returns its exit code, or STILL_ACTIVE.
    // When `showedWindow` is given, the process's top-level windows are polled meanwhile; it
    // is set, and the wait ends early, as soon as one of them is visible.
    DWORD WaitForExit(DWORD milliseconds, bool* showedWindow = nullptr);
    bool Running() const;

private:
    Process(UniqueHandleNull handle, DWORD id) : handle_(std::move(handle)), id_(id) {}
    UniqueHandleNull handle_;
    DWORD id_ = 0;
};

// Polls `condition` for up to `milliseconds`, dispatching this thread's messages meanwhile;
// returns whether it became true.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// Waits, dispatching messages, for a visible top-level window of `processId` with this class
// and caption; null on time-out.
HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD milliseconds);

// Finds a window of `processId` (any, visible or not) with this class; null if none.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly);

} // namespace vexlor::testing
