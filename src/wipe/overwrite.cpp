#include "wipe/overwrite.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstddef>

#include "platform/file_system.h"
#include "base/error.h"
#include "base/handles.h"
#include "wipe/flush_pacer.h"

namespace vexlor::wipe {
namespace {

constexpr int kDeleteAttempts = 51;
constexpr DWORD kDeleteWaitMilliseconds = 100;
constexpr wchar_t kWriteError[] = L"Stream write error";

// The one source of every zero written; it is never written to itself.
alignas(4096) std::byte zeros[WriteChunkBytes];

UniqueFile OpenExclusive(const std::wstring& path) {
    // Share mode 0: no one else may read, write or delete the file while it is overwritten.
    UniqueFile file(
        platform::CreateFileApi(path, GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file) {
        const DWORD code = ::GetLastError();
        throw Error(L"Cannot open file \"" + path + L"\". " + SystemErrorText(code));
    }
    return file;
}

std::uint64_t FileSize(HANDLE file, const std::wstring& path) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        ThrowLastError(L"Cannot read the size of file \"" + path + L"\".");
    return static_cast<std::uint64_t>(size.QuadPart);
}

// Whole 2-byte words that cover the file, and one more word.
std::uint64_t OverwriteLength(std::uint64_t size) {
    return (size / 2 + size % 2 + 1) * 2;
}

void WriteZeros(HANDLE file, DWORD bytes) {
    DWORD written = 0;
    if (!platform::WriteFileApi(file, zeros, bytes, written) || written != bytes)
        throw Error(kWriteError);
}

// Data that never reaches the disk is not overwritten, so a failed flush fails the overwrite.
double FlushTimed(HANDLE file) {
    const auto start = std::chrono::steady_clock::now();
    if (!platform::FlushFileBuffersApi(file))
        throw Error(kWriteError);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void OverwriteWithZeros(HANDLE file, std::uint64_t size, FileProgress& progress) {
    const int shift = BarShift(size);
    progress.ResetFileBar(BarValue(size, shift));
    const std::uint64_t length = OverwriteLength(size);
    FlushPacer pacer;
    std::uint64_t written = 0;
    std::uint64_t unflushed = 0;
    while (written < length) {
        const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(
            {WriteChunkBytes, length - written, pacer.BytesPerFlush() - unflushed}));
        WriteZeros(file, chunk);
        written += chunk;
        unflushed += chunk;
        progress.SetFileBarPosition(BarValue(std::min(written, size), shift));
        if (written < length && unflushed == pacer.BytesPerFlush()) {
            pacer.Record(unflushed, FlushTimed(file));
            unflushed = 0;
        }
        progress.ProcessMessages();
    }
    FlushTimed(file);
}

bool DeleteWithRetries(const std::wstring& path, FileProgress& progress) {
    // A scanner or indexer that opened the file meanwhile usually lets go within seconds.
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (platform::DeleteFileApi(path))
            return true;
        platform::SleepApi(kDeleteWaitMilliseconds);
        progress.ProcessMessages();
    }
    return false;
}

} // namespace

bool OverwriteAndDelete(const std::wstring& path, FileProgress& progress) {
    {
        const UniqueFile file = OpenExclusive(path);
        OverwriteWithZeros(file.Get(), FileSize(file.Get(), path), progress);
    } // closed before the delete, also when the overwrite failed
    return DeleteWithRetries(path, progress);
}

int BarShift(std::uint64_t size) {
    int shift = 0;
    while ((size >> shift) > static_cast<std::uint64_t>(INT_MAX))
        ++shift;
    return shift;
}

int BarValue(std::uint64_t bytes, int shift) {
    return static_cast<int>(bytes >> shift);
}

} // namespace vexlor::wipe
