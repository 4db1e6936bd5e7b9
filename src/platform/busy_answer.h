#pragma once
// Keeps the window thread answering during work that holds it for a while, such as thousands
// of chosen files taken into the list.

#include "platform/clock.h"

namespace vexlor::platform {

// Work calls Tick often (every few entries); at once, then at most every 20 ms, the thread's
// windows repaint and answer what other threads and programs send them. The user's input and
// posted messages stay queued until the work is done, so that no command runs in the middle of
// it.
class BusyAnswer {
public:
    void Tick();

private:
    SteadyTime answered_{}; // long ago: the first tick answers
};

} // namespace vexlor::platform
