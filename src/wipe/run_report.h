#pragma once
// What a run could not destroy beyond doubt, file by file, with the reasons; and the drives
// whose kind may keep old data whatever is written. Helpers note their files here as they
// finish, so that no outcome is lost when the run ends early.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/volume_facts.h"

namespace vexlor::wipe {

enum class Reason {
    // The file itself stays, or may.
    NotDeleted,    // every delete was refused
    Link,          // a link, left as it was with what it names
    OtherNames,    // a file of several names: the others keep its data
    NotInPlace,    // compressed, encrypted or kept elsewhere by the file system
    StreamsHidden, // its streams could not be listed
    SpaceRefused,  // the space past its end could not be written
    Cloud,         // under a cloud's sync: the cloud keeps earlier versions
    NotWritten,    // its last write or flush failed: the run ended there
    StateUnknown,  // the system could not tell whether a file is there
    // A folder added to the list stays.
    FolderKept,       // it still holds something: a file that stayed, one not listed, a link
    FolderNotRemoved, // emptied, but the system would not remove it
    // The drive may keep old data whatever the file became.
    SolidState,    // a solid-state or flash drive remaps what is written
    Network,       // a server may keep copies
    CopyOnWrite,   // the file system writes changes beside the old data
    RestorePoints, // restore points (shadow copies) of the drive may keep it
};

// Whether the reason is the drive's rather than the file's.
bool IsDriveReason(Reason reason);

struct Outcome {
    std::wstring path; // a file's path, or a drive's root for the drive's reasons
    std::vector<Reason> reasons;
};

class RunReport {
public:
    // Keeps a place for `path` in the run's order, before its helper notes anything: helpers
    // finish in any order. A place shows only with a reason.
    void Place(const std::wstring& path);
    // Notes a reason once for `path`, at its place, or after those there are.
    void Note(const std::wstring& path, Reason reason);
    std::vector<Outcome> Outcomes() const;
    // True while no file was noted with a reason of its own (drives' reasons aside).
    bool AllDestroyed() const;

private:
    Outcome& At(const std::wstring& path);

    mutable std::mutex mutex_;
    std::vector<Outcome> outcomes_;
    std::map<std::wstring, std::size_t> places_; // of each path in outcomes_
};

// What a drive of these facts may keep of whatever was written on it.
std::vector<Reason> DriveReasons(const platform::VolumeFacts& facts);

} // namespace vexlor::wipe
