#pragma once
// The file operations of the wipe. Tests replace them to inject failures, to watch a file just
// before it is deleted and to count delete attempts, and replace Sleep so that a refused delete
// does not hold a test up for five seconds.

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

using SleepSignature = void(DWORD milliseconds);
extern Seam<SleepSignature> SleepApi;

// True when a file, not a folder, exists at `path`.
bool FileExists(const std::wstring& path);

} // namespace vexlor::platform
