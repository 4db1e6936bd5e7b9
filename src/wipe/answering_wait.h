#pragma once
// The window thread waiting for its helpers: it still answers its window, at once when a
// message comes and now and then anyway, so that the bars are redrawn.

#include <windows.h>

#include "wipe/overwrite.h"

namespace vexlor::wipe {

// Waits until `event` is set or the window needs answering, and answers it then. Returns
// whether the event was set.
bool AwaitEventAnswering(HANDLE event, FileProgress& progress);

} // namespace vexlor::wipe
