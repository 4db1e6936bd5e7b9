#include "platform/clock.h"

namespace vexlor::platform {

Seam<LocalTimeSignature> LocalTimeApi{[] {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now;
}};

Seam<SteadyNowSignature> SteadyNowApi{[] { return std::chrono::steady_clock::now(); }};

Seam<WaitForEventOrInputSignature> WaitForEventOrInputApi{[](HANDLE event, DWORD milliseconds) {
    // Input already in the queue when the wait begins counts too, not only input that arrives.
    const DWORD woken =
        ::MsgWaitForMultipleObjectsEx(1, &event, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0)
        return Woken::Event;
    return woken == WAIT_OBJECT_0 + 1 ? Woken::Input : Woken::TimedOut;
}};

Seam<SetTimerSignature> SetTimerApi{[](HWND window, UINT_PTR id, UINT milliseconds) {
    ::SetTimer(window, id, milliseconds, nullptr);
}};

} // namespace vexlor::platform
