#pragma once

#include <windows.h>

#include "platform/seam.h"

namespace vexlor::platform {

// The local date and time (GetLocalTime); tests fix it to a known moment.
using LocalTimeSignature = SYSTEMTIME();
extern Seam<LocalTimeSignature> LocalTimeApi;

} // namespace vexlor::platform
