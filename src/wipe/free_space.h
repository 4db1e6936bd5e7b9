#pragma once
// Cleaning the free space of a volume: what earlier deletions left in its free clusters, and on
// NTFS in its free file records, is overwritten with zeros by files of the program's own that
// fill the volume, and which are deleted again afterwards. Nothing else on the volume is
// touched.

#include <cstddef>
#include <cstdint>
#include <string>

#include "wipe/overwrite.h"

namespace vexlor::wipe {

// The hidden folder a cleaning makes in the folder the user chose and holds its files in; a
// folder of this name there is what a cleaning that did not end (the program killed, the
// machine gone down) left behind.
inline constexpr wchar_t FreeSpaceFolderName[] = L"Vexlor free space";

enum class FreeSpacePhase : int {
    Clusters = 0, // zeros into every free cluster
    Records = 1,  // tiny files into every free file record, where the file system keeps small
                  // files' data in their records
    Removal = 2,  // everything made deleted again
};
inline constexpr int FreeSpacePhaseCount = 3;

// What the cleaning needs of the window: the bar of the phase, the answering, and the stop.
class FreeSpaceView : public FileProgress {
public:
    virtual void ShowPhase(FreeSpacePhase phase) = 0;
    // Whether the user asked for the cleaning to stop; asked after every answer of the window.
    virtual bool StopRequested() const = 0;

protected:
    ~FreeSpaceView() = default;
};

struct FreeSpaceOutcome {
    std::uint64_t zeroBytes = 0; // written into free clusters, all of it on the disk
    std::size_t records = 0;     // free file records filled
    bool stopped = false;        // stopped by the user before the volume was full
    bool removed = true;         // the cleaning's folder went with everything in it
};

// Makes its folder in `folder` (first removing one an earlier cleaning left there), fills the
// volume with zeros through files of 128 MiB, each flushed, until the volume has no room, then
// fills the free file records with tiny files, and deletes all of them and its folder. A stop,
// and an error, delete them too.
FreeSpaceOutcome CleanFreeSpace(const std::wstring& folder, FreeSpaceView& view);

// Deletes the folder a cleaning that did not end left in `folder`, with what is in it, links
// not followed. True when there is none there any more.
bool RemoveFreeSpaceLeftovers(const std::wstring& folder);

} // namespace vexlor::wipe
