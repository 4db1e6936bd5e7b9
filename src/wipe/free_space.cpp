#include "wipe/free_space.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "base/error.h"
#include "base/handles.h"
#include "platform/clock.h"
#include "platform/disk_space.h"
#include "platform/file_space.h"
#include "platform/file_system.h"
#include "wipe/answering_wait.h"
#include "wipe/zero_writer.h"

namespace vexlor::wipe {
namespace {

// The size of each filler, below every file system's limit (FAT32 holds files of up to 4 GiB
// less a byte). Under Wine, freeing a file's cached pages, which its delete does, holds up
// every thread of the program until the system is done, about a quarter of a second for each
// gigabyte: a filler of this size is freed between two answers of the window.
constexpr std::uint64_t kFillerBytes = std::uint64_t{128} << 20;
// A write that a volume refuses while it says it has less room than this is taken for a full
// volume: some drivers refuse writes to a full volume as if for lack of rights (fusefat).
constexpr std::uint64_t kLittleRoom = FillStepBytes;
// A file record holds at most this much; a file's data stays inside it while it fits.
constexpr DWORD kLargestRecord = 4096;
constexpr auto kAnswerInterval = std::chrono::milliseconds(10);

// The data of the tiny files, and nothing else.
const std::vector<std::byte> recordZeros(kLargestRecord);

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (separated ? L"" : L"\\") + name;
}

// Names of the same length: on NTFS every tiny file's record then holds the same room for data.
std::wstring Numbered(std::size_t number) {
    wchar_t name[24] = {};
    swprintf_s(name, L"%08zu", number);
    return name;
}

bool MeansFull(DWORD error, const std::wstring& folder) {
    if (platform::IsNoRoomError(error))
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    const auto space = platform::DiskSpaceApi(folder);
    return space && space->freeBytes < kLittleRoom;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(Joined(folder, L"*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = Joined(folder, name);
            const DWORD attributes = found.dwFileAttributes;
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                ::RemoveDirectoryW(path.c_str()); // the link only, never what it names
            } else {
                RemoveTree(path);
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// Answers the window every few milliseconds of a loop that does not wait on anything.
class Answering {
public:
    explicit Answering(FileProgress& progress)
        : progress_(progress), last_(platform::SteadyNowApi()) {}
    void IfDue() {
        const platform::SteadyTime now = platform::SteadyNowApi();
        if (now - last_ < kAnswerInterval)
            return;
        progress_.ProcessMessages();
        last_ = now;
    }

private:
    FileProgress& progress_;
    platform::SteadyTime last_;
};

// The cleaning's folder and the files it made, each open until the end. A cleaning that did
// not end leaves them to the next start, which deletes the folder.
class Workspace {
public:
    explicit Workspace(const std::wstring& folder)
        : folder_(Joined(folder, FreeSpaceFolderName)), records_(Joined(folder_, L"r")) {
        for (const std::wstring* made : {&folder_, &records_})
            if (!::CreateDirectoryW(platform::ExtendedLengthPath(*made).c_str(), nullptr))
                ThrowLastError(L"Cannot create the folder \"" + *made + L"\".");
        ::SetFileAttributesW(platform::ExtendedLengthPath(folder_).c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    // After an error: everything goes, without the window answered.
    ~Workspace() {
        made_.clear();
        RemoveTree(platform::ExtendedLengthPath(folder_));
    }

    const std::wstring& Folder() const { return folder_; }
    const std::wstring& RecordsFolder() const { return records_; }

    // Plain files in the hidden folder: an attribute more may need room of its own, which a
    // full volume does not have. Open for overlapped I/O, as files to overwrite are, so that a
    // step's flush does not hold up the next write.
    static UniqueFile NewFile(const std::wstring& path) {
        return UniqueFile(platform::CreateFileApi(path, GENERIC_WRITE, 0, CREATE_NEW,
                                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED));
    }
    // Fillers first: the volume has room again from the first one deleted on.
    void Keep(UniqueFile file, const std::wstring& path) {
        made_.push_back({std::move(file), path});
    }

    // Deletes every file and the folders on a helper, since freeing gigabytes may take the
    // system a while, with the window answered and the bar over the files. Each file is closed
    // before it is deleted: a FUSE driver (Wine's way to such volumes) keeps a file deleted
    // while open under another name, which its record may have no room for on a full volume,
    // and the volume's table of records then grows for good. Returns whether the folder went.
    bool Remove(FreeSpaceView& view) {
        std::vector<Made> files = std::move(made_);
        made_.clear();
        view.ResetFileBar(static_cast<int>(files.size()));
        const UniqueHandleNull done(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!done)
            ThrowLastError(L"Cannot create an event.");
        std::atomic<std::size_t> count = 0;
        std::thread helper([&] {
            for (Made& made : files) {
                // Cut first, through the handle: Wine does a cut in the calling thread, but a
                // delete in its server, which every thread's messages wait for meanwhile.
                platform::SetFileEnd(made.file.Get(), 0);
                made.file.Reset();
                platform::DeleteFileApi(made.path);
                ++count;
            }
            // What a full volume let the system make only in part has a name but no handle.
            RemoveTree(platform::ExtendedLengthPath(folder_));
            ::SetEvent(done.Get());
        });
        while (!AwaitEventAnswering(done.Get(), view))
            view.SetFileBarPosition(static_cast<int>(count.load()));
        helper.join();
        view.SetFileBarPosition(static_cast<int>(files.size()));
        return platform::ProbePath(folder_) == platform::PathKind::Missing;
    }

private:
    struct Made {
        UniqueFile file;
        std::wstring path;
    };
    const std::wstring folder_;
    const std::wstring records_;
    std::vector<Made> made_;
};

// Every free cluster: files of zeros, one after the other, until one ends short of its size.
// Returns the bytes written, all of them flushed.
std::uint64_t FillClusters(Workspace& work, FreeSpaceView& view,
                           const std::function<bool()>& stopped) {
    const std::wstring& folder = work.Folder();
    const auto space = platform::DiskSpaceApi(folder);
    ZeroWriter writer(view, space ? space->freeBytes : 0);
    const ZeroWriter::FillEnds ends{[&](DWORD error) { return MeansFull(error, folder); }, stopped};
    std::uint64_t total = 0;
    for (std::size_t number = 1; !stopped(); ++number) {
        const std::wstring path = Joined(folder, Numbered(number));
        UniqueFile file = Workspace::NewFile(path);
        if (!file) {
            if (MeansFull(::GetLastError(), folder))
                break;
            ThrowLastError(L"Cannot create a file in the folder \"" + folder + L"\".");
        }
        const std::uint64_t bytes = writer.Fill(file.Get(), kFillerBytes, ends);
        work.Keep(std::move(file), path);
        total += bytes;
        if (bytes < kFillerBytes)
            break; // the volume is full, or the user stopped
    }
    return total;
}

// Writes `bytes` zeros as the whole of the file: false where the volume has no room for them.
bool TryData(HANDLE file, DWORD bytes, const std::wstring& folder) {
    // Even a cut to nothing may find no room on a full volume (exFAT does that).
    if (!platform::SetFileEnd(file, 0)) {
        if (MeansFull(::GetLastError(), folder))
            return false;
        ThrowLastError(L"Cannot write a file in the folder \"" + folder + L"\".");
    }
    DWORD stored = 0;
    if (platform::WriteFileApi(file, 0, recordZeros.data(), bytes, stored))
        return stored == bytes;
    if (!MeansFull(::GetLastError(), folder))
        throw Error(L"Stream write error");
    return false;
}

// On a full volume a file's data that does not fit in its record finds no cluster: the most
// that a record holds is found by halving, on the first file (the rest, named alike, hold as
// much). Returns it, with the file holding that much and flushed; 0 where records hold no data.
DWORD FillRecord(HANDLE file, DWORD known, const std::wstring& folder) {
    if (known == 0 && !TryData(file, 1, folder))
        return 0; // not even a byte: this file system keeps no data in its records
    if (known == 0 || !TryData(file, known, folder)) {
        DWORD fits = 0;
        DWORD refused = kLargestRecord + 1;
        while (refused - fits > 1) {
            const DWORD middle = fits + (refused - fits) / 2;
            (TryData(file, middle, folder) ? fits : refused) = middle;
        }
        if (fits == 0 || !TryData(file, fits, folder))
            return 0;
        known = fits;
    }
    FlushToDisk(file);
    return known;
}

// Every free file record of a full volume: tiny files, each holding as much as its record
// does, in a tree of folders. A full volume has no cluster for a folder's index to grow into,
// so a folder takes only the few names its own record has room for; when one is full, the
// files go on in a new folder beside it, or beside its parent when that one is full too.
class RecordFiller {
public:
    RecordFiller(Workspace& work, FreeSpaceView& view, const std::function<bool()>& stopped)
        : work_(work), stopped_(stopped), answering_(view) {}

    // Returns the records filled, folders' included.
    std::size_t Fill() {
        // The first file tells whether the file system keeps small files' data in their
        // records at all (FAT and exFAT do not), and how much one holds.
        const std::wstring firstPath = Joined(work_.RecordsFolder(), Numbered(0));
        UniqueFile first = Workspace::NewFile(firstPath);
        if (!first)
            return CheckFull(0);
        fits_ = FillRecord(first.Get(), 0, work_.Folder());
        if (fits_ == 0)
            return 0;
        work_.Keep(std::move(first), firstPath);
        made_ = 1;
        FillFolder(work_.RecordsFolder(), kDepth);
        return made_;
    }

private:
    // Deep enough for more free records than any volume has: each level multiplies by the
    // names a folder's record holds, four or more.
    static constexpr int kDepth = 10;

    // False when the filling is to end: no record is left, the user stopped, or a record held
    // no data. A new folder has room for names: when it cannot take even one, no record is
    // left.
    bool FillFolder(const std::wstring& folder, int depth) {
        if (depth == 0)
            return FillLeaf(folder);
        for (int number = 1;; ++number) {
            if (stopped_())
                return false;
            const std::wstring subfolder = Joined(folder, std::to_wstring(number));
            if (!::CreateDirectoryW(platform::ExtendedLengthPath(subfolder).c_str(), nullptr))
                return CheckFull(number > 1);
            ++made_;
            if (!FillFolder(subfolder, depth - 1))
                return false;
        }
    }

    bool FillLeaf(const std::wstring& folder) {
        for (std::size_t number = 1;; ++number) {
            if (stopped_())
                return false;
            const std::wstring path = Joined(folder, Numbered(number));
            UniqueFile file = Workspace::NewFile(path);
            if (!file)
                return CheckFull(number > 1);
            fits_ = FillRecord(file.Get(), fits_, work_.Folder());
            if (fits_ == 0)
                return false;
            work_.Keep(std::move(file), path);
            ++made_;
            answering_.IfDue();
        }
    }

    // A folder or file could not be made: fine when the volume is full, an error else.
    template <typename T> T CheckFull(T result) const {
        if (!MeansFull(::GetLastError(), work_.Folder()))
            ThrowLastError(L"Cannot create a file in the folder \"" + work_.Folder() + L"\".");
        return result;
    }

    Workspace& work_;
    const std::function<bool()>& stopped_;
    Answering answering_;
    DWORD fits_ = 0;
    std::size_t made_ = 0;
};

} // namespace

FreeSpaceOutcome CleanFreeSpace(const std::wstring& folder, FreeSpaceView& view) {
    RemoveFreeSpaceLeftovers(folder);
    FreeSpaceOutcome outcome;
    Workspace work(folder);
    const auto stopped = [&] {
        return outcome.stopped || (outcome.stopped = view.StopRequested());
    };
    view.ShowPhase(FreeSpacePhase::Clusters);
    outcome.zeroBytes = FillClusters(work, view, stopped);
    if (!stopped()) {
        view.ShowPhase(FreeSpacePhase::Records);
        view.ResetFileBar(0); // how many records are free, the system does not tell
        outcome.records = RecordFiller(work, view, stopped).Fill();
    }
    view.ShowPhase(FreeSpacePhase::Removal);
    outcome.removed = work.Remove(view);
    return outcome;
}

bool RemoveFreeSpaceLeftovers(const std::wstring& folder) {
    const std::wstring leftover = Joined(folder, FreeSpaceFolderName);
    switch (platform::ProbePath(leftover)) {
    case platform::PathKind::Missing:
        return true;
    case platform::PathKind::Folder:
        RemoveTree(platform::ExtendedLengthPath(leftover));
        return platform::ProbePath(leftover) == platform::PathKind::Missing;
    default:
        return false; // a link or a file of that name is not the cleaning's
    }
}

} // namespace vexlor::wipe
