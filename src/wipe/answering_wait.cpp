#include "wipe/answering_wait.h"

#include "platform/clock.h"

namespace vexlor::wipe {
namespace {

// Often enough for the bars to move smoothly while nothing else comes.
constexpr DWORD kAnswerMilliseconds = 20;

} // namespace

bool AwaitEventAnswering(HANDLE event, FileProgress& progress) {
    if (platform::WaitForEventOrInputApi(event, kAnswerMilliseconds) == platform::Woken::Event)
        return true;
    progress.ProcessMessages();
    return false;
}

} // namespace vexlor::wipe
