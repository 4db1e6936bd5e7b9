#include "wipe/deletion_run.h"

#include <windows.h>

#include "ui/app_message.h"
#include "platform/file_system.h"
#include "ui/app_cursor.h"

namespace vexlor::wipe {
namespace {

// The entry's file, unless the entry or its file is gone: the list may have been cleared from
// the menu meanwhile, and the same path listed twice is gone the second time.
bool CleanEntry(RunView& view, int index) {
    const std::optional<std::wstring> path = view.EntryAt(index);
    if (!path || !platform::FileExists(*path))
        return true;
    return view.CleanFile(*path);
}

} // namespace

void RunDeletion(RunView& view) {
    const ui::WaitCursor hourglass;
    // Files added during the run wait for the next one.
    const int steps = view.EntryCount();
    view.ResetOverallBar(steps);
    bool allDeleted = true;
    for (int i = 0; i < steps; ++i) {
        if (!CleanEntry(view, i))
            allDeleted = false;
        view.ProcessMessages();
        view.SetOverallBarPosition(i + 1);
    }
    if (!allDeleted)
        ui::ShowAppMessage(NotAllDeletedWarning, MB_ICONWARNING);
}

} // namespace vexlor::wipe
