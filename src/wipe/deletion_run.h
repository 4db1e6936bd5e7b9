#pragma once
// The deletion run: every file of the list, one after the other.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wipe/overwrite.h"
#include "wipe/run_report.h"

namespace vexlor::wipe {

// An entry of the file list by an identity that stays with it while other entries come and go.
using EntryId = std::uintptr_t;

// What the run needs of the window: the list, the overall bar, the hourglass, the warning and
// the destruction of one file.
class RunView : public FileProgress {
public:
    // The entries of the list as it is now, in its order.
    virtual std::vector<EntryId> Entries() const = 0;
    // The entry's path; nothing once the entry has been removed from the list.
    virtual std::optional<std::wstring> PathOf(EntryId entry) const = 0;
    // The folders added to the list as it is now, whose files are among the entries.
    virtual std::vector<std::wstring> Folders() const = 0;
    // Position 0, then the new maximum.
    virtual void ResetOverallBar(int maximum) = 0;
    virtual void SetOverallBarPosition(int position) = 0;
    // The bars are redrawn only now and then during a run: this shows both as they are now.
    virtual void ShowProgressNow() = 0;
    // Destroys one existing file, its last steps left to `finishing`.
    virtual void CleanFile(const std::wstring& path, FinishQueue& finishing) = 0;
    // The hourglass over the whole program, from true to false.
    virtual void ShowBusy(bool busy) = 0;
    // Shows the run's warning and returns when the user has dismissed it.
    virtual void Warn(const std::wstring& text) = 0;
    // What the run could not destroy beyond doubt, at its end, also when an error ended it.
    virtual void Report(std::vector<Outcome> outcomes) = 0;

protected:
    ~RunView() = default;
};

inline constexpr wchar_t NotAllDeletedWarning[] =
    L"Некоторые файлы могли быть удалены не окончательно или не удалены. Возможно недостаточно "
    L"прав для совершения операции. ";

// Destroys the file of every entry the list has when the run starts and still has when the
// entry's turn comes, under the hourglass; entries added meanwhile wait for the next run. An
// entry whose file is not there is skipped; one whose file may have stayed leads to one
// warning at the end. Then the folders added before the run are removed where it emptied them
// (wipe/folder_removal.h); one that stays leads to the warning too. An error of one file ends
// the run there and is passed on, after the files already given to helpers are finished, with
// every folder left as it is. Either way the view learns every file's outcome.
void RunDeletion(RunView& view);

} // namespace vexlor::wipe
