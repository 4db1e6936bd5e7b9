#pragma once
// Empty files that take the places of destroyed names in their folder while the run stays
// there. FAT and exFAT keep a freed name in the folder's free entries until a new name takes
// them, and a driver puts a new name in the first free entries where it fits: a name of the
// same length made just after the file left its place lands there, unless an earlier free
// place fits it (one that another file's random name left, say). Two covers for each name,
// kept while the run destroys more files of the folder, fill those places one after the
// other. Each is held open and goes when it is let go, also when the program ends in the
// middle. Where the folder's records are a sorted tree (NTFS), a cover costs a little time and
// does no harm; the system does not tell under every driver which kind a volume is.

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "base/handles.h"

namespace vexlor::wipe {

class NameCovers {
public:
    // So many covers at most are held at once; a folder of more destroyed files keeps the
    // names of the later ones where the volume keeps deleted names.
    static constexpr std::size_t MostHeld = 4096;

    // Covers the name that the file at `path` had in its folder: it has a new name now, or is
    // gone. The covers of
    // another folder go first: the run has left it. Nothing happens when the cover cannot be
    // made; the name is then as safe as the volume keeps it.
    void Cover(const std::wstring& path);
    std::size_t Count() const;
    // Lets every cover go, so that the folder they are in can be removed.
    void LetGo();
    // One file's rename and covers at a time: helpers that interleave them would have one
    // file's covers take another's free places, of another size, and leave a piece of a name.
    std::unique_lock<std::mutex> Turn() { return std::unique_lock(turn_); }

private:
    std::mutex turn_;
    mutable std::mutex mutex_;
    std::wstring folder_;
    std::vector<UniqueFile> covers_;
};

// "C:\a\" for "C:\a\b.txt"; empty when the path names no folder.
std::wstring FolderOf(const std::wstring& path);

} // namespace vexlor::wipe
