#include "platform/folder_tree.h"

#include "base/error.h"
#include "platform/file_system.h"

namespace vexlor::platform {
namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// One call to the system brings many entries: a folder of ten thousand files is read in
// milliseconds.
} // namespace

bool ListFolderDirect(const std::wstring& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(ExtendedLengthPath(PathInFolder(folder, L"*")).c_str(), FindExInfoBasic,
                           &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive's root
    do {
        if (IsDotEntry(found.cFileName))
            continue;
        const bool reparse = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        entries.push_back(
            {found.cFileName, found.dwFileAttributes, reparse ? found.dwReserved0 : 0});
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    ::SetLastError(error);
    return error == ERROR_NO_MORE_FILES;
}

bool FolderEntry::IsLink() const {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag));
}

Seam<ListFolderSignature> ListFolderApi{&ListFolderDirect};

std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        return folder + name;
    return folder + L"\\" + name;
}

std::vector<std::wstring> FilesInFolderTree(const std::wstring& folder,
                                            const std::function<void()>& tick) {
    std::vector<std::wstring> files;
    std::vector<std::wstring> waiting{folder}; // depth first, without the call stack's limits
    std::vector<FolderEntry> entries;
    while (!waiting.empty()) {
        const std::wstring current = std::move(waiting.back());
        waiting.pop_back();
        if (!ListFolderApi(current, entries)) {
            if (current == folder)
                ThrowLastError(L"Не удалось прочитать папку \"" + folder + L"\".");
            continue; // stays after the run, and is named then
        }
        std::vector<std::wstring> subfolders;
        for (const FolderEntry& entry : entries) {
            tick();
            const std::wstring path = PathInFolder(current, entry.name);
            if (entry.IsFolder() && !entry.IsLink())
                subfolders.push_back(path);
            else
                files.push_back(path);
        }
        // Taken from the back: in the order listed.
        waiting.insert(waiting.end(), subfolders.rbegin(), subfolders.rend());
    }
    return files;
}

} // namespace vexlor::platform
