#pragma once
// What folders hold. A folder added to the list gives its files, all its subfolders down; after
// the run its emptied folders are removed. Tests replace the listing to play links, which Wine
// cannot make.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

// One entry of a folder as the system lists it.
struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;
    DWORD reparseTag = 0; // of a reparse point
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A symbolic link, junction or mount point, or a reparse point of no known kind: a name for
    // something elsewhere, never entered.
    bool IsLink() const;
};

// The entries of `folder` without "." and "..", in the system's order. False when the folder
// cannot be read, with the reason in GetLastError.
using ListFolderSignature = bool(const std::wstring& folder, std::vector<FolderEntry>& entries);
extern Seam<ListFolderSignature> ListFolderApi;
// The real listing, for fakes that pass it on.
bool ListFolderDirect(const std::wstring& folder, std::vector<FolderEntry>& entries);

// `folder` and `name` with one separator between them.
std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name);

// The files of `folder` and of all its subfolders, each folder's own before those of its
// subfolders, and the links met there as themselves, not followed. `tick` is called for every
// entry, so that the window can answer meanwhile. A subfolder that cannot be read is left out;
// `folder` itself unread throws vexlor::Error.
std::vector<std::wstring> FilesInFolderTree(const std::wstring& folder,
                                            const std::function<void()>& tick);

} // namespace vexlor::platform
