#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/start_arguments.h"

namespace vexlor::app {

inline constexpr wchar_t SingleInstanceMutexName[] = L"DrvkW9wmnj398rf8s8";
// Set by the first instance once its main window takes hand-overs; a second start waits for it.
inline constexpr wchar_t WindowReadyEventName[] = L"DrvkW9wmnj398rf8s8-window";
// How long a second start waits for the running instance's window.
inline constexpr DWORD WindowWaitMilliseconds = 10000;

// Creates the single-instance mutex, owned and held open for the life of the process. Only
// ERROR_ALREADY_EXISTS means another instance runs; any other failure makes this the first.
bool AnotherInstanceIsRunning();

// The first item after the program's path on `commandLine`, without its quotes; empty when
// there is none.
std::wstring FirstArgument(const wchar_t* commandLine);

// The hand-over record for `argument`: dwData as given and the text with its terminating null.
COPYDATASTRUCT MakeHandOverRecord(const std::wstring& argument, ULONG_PTR data = 0);

// The texts a second start hands over, one record each: every path (dwData HandOverToDestroy
// when they came with the switch), or one empty text when there is none.
std::vector<std::wstring> HandOverTexts(const StartArguments& arguments);

// Waits for the running instance's main window (at most WindowWaitMilliseconds, less when that
// instance ends), then sends it every record and waits until it has taken each. Nothing is sent
// when no window comes.
void HandOverToRunningInstance(const StartArguments& arguments);

// The event a second start waits on, unset; the first instance makes it before its window and
// sets it once the window takes hand-overs. Held open for the life of the process, as the mutex
// is; null when it cannot be made.
HANDLE PrepareWindowReadyEvent();

} // namespace vexlor::app
