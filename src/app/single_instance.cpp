#include "app/single_instance.h"

#include <shellapi.h>

#include "base/handles.h"
#include "base/product.h"

namespace vexlor::app {
namespace {

// Both sides create it: whichever comes first makes it, unset.
HANDLE WindowReadyEvent() {
    return ::CreateEventW(nullptr, TRUE, FALSE, WindowReadyEventName);
}

// Explorer starts one program per selected file at once: the first of them may not have its
// window yet when the others look for it. The mutex, handed to us should the running instance
// end without a window, ends the wait early.
HWND WaitForRunningWindow() {
    const UniqueHandleNull ready(WindowReadyEvent());
    const UniqueHandleNull mutex(::OpenMutexW(SYNCHRONIZE, FALSE, SingleInstanceMutexName));
    HANDLE waited[2] = {ready.Get(), mutex.Get()};
    const DWORD count = ready ? (mutex ? 2 : 1) : 0;
    if (count > 0)
        ::WaitForMultipleObjects(count, waited, FALSE, WindowWaitMilliseconds);
    return ::FindWindowW(MainWindowClassName, ApplicationTitle);
}

} // namespace

bool AnotherInstanceIsRunning() {
    // The handle is deliberately never closed: the system frees the mutex with the process.
    ::CreateMutexW(nullptr, TRUE, SingleInstanceMutexName);
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring FirstArgument(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return {};
    std::wstring first = count > 1 ? arguments[1] : L"";
    ::LocalFree(arguments);
    return first;
}

COPYDATASTRUCT MakeHandOverRecord(const std::wstring& argument, ULONG_PTR data) {
    COPYDATASTRUCT record{};
    record.dwData = data;
    record.cbData = static_cast<DWORD>((argument.size() + 1) * sizeof(wchar_t));
    record.lpData = const_cast<wchar_t*>(argument.c_str());
    return record;
}

std::vector<std::wstring> HandOverTexts(const StartArguments& arguments) {
    if (arguments.paths.empty())
        return {L""}; // the running instance comes to the front all the same
    return arguments.paths;
}

void HandOverToRunningInstance(const StartArguments& arguments) {
    const HWND running = WaitForRunningWindow();
    if (!running)
        return;
    // The running instance comes to the front: this start, which the user just made, lets it.
    DWORD runningProcess = 0;
    ::GetWindowThreadProcessId(running, &runningProcess);
    ::AllowSetForegroundWindow(runningProcess);
    const ULONG_PTR data = arguments.toDestroy ? HandOverToDestroy : 0;
    for (const std::wstring& text : HandOverTexts(arguments)) {
        COPYDATASTRUCT record = MakeHandOverRecord(text, data);
        ::SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    }
}

HANDLE PrepareWindowReadyEvent() {
    // A second start of an earlier instance may still hold the event, set.
    const HANDLE ready = WindowReadyEvent();
    if (ready)
        ::ResetEvent(ready);
    return ready;
}

} // namespace vexlor::app
