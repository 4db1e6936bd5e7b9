#pragma once

#include <functional>

namespace vexlor::ui {

// Dispatches every message already queued and returns. Long operations on the GUI thread call
// it regularly so the window stays responsive. A WM_QUIT met here is kept, not lost: the main
// loop ends the program once the long operation has returned to it.
void ProcessMessages();

// True once ProcessMessages has met a WM_QUIT that the main loop has not yet acted on.
bool QuitPending();

// Runs until WM_QUIT (also one kept by ProcessMessages) and returns its exit code.
int RunMessageLoop();

// The loop of a modal window: runs the thread's messages until `ended` says so. A WM_QUIT met
// meanwhile does not end it; it is kept for the main loop.
void RunModalLoop(const std::function<bool()>& ended);

} // namespace vexlor::ui
