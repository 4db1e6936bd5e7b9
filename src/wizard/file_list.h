#pragma once
// The entries of ListBoxFiles: full paths in the order added, each with an identity of its own
// kept in the entry's item data. Identities only grow and entries are only ever appended, so
// the item data stays sorted and an entry is found again by a binary search, however the
// entries before it were removed meanwhile.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "wipe/deletion_run.h"

namespace vexlor::wizard {

class FileList {
public:
    explicit FileList(HWND list = nullptr) : list_(list) {}

    int Count() const;
    // Appends every path; throws vexlor::Error when the list takes no more.
    void Append(const std::vector<std::wstring>& paths);
    void RemoveAt(int index);
    void Clear();

    std::vector<wipe::EntryId> Entries() const;
    std::optional<std::wstring> PathOf(wipe::EntryId entry) const;

private:
    std::wstring TextAt(int index) const;
    wipe::EntryId IdAt(int index) const;
    // The horizontal scroll range follows the widest entry, so that long paths can be read.
    void SetExtent(int width);
    void RecomputeExtent();

    HWND list_;
    wipe::EntryId nextId_ = 1;
    // Where the last entry asked for was found: a run asks for them in order, so the next one
    // is usually right after it.
    mutable int lastFound_ = -1;
    int extent_ = 0;
};

} // namespace vexlor::wizard
