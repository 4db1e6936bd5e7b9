#include "wipe/deletion_run.h"

#include "platform/file_system.h"
#include "platform/volume_facts.h"
#include "wipe/finish_queue.h"
#include "wipe/folder_removal.h"
#include "wipe/run_report.h"

namespace vexlor::wipe {
namespace {

// An entry removed from the list meanwhile is not touched; the same path listed twice is gone
// the second time, and a folder is not a file to destroy. A link is left as it is, and what it
// names too, which may lie anywhere: the user sees a file or folder where there is only a name.
// What the drive may keep whatever was written, noted once per drive.
void NoteDrive(RunReport& report, const platform::VolumeFactsCache::Volume& volume) {
    const auto& [root, facts] = volume;
    for (const Reason reason : DriveReasons(facts))
        report.Note(root, reason);
}

void CleanEntry(RunView& view, EntryId entry, FinishQueue& finishing,
                platform::VolumeFactsCache& volumes) {
    const std::optional<std::wstring> path = view.PathOf(entry);
    if (!path)
        return;
    switch (platform::ProbePath(*path)) {
    case platform::PathKind::File:
        view.CleanFile(*path, finishing); // the file's outcome goes to the report
        NoteDrive(finishing.Report(), volumes.For(*path));
        return;
    case platform::PathKind::Folder:
    case platform::PathKind::Missing:
        return;
    case platform::PathKind::FileLink:
    case platform::PathKind::FolderLink:
        finishing.Report().Note(*path, Reason::Link);
        return;
    case platform::PathKind::Unknown: // a stick pulled out, a share gone, a folder not to be read
        finishing.Report().Note(*path, Reason::StateUnknown);
        return;
    }
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

// Every file handed over is finished, also when the run ends with an error (the queue waits
// for them as it goes); what became of them reaches the view either way.
void RunEntries(RunView& view, const std::vector<EntryId>& entries, RunReport& report) {
    FinishQueue finishing(view, report);
    platform::VolumeFactsCache volumes;
    try {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            CleanEntry(view, entries[i], finishing, volumes);
            finishing.ThrowIfFailed();
            view.ProcessMessages();
            view.SetOverallBarPosition(static_cast<int>(i + 1));
        }
    } catch (...) {
        // A helper works on an earlier file: its failure is the run's first.
        finishing.WaitForAll();
        throw;
    }
    finishing.WaitForAll();
}

} // namespace

void RunDeletion(RunView& view) {
    const Busy hourglass(view);
    const std::vector<EntryId> entries = view.Entries();
    const std::vector<std::wstring> folders = view.Folders(); // one added meanwhile waits too
    view.ResetOverallBar(static_cast<int>(entries.size()));
    RunReport report;
    try {
        RunEntries(view, entries, report);
        RemoveEmptiedFolders(folders, report, view);
    } catch (...) {
        view.ShowProgressNow();
        view.Report(report.Outcomes());
        throw;
    }
    view.ShowProgressNow();
    if (!report.AllDestroyed())
        view.Warn(NotAllDeletedWarning);
    view.Report(report.Outcomes());
}

} // namespace vexlor::wipe
