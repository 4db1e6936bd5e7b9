#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace vexlor::platform {

// The paths of a drop (WM_DROPFILES), in the order they were dropped; the drop is finished
// and its memory given back, also when reading it fails.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

} // namespace vexlor::platform
