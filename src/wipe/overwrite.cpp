#include "wipe/overwrite.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cwctype>
#include <memory>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/handles.h"
#include "platform/file_space.h"
#include "platform/file_system.h"
#include "wipe/finish_queue.h"
#include "wipe/name_covers.h"
#include "wipe/overwrite_plan.h"
#include "wipe/zero_writer.h"

namespace vexlor::wipe {
namespace {

constexpr int kDeleteAttempts = 51;
constexpr DWORD kDeleteWaitMilliseconds = 100;
// A one-letter name has only 62 others; beyond that many tries the folder is not the reason.
constexpr int kRenameAttempts = 64;

// Older headers lack these attributes.
constexpr DWORD kIntegrityStream = 0x8000;      // FILE_ATTRIBUTE_INTEGRITY_STREAM
constexpr DWORD kRecallOnOpen = 0x40000;        // FILE_ATTRIBUTE_RECALL_ON_OPEN
constexpr DWORD kRecallOnDataAccess = 0x400000; // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS
// The data of such a file is not on this computer: there is nothing here to overwrite, and
// opening it for writing would first fetch it.
constexpr DWORD kDataElsewhere = FILE_ATTRIBUTE_OFFLINE | kRecallOnOpen | kRecallOnDataAccess;
// The file system may write new data of such a file to new clusters and keep the old ones.
constexpr DWORD kNotInPlace =
    FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED | kIntegrityStream | kDataElsewhere;
// A file a cloud keeps in step (OneDrive and other sync roots) carries these attributes, or
// the cloud's reparse tag, of which the low bits of the second word vary.
constexpr DWORD kPinned = 0x80000;    // FILE_ATTRIBUTE_PINNED
constexpr DWORD kUnpinned = 0x100000; // FILE_ATTRIBUTE_UNPINNED
constexpr DWORD kCloudTagMask = 0xFFFF0FFF;

bool IsCloudFile(const platform::AttributeTag& info) {
    return (info.attributes & (kPinned | kUnpinned | kRecallOnOpen | kRecallOnDataAccess)) ||
           (info.reparseTag & kCloudTagMask) == IO_REPARSE_TAG_CLOUD;
}

// What is overwritten is open for overlapped I/O, so that a step's flush on a helper does not
// hold up the next write (wipe/step_flusher.h).
constexpr DWORD kForZeros = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED;

[[noreturn]] void ThrowCannotOpen(const std::wstring& path, DWORD code) {
    throw Error(L"Cannot open file \"" + path + L"\". " + SystemErrorText(code));
}

// Share mode 0: no one else may read, write or delete the file while it is overwritten.
// DELETE lets the file be renamed and deleted through this handle; where it is refused the
// file is still overwritten, keeps its name and is deleted by it. Reading the attributes
// (which share modes leave alone) tells links and files the system keeps in its own way.
// Empty when the file cannot be opened, the reason in GetLastError.
UniqueFile TryOpenExclusive(const std::wstring& path, DWORD access, DWORD flags) {
    access |= FILE_READ_ATTRIBUTES;
    UniqueFile file(platform::CreateFileApi(path, access | DELETE, 0, OPEN_EXISTING, flags));
    if (!file && ::GetLastError() == ERROR_ACCESS_DENIED)
        file.Reset(platform::CreateFileApi(path, access, 0, OPEN_EXISTING, flags));
    return file;
}

UniqueFile OpenExclusive(const std::wstring& path, DWORD access, DWORD flags) {
    UniqueFile file = TryOpenExclusive(path, access, flags);
    if (!file)
        ThrowCannotOpen(path, ::GetLastError());
    return file;
}

// A file still being finished is held open by its helper, without sharing, then renamed: the
// same file listed twice, under the same name or another, waits for it when the open fails
// while files are in flight. Empty when the file went meanwhile, as the earlier listing of it
// did.
UniqueFile OpenAfterFilesInFlight(const std::wstring& path, DWORD access, DWORD flags,
                                  FinishQueue& finishing) {
    // Asked before the open: a helper that finishes in between has let go of the file already.
    const bool filesInFlight = finishing.Busy();
    UniqueFile file = TryOpenExclusive(path, access, flags);
    if (file)
        return file;
    if (!filesInFlight)
        ThrowCannotOpen(path, ::GetLastError());
    finishing.WaitForAll();
    if (platform::ProbePath(path) == platform::PathKind::Missing)
        return {};
    return OpenExclusive(path, access, flags);
}

// Some network file systems cannot give the reparse tag; their attributes still tell a reparse
// point, which is then taken for a link, so that nothing behind it is touched.
platform::AttributeTag AttributeTagOf(HANDLE file, const std::wstring& path) {
    platform::AttributeTag info;
    if (platform::QueryAttributeTagApi(file, info))
        return info;
    BY_HANDLE_FILE_INFORMATION known{};
    if (!::GetFileInformationByHandle(file, &known))
        ThrowLastError(L"Cannot read the attributes of file \"" + path + L"\".");
    constexpr DWORD kSomeNameSurrogate = 0x20000000;
    const bool reparsePoint = known.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    return {known.dwFileAttributes, reparsePoint ? kSomeNameSurrogate : 0};
}

std::optional<BY_HANDLE_FILE_INFORMATION> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return std::nullopt;
    return info;
}

bool SameFile(const std::optional<BY_HANDLE_FILE_INFORMATION>& a,
              const std::optional<BY_HANDLE_FILE_INFORMATION>& b) {
    return a && b && a->dwVolumeSerialNumber == b->dwVolumeSerialNumber &&
           a->nFileIndexHigh == b->nFileIndexHigh && a->nFileIndexLow == b->nFileIndexLow;
}

// The file open for the overwrite, and what may keep its data whatever is written.
struct Target {
    UniqueFile file;
    bool inPlace = true;
    bool sparse = false;
    bool cloud = false;
};

// What became of the open: the file to overwrite, a link (left alone, and what it names too),
// a file of several names (the others keep its data: only the chosen name goes), or nothing
// any more (gone with an earlier listing of it).
enum class Opened { File, Link, OtherNames, Gone };

bool HasOtherNames(HANDLE file) {
    const auto identity = IdentityOf(file);
    return identity && identity->nNumberOfLinks > 1;
}

// Opens the file itself, never what a link names. A file that is a reparse point of another
// kind (compressed by the system, deduplicated, in the cloud) is opened again without the
// flag, so that the filter that keeps it shows its content; that it is still the same file is
// checked, and if not, it is left alone too.
Opened OpenTarget(const std::wstring& path, FinishQueue& finishing, Target& target) {
    target.file = OpenAfterFilesInFlight(path, GENERIC_WRITE,
                                         kForZeros | FILE_FLAG_OPEN_REPARSE_POINT, finishing);
    if (!target.file)
        return Opened::Gone;
    const platform::AttributeTag info = AttributeTagOf(target.file.Get(), path);
    if (info.IsLink())
        return Opened::Link;
    target.inPlace = (info.attributes & kNotInPlace) == 0;
    target.sparse = (info.attributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0;
    target.cloud = IsCloudFile(info);
    if (info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        const auto opened = IdentityOf(target.file.Get());
        target.file.Reset();
        target.file = OpenExclusive(path, GENERIC_WRITE, kForZeros);
        if (!SameFile(opened, IdentityOf(target.file.Get())))
            return Opened::Link;
        target.inPlace = false;
    }
    return HasOtherNames(target.file.Get()) ? Opened::OtherNames : Opened::File;
}

std::uint64_t FileSize(HANDLE file, const std::wstring& path) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        ThrowLastError(L"Cannot read the size of file \"" + path + L"\".");
    return static_cast<std::uint64_t>(size.QuadPart);
}

// A named stream of the file, open for its overwrite.
struct Stream {
    UniqueFile file;
    std::uint64_t size = 0;
    OverwritePlan plan;
};

// "C:\a\report.txt:Zone.Identifier" for the stream ":Zone.Identifier:$DATA".
std::wstring StreamPath(const std::wstring& path, const std::wstring& streamName) {
    std::wstring_view name = streamName;
    name.remove_suffix(std::wstring_view(L":$DATA").size());
    return path + std::wstring(name);
}

// Every named data stream, opened as the file was, before anything is written: a stream that
// cannot be opened stops the work as the file itself would, with the file untouched. `listed`
// turns false when the streams could not be listed, so some may keep their data.
std::vector<Stream> OpenNamedStreams(HANDLE file, const std::wstring& path, bool& listed) {
    std::vector<platform::NamedStream> names;
    listed = platform::ListStreamsApi(file, names);
    std::vector<Stream> streams;
    for (const platform::NamedStream& name : names) {
        const std::wstring streamPath = StreamPath(path, name.name);
        UniqueFile stream(
            platform::CreateFileApi(streamPath, GENERIC_WRITE, 0, OPEN_EXISTING, kForZeros));
        if (!stream)
            ThrowCannotOpen(streamPath, ::GetLastError());
        const std::uint64_t size = FileSize(stream.Get(), streamPath);
        streams.push_back({std::move(stream), size});
    }
    return streams;
}

bool DeleteWithRetries(const std::wstring& path) {
    // A scanner or indexer that opened the file meanwhile usually lets go within seconds.
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (platform::DeleteFileApi(path))
            return true;
        platform::SleepApi(kDeleteWaitMilliseconds);
    }
    return false;
}

// A full volume has no room for the new name's entries. The file, overwritten and flushed by
// now, is cut to nothing, which frees its clusters; only zeros stay in them.
bool CutToNothing(HANDLE file) {
    return platform::SetFileEnd(file, 0);
}

// Renames the file, still open, within its folder so that its name does not outlive it in the
// folder's records. Returns the new path, or `path` when the file keeps its name (the rename
// refused): the delete then goes on under the old name.
std::wstring RenameToRandomName(HANDLE file, const std::wstring& path) {
    const std::wstring folder = FolderOf(path);
    if (folder.empty() || folder.size() == path.size())
        return path;
    bool cut = false;
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
        const std::wstring renamed = folder + RandomFileName(path.size() - folder.size());
        if (platform::RenameOpenFileApi(file, path, renamed))
            return renamed;
        const DWORD error = ::GetLastError();
        if (platform::IsNoRoomError(error) && !cut) {
            cut = CutToNothing(file); // frees its clusters for the folder's new entries
            continue;
        }
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    return path;
}

// Renames the open file and deletes exactly it: marked for deletion through its handle, it
// goes when the handle closes, and no file put under its name meanwhile can be hit. Only
// where the system refuses that is it closed and deleted by its name, with retries; a file
// that stays then gets its name back, so that the warning speaks of it by the name the user
// knows. Returns whether it was deleted. It runs on a helper: freeing a large file's blocks
// and cached pages, in the delete or the close, can take the system a while.
bool RenameAndDelete(UniqueFile file, const std::wstring& path, bool rename, NameCovers& covers) {
    std::unique_lock turn = covers.Turn();
    const std::wstring renamed = rename ? RenameToRandomName(file.Get(), path) : path;
    // The name's former place is free now: covered before the delete, which some drivers
    // follow by giving the folder's last cluster back, with the name in it.
    if (renamed != path)
        covers.Cover(path);
    const bool marked = platform::DeleteOpenFileApi(file.Get(), renamed);
    turn.unlock();
    file.Reset(); // freeing a large file's clusters may take a while: not in turn
    if (marked || DeleteWithRetries(renamed)) {
        if (renamed == path) {
            turn.lock();
            covers.Cover(path);
        }
        return true;
    }
    if (renamed != path)
        platform::MoveFileApi(renamed, path);
    return false;
}

// How a helper ends a file: after its last flush (data that never reaches the disk is not
// overwritten, so a failed flush fails the file, which then stays as it is), or without one
// where nothing was written; renamed first unless a cloud would keep the random name.
struct Ending {
    bool flush = true;
    bool rename = true;
};

// The rest of a file's destruction, for a helper.
void HandOverTheRest(FinishQueue& finishing, UniqueFile file, const std::wstring& path,
                     Ending ending) {
    auto open = std::make_shared<UniqueFile>(std::move(file));
    finishing.HandOver(path, [open, path, ending, &covers = finishing.Covers()](RunReport& report) {
        if (ending.flush)
            FlushToDisk(open->Get());
        if (!RenameAndDelete(std::move(*open), path, ending.rename, covers))
            report.Note(path, Reason::NotDeleted);
    });
}

// A file whose data is elsewhere is deleted without being opened for its data, and as the
// reparse point it is: opened through its filter, it would be fetched first. A cloud's file
// keeps its name, which the cloud shows among what was deleted.
void DeleteWithoutItsData(const std::wstring& path, FinishQueue& finishing) {
    UniqueFile file = OpenAfterFilesInFlight(
        path, 0, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, finishing);
    if (!file)
        return;
    const platform::AttributeTag info = AttributeTagOf(file.Get(), path);
    if (info.IsLink()) {
        finishing.Report().Note(path, Reason::Link);
        return;
    }
    const bool cloud = IsCloudFile(info);
    finishing.Report().Note(path, cloud ? Reason::Cloud : Reason::NotInPlace);
    HandOverTheRest(finishing, std::move(file), path, {.flush = false, .rename = !cloud});
}

bool DataIsElsewhere(const std::wstring& path) {
    const DWORD attributes = platform::GetFileAttributesApi(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kDataElsewhere);
}

std::mt19937 SeededGenerator() {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device()};
    return std::mt19937(seed);
}

bool IsDeviceStem(std::wstring_view stem) {
    static constexpr std::array<std::wstring_view, 4> kPlain = {L"CON", L"PRN", L"AUX", L"NUL"};
    const auto upper = [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); };
    std::wstring name(stem);
    std::transform(name.begin(), name.end(), name.begin(), upper);
    if (name.size() == 3)
        return std::find(kPlain.begin(), kPlain.end(), name) != kPlain.end();
    // COM0-COM9 and LPT0-LPT9, and the superscript digits the system takes for 1, 2 and 3.
    static constexpr std::wstring_view kDigits = L"0123456789\u00B9\u00B2\u00B3";
    return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) &&
           kDigits.find(name[3]) != kDigits.npos;
}

} // namespace

bool IsDeviceName(std::wstring_view name) {
    // The system reads "nul.txt" and "NUL .tar.gz" as the device too.
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.remove_suffix(1);
    return IsDeviceStem(stem);
}

std::wstring RandomFileName(std::size_t length) {
    static constexpr wchar_t kAlphabet[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Helpers rename files at the same time: each thread draws from a generator of its own.
    thread_local std::mt19937 generator = SeededGenerator();
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kAlphabet) - 2);
    std::wstring name(length, L'\0');
    do {
        for (wchar_t& c : name)
            c = kAlphabet[pick(generator)];
    } while (IsDeviceName(name));
    return name;
}

void OverwriteAndHandOver(const std::wstring& path, FileProgress& progress,
                          FinishQueue& finishing) {
    if (DataIsElsewhere(path)) {
        progress.ResetFileBar(0);
        DeleteWithoutItsData(path, finishing);
        return;
    }
    Target target;
    switch (OpenTarget(path, finishing, target)) {
    case Opened::Gone:
        return;
    case Opened::Link: // neither it nor what it names is touched
        finishing.Report().Note(path, Reason::Link);
        return;
    case Opened::OtherNames: // its data is theirs too: only the chosen name goes
        progress.ResetFileBar(0);
        finishing.Report().Note(path, Reason::OtherNames);
        HandOverTheRest(finishing, std::move(target.file), path, {.flush = false});
        return;
    case Opened::File:
        break;
    }
    bool allStreamsListed = true;
    std::vector<Stream> streams = OpenNamedStreams(target.file.Get(), path, allStreamsListed);
    const std::uint64_t unit = platform::AllocationUnitApi(FolderOf(path));
    const OverwritePlan plan =
        PlanOverwrite(target.file.Get(), FileSize(target.file.Get(), path), target.sparse, unit);
    std::uint64_t total = plan.DataBytes();
    for (Stream& stream : streams) {
        stream.plan = PlanOverwrite(stream.file.Get(), stream.size, target.sparse, unit);
        total += stream.plan.DataBytes();
    }

    ZeroWriter writer(progress, total);
    bool allSlackWritten = writer.Overwrite(target.file.Get(), plan);
    for (Stream& stream : streams) {
        allSlackWritten = writer.Overwrite(stream.file.Get(), stream.plan) && allSlackWritten;
        FlushToDisk(stream.file.Get());
        stream.file.Reset();
    }
    RunReport& report = finishing.Report();
    if (target.cloud)
        report.Note(path, Reason::Cloud);
    else if (!target.inPlace)
        report.Note(path, Reason::NotInPlace);
    if (!allStreamsListed)
        report.Note(path, Reason::StreamsHidden);
    if (!allSlackWritten)
        report.Note(path, Reason::SpaceRefused);
    HandOverTheRest(finishing, std::move(target.file), path, {.rename = !target.cloud});
}

bool OverwriteAndDelete(const std::wstring& path, FileProgress& progress) {
    RunReport report;
    {
        FinishQueue finishing(progress, report, 1);
        OverwriteAndHandOver(path, progress, finishing);
        finishing.WaitForAll();
    }
    return report.AllDestroyed();
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
