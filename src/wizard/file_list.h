#pragma once
// The entries of ListBoxFiles: full paths in the order added, each with an identity of its own.
// The list box shows them; the same entries are kept here beside it, changed only together
// with it, because every question put to the list box is a window message, and a run over a
// thousand files would spend more time asking than destroying. Identities only grow and
// entries are only ever appended, so they stay sorted and an entry is found again by a binary
// search, however the entries before it were removed meanwhile.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "wipe/deletion_run.h"

namespace vexlor::wizard {

class FileList {
public:
    explicit FileList(HWND list = nullptr) : list_(list) {}

    int Count() const { return static_cast<int>(entries_.size()); }
    // Appends every path; throws vexlor::Error when the list takes no more.
    void Append(const std::vector<std::wstring>& paths);
    void RemoveAt(int index);
    // Every entry and every folder noted.
    void Clear();
    // A folder whose files were added, noted once, for its removal after the run.
    void NoteFolder(const std::wstring& folder);
    const std::vector<std::wstring>& Folders() const { return folders_; }
    // After the list's font changed with the DPI: the scroll range measured again.
    void Remeasure() { RecomputeExtent(); }

    std::vector<wipe::EntryId> Entries() const;
    std::optional<std::wstring> PathOf(wipe::EntryId entry) const;

private:
    struct Entry {
        wipe::EntryId id;
        std::wstring path;
    };

    // The horizontal scroll range follows the widest entry, so that long paths can be read.
    void SetExtent(int width);
    void RecomputeExtent();

    HWND list_;
    std::vector<Entry> entries_;
    std::vector<std::wstring> folders_;
    wipe::EntryId nextId_ = 1;
    int extent_ = 0;
};

} // namespace vexlor::wizard
