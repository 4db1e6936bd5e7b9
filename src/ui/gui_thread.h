#pragma once

#include <functional>

namespace vexlor::ui {

// For worker threads: runs `work` on the GUI thread and waits until it has returned. The GUI
// thread runs it from whatever message loop it is in: the main loop, a modal dialog's, a
// message box's, or a long operation's pump. An exception of `work` goes to the error box
// there. When the program is ending and can take no more requests, `work` does not run, and
// the call may wait until the process ends. Called on the GUI thread, `work` just runs.
void RunOnGuiThread(const std::function<void()>& work);

// The application window's answer to such a request; true when `message` was one.
bool ServeGuiThreadRequest(unsigned message, long long parameter);

} // namespace vexlor::ui
