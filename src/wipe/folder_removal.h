#pragma once
// After a run: the folders added to the list, removed where the run emptied them.

#include <string>
#include <vector>

#include "wipe/overwrite.h"
#include "wipe/run_report.h"

namespace vexlor::wipe {

// Removes every folder in each of `folders` that holds nothing any more, deepest first, and the
// folder itself when it is left empty; links are neither entered nor removed. Each goes as a
// destroyed file does: renamed to a random name of its name's length, deleted through its
// handle, its former name covered in its parent. A folder added that still holds something
// stays and is noted as kept; one the system will not remove, as not removed. A folder that is
// no longer there is passed over. The window answers between folders.
void RemoveEmptiedFolders(const std::vector<std::wstring>& folders, RunReport& report,
                          FileProgress& progress);

} // namespace vexlor::wipe
