#pragma once
// Every decision the program takes by the clock asks it here: tests fix the date, move time
// themselves and decide when a wait ends, so that nothing they check depends on the speed of
// the machine.

#include <windows.h>

#include <chrono>

#include "platform/seam.h"

namespace vexlor::platform {

// The local date and time (GetLocalTime); tests fix it to a known moment.
using LocalTimeSignature = SYSTEMTIME();
extern Seam<LocalTimeSignature> LocalTimeApi;

// Time that only moves forward, for "again after so long" and for measuring the disk.
using SteadyTime = std::chrono::steady_clock::time_point;
using SteadyNowSignature = SteadyTime();
extern Seam<SteadyNowSignature> SteadyNowApi;

// What ended a wait.
enum class Woken { Event, Input, TimedOut };
// Waits until `event` is set, a message arrives for the thread, or `milliseconds` pass
// (MsgWaitForMultipleObjectsEx over all input). The window thread waits so for its helpers and
// still answers.
using WaitForEventOrInputSignature = Woken(HANDLE event, DWORD milliseconds);
extern Seam<WaitForEventOrInputSignature> WaitForEventOrInputApi;

// Arms a window's timer (SetTimer): WM_TIMER with `id` after `milliseconds`.
using SetTimerSignature = void(HWND window, UINT_PTR id, UINT milliseconds);
extern Seam<SetTimerSignature> SetTimerApi;

} // namespace vexlor::platform
