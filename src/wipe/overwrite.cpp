#include "wipe/overwrite.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstddef>
#include <future>
#include <random>
#include <thread>

#include "platform/file_system.h"
#include "base/error.h"
#include "base/handles.h"
#include "wipe/flush_pacer.h"

namespace vexlor::wipe {
namespace {

constexpr int kDeleteAttempts = 51;
constexpr DWORD kDeleteWaitMilliseconds = 100;
constexpr wchar_t kWriteError[] = L"Stream write error";
// Deleting a large file can take the system a while, since its blocks and cached pages are
// freed in that one call. From this size on the delete runs on a helper thread, and the
// window gets its messages every kAnswerInterval meanwhile. (Under Wine the delete is done by
// Wine's server, which the window's messages pass through too, so there it still waits.)
constexpr std::uint64_t kSlowDeleteBytes = std::uint64_t{32} << 20;
constexpr auto kAnswerInterval = std::chrono::milliseconds(20);
// A one-letter name has only 62 others; beyond that many tries the folder is not the reason.
constexpr int kRenameAttempts = 64;

// The one source of every zero written; it is never written to itself.
alignas(4096) std::byte zeros[WriteChunkBytes];

UniqueFile OpenExclusive(const std::wstring& path) {
    // Share mode 0: no one else may read, write or delete the file while it is overwritten.
    // DELETE lets the file be renamed through this handle; where it is refused the file is
    // still overwritten, and keeps its name.
    UniqueFile file(platform::CreateFileApi(path, GENERIC_WRITE | DELETE, 0, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL));
    if (!file && ::GetLastError() == ERROR_ACCESS_DENIED)
        file.Reset(
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

// The window gets its messages at most this often during an overwrite: often enough that it
// answers at once, seldom enough that asking for them (a round trip to the system each time)
// costs nothing next to the disk.
constexpr auto kMessageInterval = std::chrono::milliseconds(10);

void OverwriteWithZeros(HANDLE file, std::uint64_t size, FileProgress& progress) {
    const int shift = BarShift(size);
    progress.ResetFileBar(BarValue(size, shift));
    const std::uint64_t length = OverwriteLength(size);
    FlushPacer pacer;
    std::uint64_t written = 0;
    std::uint64_t unflushed = 0;
    auto messagesProcessed = std::chrono::steady_clock::now();
    while (written < length) {
        const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(
            {WriteChunkBytes, length - written, pacer.BytesPerFlush() - unflushed}));
        WriteZeros(file, chunk);
        written += chunk;
        unflushed += chunk;
        progress.SetFileBarPosition(BarValue(std::min(written, size), shift));
        if (written == length)
            break; // the last chunk: the file is done within a flush, and the caller pumps
        if (unflushed == pacer.BytesPerFlush()) {
            pacer.Record(unflushed, FlushTimed(file));
            unflushed = 0;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - messagesProcessed >= kMessageInterval) {
            progress.ProcessMessages();
            messagesProcessed = now;
        }
    }
    FlushTimed(file);
}

bool DeleteAnswering(const std::wstring& path, bool slow, FileProgress& progress) {
    if (!slow)
        return platform::DeleteFileApi(path);
    std::packaged_task<bool()> task([&path] { return platform::DeleteFileApi(path); });
    std::future<bool> deleted = task.get_future();
    std::thread helper(std::move(task));
    while (deleted.wait_for(kAnswerInterval) == std::future_status::timeout)
        progress.ProcessMessages();
    helper.join();
    return deleted.get();
}

bool DeleteWithRetries(const std::wstring& path, std::uint64_t size, FileProgress& progress) {
    // A scanner or indexer that opened the file meanwhile usually lets go within seconds.
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteAnswering(path, size >= kSlowDeleteBytes, progress))
            return true;
        platform::SleepApi(kDeleteWaitMilliseconds);
        progress.ProcessMessages();
    }
    return false;
}

// A name of the same length from letters and digits, so nothing of the old one is left.
std::wstring RandomName(std::size_t length) {
    static constexpr wchar_t kAlphabet[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kAlphabet) - 2);
    std::wstring name(length, L'\0');
    for (wchar_t& c : name)
        c = kAlphabet[pick(generator)];
    return name;
}

// Renames the file, still open, within its folder so that its name does not outlive it in the
// folder's records. Returns the new path, or `path` when the file keeps its name (the rename
// refused): the delete then goes on under the old name.
std::wstring RenameToRandomName(HANDLE file, const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 == path.size())
        return path;
    const std::wstring folder = path.substr(0, slash + 1);
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
        const std::wstring renamed = folder + RandomName(path.size() - slash - 1);
        if (platform::RenameOpenFileApi(file, path, renamed))
            return renamed;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return path;
}

} // namespace

bool OverwriteAndDelete(const std::wstring& path, FileProgress& progress) {
    std::uint64_t size = 0;
    std::wstring renamed;
    {
        const UniqueFile file = OpenExclusive(path);
        size = FileSize(file.Get(), path);
        OverwriteWithZeros(file.Get(), size, progress);
        // Through the open handle: the system does not have to look the file up again.
        renamed = RenameToRandomName(file.Get(), path);
    } // closed before the delete, also when the overwrite failed
    if (DeleteWithRetries(renamed, size, progress))
        return true;
    // The warning that follows speaks of the file by the name the user knows.
    if (renamed != path)
        platform::MoveFileApi(renamed, path);
    return false;
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
