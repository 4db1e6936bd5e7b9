#pragma once

#include <windows.h>

namespace vexlor::app {

// The whole life of the program: a second start hands its arguments to the running instance
// and ends; the first creates the main window, lists the paths it was started with and runs
// until the window is closed. Returns the exit code.
int Run(HINSTANCE instance, int showCommand);

} // namespace vexlor::app
