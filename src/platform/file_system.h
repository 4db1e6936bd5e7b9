#pragma once
// The file operations of the wipe, and the reading of the program's own files. Tests replace
// them to inject failures, to watch a file just before it is deleted and to count delete
// attempts, to play file systems this one is not (streams, links, compressed and cloud files),
// to cut a file short while it is read, and replace Sleep so that a refused delete does not
// hold a test up for five seconds. Every path is passed to the system in its
// extended-length form, so that paths of any length work and name exactly the file the user
// chose; callers and fakes see the path as the user chose it.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

// CreateFileW without security attributes or template; INVALID_HANDLE_VALUE on failure, with the
// reason in GetLastError.
using CreateFileSignature = HANDLE(const std::wstring& path, DWORD access, DWORD share,
                                   DWORD disposition, DWORD attributes);
extern Seam<CreateFileSignature> CreateFileApi;

// WriteFile at `offset`, on a handle open for overlapped I/O or not, waiting for the end either
// way; `written` receives the number of bytes stored.
using WriteFileSignature = bool(HANDLE file, std::uint64_t offset, const void* data, DWORD size,
                                DWORD& written);
extern Seam<WriteFileSignature> WriteFileApi;
bool WriteFileAtDirect(HANDLE file, std::uint64_t offset, const void* data, DWORD size,
                       DWORD& written);

// The file's end moved to `size` (FileEndOfFileInfo, which, unlike SetEndOfFile, needs no file
// position and so serves overlapped handles too); the reason of a failure is in GetLastError.
bool SetFileEnd(HANDLE file, std::uint64_t size);

// ReadFile at the current position; `read` receives the number of bytes read, zero at the end
// of the file.
using ReadFileSignature = bool(HANDLE file, void* data, DWORD size, DWORD& read);
extern Seam<ReadFileSignature> ReadFileApi;

using FlushFileBuffersSignature = bool(HANDLE file);
extern Seam<FlushFileBuffersSignature> FlushFileBuffersApi;

using DeleteFileSignature = bool(const std::wstring& path);
extern Seam<DeleteFileSignature> DeleteFileApi;

// Renames a file without replacing an existing one (MoveFileExW with no flags); the reason of
// a failure is in GetLastError.
using MoveFileSignature = bool(const std::wstring& from, const std::wstring& to);
extern Seam<MoveFileSignature> MoveFileApi;

// Renames the file open on `file` (opened with DELETE access) to `to`, without replacing an
// existing file; `from` is its path now. The reason of a failure is in GetLastError.
using RenameOpenFileSignature = bool(HANDLE file, const std::wstring& from, const std::wstring& to);
extern Seam<RenameOpenFileSignature> RenameOpenFileApi;
// The real rename, for fakes that watch it and pass it on.
bool RenameOpenFileDirect(HANDLE file, const std::wstring& from, const std::wstring& to);

// GetFileAttributesW: INVALID_FILE_ATTRIBUTES on failure, with the reason in GetLastError.
using GetFileAttributesSignature = DWORD(const std::wstring& path);
extern Seam<GetFileAttributesSignature> GetFileAttributesApi;

using SleepSignature = void(DWORD milliseconds);
extern Seam<SleepSignature> SleepApi;

// The attributes of an open file and, when it is a reparse point, its reparse tag.
struct AttributeTag {
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    // A symbolic link, junction or mount point: a name for a file or folder elsewhere.
    bool IsLink() const;
};
// GetFileInformationByHandleEx with FileAttributeTagInfo; the reason of a failure is in
// GetLastError.
using QueryAttributeTagSignature = bool(HANDLE file, AttributeTag& info);
extern Seam<QueryAttributeTagSignature> QueryAttributeTagApi;

// A named data stream of a file: its name as the system lists it (":Zone.Identifier:$DATA").
struct NamedStream {
    std::wstring name;
    std::uint64_t size = 0;
};
// The named data streams of the open file (the unnamed one left out); a file system without
// streams has none. False when they cannot be listed, with the reason in GetLastError.
using ListStreamsSignature = bool(HANDLE file, std::vector<NamedStream>& streams);
extern Seam<ListStreamsSignature> ListStreamsApi;

// Marks the open file (opened with DELETE access) for deletion: it goes when the handle is
// closed. `path` is its path now. The reason of a failure is in GetLastError.
using DeleteOpenFileSignature = bool(HANDLE file, const std::wstring& path);
extern Seam<DeleteOpenFileSignature> DeleteOpenFileApi;
// The real mark, for fakes that watch it and pass it on.
bool DeleteOpenFileDirect(HANDLE file, const std::wstring& path);

// The whole of a file of the program's own (its tips, their pictures, the version file). Others
// may go on reading it but none may be writing it, so a half-written file is refused rather
// than read. A file larger than `maxBytes`, one that ends before its size, and any failure
// throw an Error naming the file; nothing when there is no file at `path`.
std::optional<std::vector<std::uint8_t>> ReadWholeFileIfPresent(const std::wstring& path,
                                                                std::uint64_t maxBytes);
// As ReadWholeFileIfPresent, but a missing file throws too.
std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path, std::uint64_t maxBytes);

enum class PathKind {
    File,
    Folder,
    FileLink,   // a symbolic link that names a file elsewhere
    FolderLink, // a symbolic link, junction or mount point that names a folder elsewhere
    Missing,    // the file or a folder on its path is not there
    Unknown,    // the system could not tell: a device not ready, a share gone, access denied ...
};

// What is at `path`, links not followed. Only "not found" counts as missing: any other failure
// may hide a file.
PathKind ProbePath(const std::wstring& path);

// GetFullPathNameW: `path` made absolute, with its separators, "." and ".." normalised; the
// path unchanged when the system refuses it.
std::wstring FullPath(const std::wstring& path);

// `path` in the extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") that the
// system takes at any length and as it stands. The system does not normalise that form, so
// "/" and the "." and ".." parts are resolved here, and nothing else: unlike the system's own
// reading of a path, a name keeps its trailing dots and spaces and a device name stays a file
// name, so the path names exactly the file the user chose. A relative path is taken from the
// current folder. Device paths and paths already in that form come back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

} // namespace vexlor::platform
