#include "platform/busy_answer.h"

#include <windows.h>

#include "platform/clock.h"

namespace vexlor::platform {
namespace {

constexpr auto kAnswerInterval = std::chrono::milliseconds(20);
constexpr int kMostPaints = 64;

// Answers what is sent to the thread's windows and repaints them, leaving input and posted
// messages queued.
void AnswerSentAndPaint() {
    // Messages sent from other threads are answered inside the peek itself; what it returns
    // is a paint. Bounded, should some window leave its paint pending.
    MSG message;
    for (int paints = 0; paints < kMostPaints; ++paints) {
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            return;
        ::DispatchMessageW(&message);
    }
}

} // namespace

void BusyAnswer::Tick() {
    if (SteadyNowApi() - answered_ < kAnswerInterval)
        return;
    AnswerSentAndPaint();
    answered_ = SteadyNowApi();
}

} // namespace vexlor::platform
