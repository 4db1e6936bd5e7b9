#pragma once

#include <windows.h>

namespace vexlor::app {

// The whole life of the program: a second start hands its argument to the running instance
// and ends; the first creates the main window and runs until it is closed. Returns the exit code.
int Run(HINSTANCE instance, int showCommand);

} // namespace vexlor::app
