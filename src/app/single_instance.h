#pragma once

#include <windows.h>

#include <string>

namespace vexlor::app {

inline constexpr wchar_t SingleInstanceMutexName[] = L"DrvkW9wmnj398rf8s8";

// Creates the single-instance mutex, owned and held open for the life of the process. Only
// ERROR_ALREADY_EXISTS means another instance runs; any other failure makes this the first.
bool AnotherInstanceIsRunning();

// The first item after the program's path on `commandLine`, without its quotes; empty when
// there is none.
std::wstring FirstArgument(const wchar_t* commandLine);

// The hand-over record for `argument`: dwData 0 and the text with its terminating null.
COPYDATASTRUCT MakeHandOverRecord(const std::wstring& argument);

// Sends `argument` to the running instance's main window, if one can be found, and waits
// until that instance has taken it.
void HandOverToRunningInstance(const std::wstring& argument);

} // namespace vexlor::app
