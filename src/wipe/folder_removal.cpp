#include "wipe/folder_removal.h"

#include <windows.h>

#include "base/handles.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "wipe/name_covers.h"

namespace vexlor::wipe {
namespace {

// As for files: beyond so many names taken, the folder is not the reason.
constexpr int kRenameAttempts = 64;

// The new path, or `path` when the folder keeps its name (the rename refused).
std::wstring RenameToRandomName(HANDLE folder, const std::wstring& path) {
    const std::wstring parent = FolderOf(path);
    if (parent.empty() || parent.size() == path.size())
        return path;
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
        const std::wstring renamed = parent + RandomFileName(path.size() - parent.size());
        if (platform::RenameOpenFileApi(folder, path, renamed))
            return renamed;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return path;
}

// Opened as itself, never what a link names: a folder that became a link since it was listed
// is left alone. Renamed, marked for deletion (which the system refuses for a folder that is
// not empty) and gone when the handle closes. A folder that stays gets its name back.
bool RemoveEmptyFolder(const std::wstring& path, NameCovers& covers) {
    UniqueFile folder(platform::CreateFileApi(
        path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    platform::AttributeTag info;
    if (!folder || (platform::QueryAttributeTagApi(folder.Get(), info) && info.IsLink()))
        return false;
    const std::wstring renamed = RenameToRandomName(folder.Get(), path);
    if (renamed != path)
        covers.Cover(path);
    if (!platform::DeleteOpenFileApi(folder.Get(), renamed)) {
        if (renamed != path)
            platform::RenameOpenFileApi(folder.Get(), renamed, path);
        return false;
    }
    folder.Reset();
    if (renamed == path)
        covers.Cover(path);
    return true;
}

// Removes the emptied folders inside `folder`; whether it holds nothing now. The names of one
// folder's subfolders are covered one after the other, while their covers are held; the covers
// made deeper down are let go first, since they are in the way.
bool EmptyTree(const std::wstring& folder, NameCovers& covers, RunReport& report,
               FileProgress& progress) {
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolderApi(folder, entries))
        return false;
    bool empty = true;
    std::vector<std::wstring> emptied;
    for (const platform::FolderEntry& entry : entries) {
        const std::wstring path = platform::PathInFolder(folder, entry.name);
        if (entry.IsFolder() && !entry.IsLink() && EmptyTree(path, covers, report, progress))
            emptied.push_back(path);
        else
            empty = false;
    }
    covers.LetGo();
    for (const std::wstring& path : emptied) {
        progress.ProcessMessages();
        if (!RemoveEmptyFolder(path, covers)) {
            report.Note(path, Reason::FolderNotRemoved);
            empty = false;
        }
    }
    return empty;
}

} // namespace

void RemoveEmptiedFolders(const std::vector<std::wstring>& folders, RunReport& report,
                          FileProgress& progress) {
    NameCovers covers;
    for (const std::wstring& folder : folders) {
        if (platform::ProbePath(folder) != platform::PathKind::Folder)
            continue; // removed with an earlier one, or gone
        if (!EmptyTree(folder, covers, report, progress)) {
            report.Note(folder, Reason::FolderKept);
            continue;
        }
        covers.LetGo();
        if (!RemoveEmptyFolder(folder, covers))
            report.Note(folder, Reason::FolderNotRemoved);
    }
}

} // namespace vexlor::wipe
