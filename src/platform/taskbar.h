#pragma once
// The window's button on the taskbar: the progress of a long operation shown on it, and a
// flash to call the user back.

#include <windows.h>

#include <cstdint>

#include "platform/seam.h"

namespace vexlor::platform {

enum class TaskbarState { None, Normal, Error };

// ITaskbarList3 for `window`'s button: no progress, or `done` of `total` in the normal or the
// error colour. Where the system has no such taskbar, nothing. COM must be initialised.
using TaskbarProgressSignature = void(HWND window, TaskbarState state, std::uint64_t done,
                                      std::uint64_t total);
extern Seam<TaskbarProgressSignature> TaskbarProgressApi;

// FlashWindowEx: the button flashes until the window comes to the front.
using FlashWindowSignature = void(HWND window);
extern Seam<FlashWindowSignature> FlashWindowApi;

} // namespace vexlor::platform
