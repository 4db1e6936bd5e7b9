#pragma once
// The file operations of the wipe. Tests replace them to inject failures, to watch a file just
// before it is deleted and to count delete attempts, and replace Sleep so that a refused delete
// does not hold a test up for five seconds. Every path is passed to the system in its
// extended-length form, so that paths of any length work; callers and fakes see the path as
// the user chose it.

#include <windows.h>

#include <string>

#include "platform/seam.h"

namespace vexlor::platform {

// CreateFileW without security attributes or template; INVALID_HANDLE_VALUE on failure, with the
// reason in GetLastError.
using CreateFileSignature = HANDLE(const std::wstring& path, DWORD access, DWORD share,
                                   DWORD disposition, DWORD attributes);
extern Seam<CreateFileSignature> CreateFileApi;

// WriteFile at the current position; `written` receives the number of bytes stored.
using WriteFileSignature = bool(HANDLE file, const void* data, DWORD size, DWORD& written);
extern Seam<WriteFileSignature> WriteFileApi;

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

enum class PathKind {
    File,
    Folder,
    Missing, // the file or a folder on its path is not there
    Unknown, // the system could not tell: a device not ready, a share gone, access denied ...
};

// What is at `path`. Only "not found" counts as missing: any other failure may hide a file.
PathKind ProbePath(const std::wstring& path);

// GetFullPathNameW: `path` made absolute, with its separators, "." and ".." normalised; the
// path unchanged when the system refuses it.
std::wstring FullPath(const std::wstring& path);

// `path` in the extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") that the
// system takes at any length; made absolute and normalised first, since that form is not
// normalised by the system. Device paths and paths already in that form come back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);

} // namespace vexlor::platform
