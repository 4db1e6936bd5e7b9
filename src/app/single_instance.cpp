#include "app/single_instance.h"

#include <shellapi.h>

#include "base/product.h"

namespace vexlor::app {

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

COPYDATASTRUCT MakeHandOverRecord(const std::wstring& argument) {
    COPYDATASTRUCT record{};
    record.dwData = 0;
    record.cbData = static_cast<DWORD>((argument.size() + 1) * sizeof(wchar_t));
    record.lpData = const_cast<wchar_t*>(argument.c_str());
    return record;
}

void HandOverToRunningInstance(const std::wstring& argument) {
    COPYDATASTRUCT record = MakeHandOverRecord(argument);
    const HWND running = ::FindWindowW(MainWindowClassName, ApplicationTitle);
    if (running)
        ::SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

} // namespace vexlor::app
