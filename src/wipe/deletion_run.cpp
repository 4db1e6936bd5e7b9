#include "wipe/deletion_run.h"

#include "platform/file_system.h"
#include "wipe/finish_queue.h"

namespace vexlor::wipe {
namespace {

// False when a file may have stayed. An entry removed from the list meanwhile is not touched;
// the same path listed twice is gone the second time, and a folder is not a file to destroy.
// A link is left as it is, and what it names too, which may lie anywhere: the user sees a
// file or folder where there is only a name.
bool CleanEntry(RunView& view, EntryId entry, FinishQueue& finishing) {
    const std::optional<std::wstring> path = view.PathOf(entry);
    if (!path)
        return true;
    switch (platform::ProbePath(*path)) {
    case platform::PathKind::File:
        view.CleanFile(*path, finishing);
        return true; // the queue knows the outcome
    case platform::PathKind::Folder:
    case platform::PathKind::Missing:
        return true;
    case platform::PathKind::FileLink:
    case platform::PathKind::FolderLink:
        break;
    case platform::PathKind::Unknown:
        break; // a stick pulled out, a share gone, a folder that may not be read
    }
    return false;
}

// The hourglass on every way out of the run.
class Busy {
public:
    explicit Busy(RunView& view) : view_(view) { view_.ShowBusy(true); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy() { view_.ShowBusy(false); }

private:
    RunView& view_;
};

} // namespace

void RunDeletion(RunView& view) {
    const Busy hourglass(view);
    const std::vector<EntryId> entries = view.Entries();
    const int steps = static_cast<int>(entries.size());
    view.ResetOverallBar(steps);
    bool allDeleted = true;
    {
        FinishQueue finishing(view);
        for (int i = 0; i < steps; ++i) {
            if (!CleanEntry(view, entries[static_cast<std::size_t>(i)], finishing))
                allDeleted = false;
            finishing.ThrowIfFailed();
            view.ProcessMessages();
            view.SetOverallBarPosition(i + 1);
        }
        finishing.WaitForAll();
        allDeleted = allDeleted && finishing.AllDeleted();
    }
    view.ShowProgressNow();
    if (!allDeleted)
        view.Warn(NotAllDeletedWarning);
}

} // namespace vexlor::wipe
