// Overwrite-and-delete of one file, on real files, with the file operations watched through
// their seams.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <mutex>
#include <optional>
#include <cstdint>
#include <latch>
#include <semaphore>
#include <set>
#include <thread>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/handles.h"
#include "fakes.h"
#include "platform/file_space.h"
#include "platform/file_system.h"
#include "temp_files.h"
#include "wipe/flush_pacer.h"
#include "wipe/name_covers.h"
#include "wipe/overwrite.h"

namespace vexlor::wipe {
namespace {

using platform::ScopedSeam;
using vexlor::testing::Exists;
using vexlor::testing::ReadAll;
using vexlor::testing::SystemText;
using vexlor::testing::TempFolder;

// Records what the overwrite does to the window; `log` is shared with the seams' records.
class RecordingProgress : public FileProgress {
public:
    explicit RecordingProgress(std::vector<std::wstring>* sharedLog = nullptr) : log(sharedLog) {}
    void ResetFileBar(int maximum) override { resets.push_back(maximum); }
    void SetFileBarPosition(int position) override { positions.push_back(position); }
    void ProcessMessages() override {
        ++pumps;
        if (log)
            log->push_back(L"pump");
        pumped.release();
    }

    std::vector<int> resets;
    std::vector<int> positions;
    int pumps = 0;
    std::vector<std::wstring>* log;
    // Released at every pump, for a helper that waits until the window has been answered.
    std::counting_semaphore<> pumped{0};
};

// A helper's step that the window thread waits for and that lasts `waits` of its answering
// waits: each one times out, and the step goes on only once the window has been answered.
void LastWhileTheWindowIsAnswered(RecordingProgress& progress, int waits) {
    for (int wait = 0; wait < waits; ++wait) {
        vexlor::testing::Time().Tick();
        EXPECT_TRUE(progress.pumped.try_acquire_for(std::chrono::seconds(60)))
            << "the window went unanswered while it waited";
    }
}

// Each write takes the disk `milliseconds` on the test's clock.
class TimedWrites {
public:
    explicit TimedWrites(int milliseconds)
        : seam_(platform::WriteFileApi,
                [this, milliseconds](HANDLE file, std::uint64_t offset, const void* data,
                                     DWORD size, DWORD& written) {
                    ++count;
                    vexlor::testing::Time().Advance(std::chrono::milliseconds(milliseconds));
                    return platform::WriteFileAtDirect(file, offset, data, size, written);
                }) {}
    int count = 0;

private:
    ScopedSeam<platform::WriteFileSignature> seam_;
};

// Opens a file as an exclusive writer would; succeeds only when no one else holds it open.
bool CanOpenExclusively(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

class Overwrite : public ::testing::Test {
protected:
    // The test reads the file while the overwrite holds it: its opens let readers in.
    ScopedSeam<platform::CreateFileSignature> letTheTestRead_{
        platform::CreateFileApi, [](const std::wstring& path, DWORD access, DWORD share,
                                    DWORD disposition, DWORD attributes) {
            return ::CreateFileW(platform::ExtendedLengthPath(path).c_str(), access,
                                 share | FILE_SHARE_READ, nullptr, disposition, attributes,
                                 nullptr);
        }};
    // Deletes for real, but first keeps what the file holds at that moment.
    ScopedSeam<platform::DeleteOpenFileSignature> observeDelete_{
        platform::DeleteOpenFileApi, [this](HANDLE file, const std::wstring& path) {
            ++deletes_;
            contentBeforeDelete_ = ReadAll(path);
            return platform::DeleteOpenFileDirect(file, path);
        }};
    ScopedSeam<platform::DeleteFileSignature> countDeletesByName_{
        platform::DeleteFileApi, [this](const std::wstring& path) {
            ++deletesByName_;
            return ::DeleteFileW(path.c_str()) != FALSE;
        }};
    ScopedSeam<platform::SleepSignature> noSleep_{platform::SleepApi,
                                                  [this](DWORD ms) { waits_.push_back(ms); }};
    // Files get the space their size needs, unless a test says otherwise, so that what this
    // machine's file system allocates does not decide what a test sees.
    std::function<std::uint64_t(std::uint64_t size)> allocationFor_ = [](std::uint64_t size) {
        return size;
    };
    std::uint64_t allocationUnit_ = 0;
    ScopedSeam<platform::QueryFileSpaceSignature> space_{
        platform::QueryFileSpaceApi, [this](HANDLE file, platform::FileSpace& space) {
            LARGE_INTEGER size{};
            ::GetFileSizeEx(file, &size);
            const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
            space = {bytes, allocationFor_(bytes)};
            return true;
        }};
    ScopedSeam<platform::AllocationUnitSignature> unit_{
        platform::AllocationUnitApi, [this](const std::wstring&) { return allocationUnit_; }};

    TempFolder folder_;
    RecordingProgress progress_;
    std::vector<char> contentBeforeDelete_;
    int deletes_ = 0;
    int deletesByName_ = 0;
    std::vector<DWORD> waits_;
};

TEST_F(Overwrite, ZerosReachTheEndOfTheFilesAllocationAndNeverPassItThenItIsDeleted) {
    constexpr std::uint64_t chunk = WriteChunkBytes;
    const struct {
        std::uint64_t size, allocation, unit, overwritten;
    } cases[] = {
        {0, 0, 4096, 0},
        {1, 4096, 4096, 4096},
        {5000, 8192, 4096, 8192}, // the former end of a file cut short lies there
        {4096, 4096, 4096, 4096}, // a whole cluster: not a byte past the end
        {4096, 4608, 1024, 4096}, // a file system that reports a block too many
        {5000, 8192, 0, 8192},    // the unit unknown: the allocation as reported
        {100, 0, 4096, 100},      // less allocated than its size, as compressed files are
        {chunk - 1, chunk, 4096, chunk},
        {2 * chunk + 1, 2 * chunk + 4096, 4096, 2 * chunk + 4096},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + ", allocation " +
                     std::to_string(c.allocation));
        const std::wstring path = folder_.MakeFile(L"victim.bin", c.size);
        allocationFor_ = [&](std::uint64_t) { return c.allocation; };
        allocationUnit_ = c.unit;
        RecordingProgress progress;
        deletes_ = 0;

        EXPECT_TRUE(OverwriteAndDelete(path, progress));

        EXPECT_EQ(contentBeforeDelete_.size(), c.overwritten);
        EXPECT_TRUE(std::all_of(contentBeforeDelete_.begin(), contentBeforeDelete_.end(),
                                [](char byte) { return byte == 0; }))
            << "a byte other than zero was left";
        EXPECT_FALSE(Exists(path));
        EXPECT_EQ(deletes_, 1) << "exactly the overwritten file goes, through its handle";
        EXPECT_EQ(deletesByName_, 0);
        EXPECT_TRUE(waits_.empty());
        EXPECT_EQ(progress.resets, std::vector<int>{static_cast<int>(c.size)});
        EXPECT_EQ(progress.positions.empty() ? 0 : progress.positions.back(),
                  static_cast<int>(c.size));
    }
}

TEST_F(Overwrite, OnAFullVolumeTheSlackEndsWhereThereIsNoRoomAndOtherRefusalsAreWarnedOf) {
    allocationFor_ = [](std::uint64_t) { return 8192; };
    for (const DWORD refusal : {DWORD{ERROR_DISK_FULL}, DWORD{ERROR_ACCESS_DENIED}}) {
        SCOPED_TRACE(refusal);
        const std::wstring path = folder_.MakeFile(L"victim.bin", 5000, 'v');
        // The volume takes nothing past 6144: the file system reported more than it holds.
        ScopedSeam<platform::WriteFileSignature> write(
            platform::WriteFileApi,
            [&](HANDLE file, std::uint64_t offset, const void* data, DWORD size, DWORD& done) {
                if (offset + size > 6144) {
                    ::SetLastError(refusal);
                    return false;
                }
                return platform::WriteFileAtDirect(file, offset, data, size, done);
            });

        EXPECT_EQ(OverwriteAndDelete(path, progress_), refusal == ERROR_DISK_FULL)
            << "only lack of room means the rest of the space was not the file's";
        EXPECT_EQ(contentBeforeDelete_.size(), refusal == ERROR_DISK_FULL ? 6144u : 5000u);
        EXPECT_TRUE(std::all_of(contentBeforeDelete_.begin(), contentBeforeDelete_.end(),
                                [](char byte) { return byte == 0; }));
        EXPECT_FALSE(Exists(path));
    }
}

TEST_F(Overwrite, RenameThatFindsNoRoomIsTriedAgainOnceTheFileIsCutToNothing) {
    const std::wstring path = folder_.MakeFile(L"victim.bin", 5000);
    std::vector<std::int64_t> sizesAtRename;
    ScopedSeam<platform::RenameOpenFileSignature> rename(
        platform::RenameOpenFileApi,
        [&](HANDLE file, const std::wstring& from, const std::wstring& to) {
            LARGE_INTEGER size{};
            ::GetFileSizeEx(file, &size);
            sizesAtRename.push_back(size.QuadPart);
            if (sizesAtRename.size() == 1) {
                ::SetLastError(ERROR_DISK_FULL);
                return false;
            }
            return platform::RenameOpenFileDirect(file, from, to);
        });

    EXPECT_TRUE(OverwriteAndDelete(path, progress_));
    EXPECT_EQ(sizesAtRename, (std::vector<std::int64_t>{5000, 0}));
    EXPECT_FALSE(Exists(path));
}

TEST_F(Overwrite, OpensTheFileForExclusiveWritingWithoutCreatingIt) {
    const std::wstring path = folder_.MakeFile(L"victim.bin", 10);
    std::vector<DWORD> arguments;
    DWORD sharingError = 0;
    bool otherOpenSucceeded = false;
    ScopedSeam<platform::CreateFileSignature> open(
        platform::CreateFileApi,
        [&](const std::wstring& p, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
            if (arguments.empty()) // the file's own open, before the names that cover it
                arguments = {access, share, disposition, attributes};
            return ::CreateFileW(p.c_str(), access, share, nullptr, disposition, attributes,
                                 nullptr);
        });
    ScopedSeam<platform::WriteFileSignature> write(
        platform::WriteFileApi,
        [&](HANDLE file, std::uint64_t offset, const void* data, DWORD size, DWORD& written) {
            // Someone else trying the file while it is being overwritten, even sharing all.
            const HANDLE other = ::CreateFileW(
                path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            sharingError = ::GetLastError();
            if (other != INVALID_HANDLE_VALUE) {
                otherOpenSucceeded = true;
                ::CloseHandle(other);
            }
            return platform::WriteFileAtDirect(file, offset, data, size, written);
        });

    EXPECT_TRUE(OverwriteAndDelete(path, progress_));
    // The file itself, never what a link names; for overlapped I/O, so that a step's flush does
    // not hold up the next write.
    EXPECT_EQ(arguments,
              (std::vector<DWORD>{GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                                      FILE_FLAG_OVERLAPPED}));
    EXPECT_FALSE(otherOpenSucceeded);
    EXPECT_EQ(sharingError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(Overwrite, FileThatCannotBeOpenedIsLeftAloneWithTheSystemsReason) {
    const std::wstring held = folder_.MakeFile(L"held.bin", 100, 'h');
    const std::wstring missing = folder_.PathOf(L"missing.bin");
    const HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const struct {
        std::wstring path;
        DWORD code;
    } cases[] = {{held, ERROR_SHARING_VIOLATION}, {missing, ERROR_FILE_NOT_FOUND}};
    for (const auto& c : cases) {
        try {
            OverwriteAndDelete(c.path, progress_);
            ADD_FAILURE() << "no error for an unopenable file";
        } catch (const Error& error) {
            EXPECT_EQ(error.Text(), L"Cannot open file \"" + c.path + L"\". " + SystemText(c.code));
        }
    }
    ::CloseHandle(holder);

    EXPECT_EQ(ReadAll(held), std::vector<char>(100, 'h'));
    EXPECT_FALSE(Exists(missing)) << "the open must not create the file";
    EXPECT_EQ(deletes_, 0);
    EXPECT_TRUE(progress_.resets.empty()) << "the bar was touched";
    EXPECT_TRUE(progress_.positions.empty()) << "the bar was touched";
}

TEST_F(Overwrite, ReadOnlyFileIsNotTouched) {
    const std::wstring path = folder_.MakeFile(L"read-only.bin", 50, 'r');
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    if (CanOpenExclusively(path))
        GTEST_SKIP() << "this system lets the user write read-only files (Wine run as root)";

    try {
        OverwriteAndDelete(path, progress_);
        ADD_FAILURE() << "no error for a read-only file";
    } catch (const Error& error) {
        EXPECT_EQ(error.Text(),
                  L"Cannot open file \"" + path + L"\". " + SystemText(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(ReadAll(path), std::vector<char>(50, 'r'));
    EXPECT_EQ(deletes_, 0);
}

TEST_F(Overwrite, FailedWriteOrFlushIsAnErrorAndTheClosedFileStays) {
    enum Failure { WriteRefused, WriteShort, FlushRefused };
    for (const Failure failure : {WriteRefused, WriteShort, FlushRefused}) {
        SCOPED_TRACE("failure " + std::to_string(failure));
        const std::wstring path = folder_.MakeFile(L"victim.bin", 5000);
        ScopedSeam<platform::WriteFileSignature> write(
            platform::WriteFileApi,
            [&](HANDLE file, std::uint64_t offset, const void* data, DWORD size, DWORD& written) {
                if (failure == WriteRefused) {
                    written = 0;
                    return false;
                }
                const bool ok = platform::WriteFileAtDirect(file, offset, data, size, written);
                if (failure == WriteShort)
                    written = size - 1;
                return ok;
            });
        ScopedSeam<platform::FlushFileBuffersSignature> flush(
            platform::FlushFileBuffersApi, [&](HANDLE file) {
                return failure != FlushRefused && ::FlushFileBuffers(file) != FALSE;
            });

        try {
            OverwriteAndDelete(path, progress_);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.Text(), L"Stream write error");
        }
        EXPECT_EQ(deletes_, 0) << "a file that was not overwritten must not be deleted";
        EXPECT_TRUE(Exists(path));
        EXPECT_TRUE(CanOpenExclusively(path)) << "the file was left open";
        ::DeleteFileW(path.c_str());
    }
}

// The name a file was renamed to before its delete: same folder, same length, and nothing left
// of the old name but letters and digits of chance.
void ExpectRandomNameOfTheSameLength(const std::wstring& original, const std::wstring& renamed) {
    const std::size_t folder = original.rfind(L'\\') + 1;
    EXPECT_NE(renamed, original);
    EXPECT_EQ(renamed.size(), original.size());
    EXPECT_EQ(renamed.substr(0, folder), original.substr(0, folder));
    EXPECT_TRUE(std::all_of(renamed.begin() + folder, renamed.end(), ::iswalnum)) << renamed;
}

TEST_F(Overwrite, RefusedDeleteIsTriedFiftyOneTimesUnderARandomNameThenTheNameComesBack) {
    const std::wstring path = folder_.MakeFile(L"stuck.bin", 7);
    std::vector<std::wstring> log;
    std::wstring renamed;
    RecordingProgress progress;
    const auto record = [&](const std::wstring& from, const std::wstring& to) {
        log.push_back(L"rename " + from + L" to " + to);
        if (renamed.empty())
            renamed = to;
    };
    ScopedSeam<platform::RenameOpenFileSignature> renameOpen(
        platform::RenameOpenFileApi,
        [&](HANDLE file, const std::wstring& from, const std::wstring& to) {
            record(from, to);
            return platform::RenameOpenFileDirect(file, from, to);
        });
    ScopedSeam<platform::MoveFileSignature> renameBack(
        platform::MoveFileApi, [&](const std::wstring& from, const std::wstring& to) {
            record(from, to);
            return ::MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
        });
    ScopedSeam<platform::DeleteOpenFileSignature> refuseMark(
        platform::DeleteOpenFileApi, [&](HANDLE, const std::wstring& p) {
            log.push_back(L"mark " + p);
            ::SetLastError(ERROR_ACCESS_DENIED);
            return false;
        });
    ScopedSeam<platform::DeleteFileSignature> refuse(platform::DeleteFileApi,
                                                     [&](const std::wstring& p) {
                                                         log.push_back(L"delete " + p);
                                                         return false;
                                                     });
    ScopedSeam<platform::SleepSignature> sleep(platform::SleepApi, [&](DWORD ms) {
        log.push_back(L"sleep " + std::to_wstring(ms));
        LastWhileTheWindowIsAnswered(progress, 1);
    });

    EXPECT_FALSE(OverwriteAndDelete(path, progress));

    ExpectRandomNameOfTheSameLength(path, renamed);
    // The rename after the one chunk of a small file, the delete through the handle refused,
    // then the attempts by the new name.
    std::vector<std::wstring> expected{L"rename " + path + L" to " + renamed, L"mark " + renamed};
    for (int attempt = 0; attempt < 51; ++attempt)
        expected.insert(expected.end(), {L"delete " + renamed, L"sleep 100"});
    expected.push_back(L"rename " + renamed + L" to " + path);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(progress.pumps, 51) << "once while each refused delete waited";
    EXPECT_EQ(ReadAll(path), std::vector<char>(7, 0)) << "overwritten, but kept";
    EXPECT_FALSE(Exists(renamed));
}

TEST_F(Overwrite, NameTakenIsDrawnAgainAndRefusedRenameDeletesUnderTheOldName) {
    const std::wstring path = folder_.MakeFile(L"victim.bin", 3);
    std::vector<std::wstring> tried;
    DWORD refusal = ERROR_ALREADY_EXISTS;
    ScopedSeam<platform::RenameOpenFileSignature> rename(
        platform::RenameOpenFileApi,
        [&](HANDLE file, const std::wstring& from, const std::wstring& to) {
            tried.push_back(to);
            if (tried.size() == 1) {
                ::SetLastError(refusal);
                return false;
            }
            return platform::RenameOpenFileDirect(file, from, to);
        });
    std::vector<std::wstring> deleted;
    ScopedSeam<platform::DeleteOpenFileSignature> record(
        platform::DeleteOpenFileApi, [&](HANDLE file, const std::wstring& p) {
            deleted.push_back(p);
            return platform::DeleteOpenFileDirect(file, p);
        });

    EXPECT_TRUE(OverwriteAndDelete(path, progress_));
    ASSERT_EQ(tried.size(), 2u) << "a name already taken is drawn again";
    EXPECT_NE(tried[0], tried[1]);
    EXPECT_EQ(deleted, std::vector<std::wstring>{tried[1]});
    ExpectRandomNameOfTheSameLength(path, deleted[0]);

    // The file held by another program, say: it keeps its name and is deleted by it.
    const std::wstring held = folder_.MakeFile(L"held.bin", 3);
    tried.clear();
    deleted.clear();
    refusal = ERROR_SHARING_VIOLATION;
    EXPECT_TRUE(OverwriteAndDelete(held, progress_));
    EXPECT_EQ(tried.size(), 1u);
    EXPECT_EQ(deleted, std::vector<std::wstring>{held});
    EXPECT_FALSE(Exists(held));
}

TEST_F(Overwrite, WindowHasItsMessagesBetweenChunksAtMostEveryTenMilliseconds) {
    const std::wstring path = folder_.PathOf(L"slow.bin");
    for (const int chunkMilliseconds : {15, 5}) {
        SCOPED_TRACE(chunkMilliseconds);
        folder_.MakeFile(L"slow.bin", 5 * WriteChunkBytes);
        RecordingProgress progress;
        const TimedWrites disk(chunkMilliseconds);
        EXPECT_TRUE(OverwriteAndDelete(path, progress));
        ASSERT_GE(disk.count, 5);
        // After every chunk but the last on a slow disk, after every second on a faster one.
        EXPECT_EQ(progress.pumps, chunkMilliseconds >= 10 ? disk.count - 1 : (disk.count - 1) / 2);
    }
}

TEST_F(Overwrite, LargeFileIsDeletedWhileTheWindowKeepsGettingItsMessages) {
    const std::size_t size = std::size_t{32} << 20;
    const std::wstring path = folder_.MakeFile(L"large.bin", size);
    ScopedSeam<platform::DeleteOpenFileSignature> slow(
        platform::DeleteOpenFileApi, [this](HANDLE file, const std::wstring& p) {
            LastWhileTheWindowIsAnswered(progress_, 5); // a disk freeing many blocks
            return platform::DeleteOpenFileDirect(file, p);
        });

    EXPECT_TRUE(OverwriteAndDelete(path, progress_));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(progress_.pumps, 5);
}

TEST(LongPath, FileBeyondTheOldPathLimitIsOverwrittenAndDeleted) {
    TempFolder folder;
    // The system's own limit is 260 characters; the extended form takes any length.
    std::wstring path = folder.Path();
    while (path.size() < 300) {
        path += L"\\" + std::wstring(60, L'd');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr)) << path.size();
    }
    path += L"\\victim.bin";
    ASSERT_GE(path.size(), 300u);
    const HANDLE file = ::CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "secret", 6, &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(platform::ProbePath(path), platform::PathKind::File);
    RecordingProgress progress;
    ScopedSeam<platform::SleepSignature> noSleep(platform::SleepApi, [](DWORD) {});

    EXPECT_TRUE(OverwriteAndDelete(path, progress));
    EXPECT_EQ(platform::ProbePath(path), platform::PathKind::Missing);
    EXPECT_EQ(progress.positions.back(), 6);
}

TEST(LongPath, ExtendedFormForDrivesSharesAndPathsAlreadyInIt) {
    using platform::ExtendedLengthPath;
    EXPECT_EQ(ExtendedLengthPath(L"C:\\a\\b.txt"), L"\\\\?\\C:\\a\\b.txt");
    EXPECT_EQ(ExtendedLengthPath(L"C:/a/./x/../b.txt"), L"\\\\?\\C:\\a\\b.txt");
    EXPECT_EQ(ExtendedLengthPath(L"C:\\a\\\\b\\..\\..\\..\\c"), L"\\\\?\\C:\\c")
        << "no climbing out of the root";
    EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\b.txt"), L"\\\\?\\UNC\\server\\share\\b.txt");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\..\\other\\b"),
              L"\\\\?\\UNC\\server\\share\\other\\b");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\.\\COM1"), L"\\\\.\\COM1");
    // Names as they stand: the system's own reading would drop the dot and the space and take
    // the last two for devices.
    for (const wchar_t* name : {L"report.txt.", L"notes.txt ", L"NUL.txt", L"COM1", L"a. . "})
        EXPECT_EQ(ExtendedLengthPath(std::wstring(L"C:\\x\\") + name),
                  std::wstring(L"\\\\?\\C:\\x\\") + name);
    // A relative path starts from the current folder.
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(ExtendedLengthPath(L"sub\\f.txt."),
              ExtendedLengthPath(std::wstring(current) + L"\\sub\\f.txt."));
}

TEST(RandomName, NeverADeviceNameWhateverTheLength) {
    for (const wchar_t* device : {L"CON", L"prn", L"Aux", L"nUl", L"COM0", L"com9", L"LPT1",
                                  L"lpt\u00B9", L"NUL.txt", L"con .tar.gz", L"COM1."})
        EXPECT_TRUE(IsDeviceName(device)) << device;
    for (const wchar_t* name : {L"CONS", L"COM", L"COMA", L"LPT10", L"xNUL", L"NULL.txt", L""})
        EXPECT_FALSE(IsDeviceName(name)) << name;
    // Names of three and four letters meet a device name once in some 7,000 draws.
    for (const std::size_t length : {3u, 4u})
        for (int draw = 0; draw < 200000; ++draw) {
            const std::wstring name = RandomFileName(length);
            ASSERT_EQ(name.size(), length);
            ASSERT_FALSE(IsDeviceName(name)) << name;
        }
}

TEST(RandomName, HelpersRenamingAtOnceNeverDrawTheSameName) {
    // Eight helpers, as many as rename files at once, start together; names of ten letters
    // and digits meet by chance once in some 10^6 such runs.
    constexpr int kHelpers = 8;
    constexpr int kDraws = 100000;
    std::vector<std::vector<std::wstring>> drawn(kHelpers);
    std::latch start(kHelpers);
    std::vector<std::thread> helpers;
    for (auto& names : drawn)
        helpers.emplace_back([&start, &names] {
            start.arrive_and_wait();
            for (int draw = 0; draw < kDraws; ++draw)
                names.push_back(RandomFileName(10));
        });
    for (std::thread& helper : helpers)
        helper.join();
    std::set<std::wstring> all;
    for (const auto& names : drawn)
        all.insert(names.begin(), names.end());
    EXPECT_EQ(all.size(), std::size_t{kHelpers} * kDraws);
}

// The names of the files in `folder`.
std::vector<std::wstring> NamesIn(const TempFolder& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder.Path() + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

TEST(NameCovers, TwoOfTheNamesLengthStayInItsFolderUntilTheRunLeavesItOrEnds) {
    TempFolder first;
    TempFolder second;
    const auto lengths = [](const std::vector<std::wstring>& names) {
        std::vector<std::size_t> sizes;
        for (const std::wstring& name : names)
            sizes.push_back(name.size());
        return sizes;
    };
    {
        NameCovers covers;
        covers.Cover(first.PathOf(L"Отчёт за 2026 год.docx"));
        EXPECT_EQ(lengths(NamesIn(first)), (std::vector<std::size_t>{22, 22}));
        covers.Cover(second.PathOf(L"a.txt"));
        EXPECT_TRUE(NamesIn(first).empty()) << "the run has left the first folder";
        EXPECT_EQ(lengths(NamesIn(second)), (std::vector<std::size_t>{5, 5}));
    }
    EXPECT_TRUE(NamesIn(second).empty()) << "the covers outlived the run";
}

// The file systems this one is not, played through the seams: streams, links, files that the
// system keeps in a form of its own, and files whose data is elsewhere.
class FileSystems : public Overwrite {
protected:
    // Every open file reports these attributes and this reparse tag.
    void ReportAttributes(DWORD attributes, DWORD tag) {
        tag_.emplace(platform::QueryAttributeTagApi, [=](HANDLE, platform::AttributeTag& info) {
            info = {attributes, tag};
            return true;
        });
    }
    // Every name lookup reports the file's own attributes with these added.
    void AddAttributesByName(DWORD added) {
        byName_.emplace(platform::GetFileAttributesApi, [=](const std::wstring& path) {
            return ::GetFileAttributesW(path.c_str()) | added;
        });
    }

    std::optional<ScopedSeam<platform::QueryAttributeTagSignature>> tag_;
    std::optional<ScopedSeam<platform::GetFileAttributesSignature>> byName_;
    int writes_ = 0;
    ScopedSeam<platform::WriteFileSignature> countWrites_{
        platform::WriteFileApi,
        [this](HANDLE file, std::uint64_t offset, const void* data, DWORD size, DWORD& written) {
            ++writes_;
            return platform::WriteFileAtDirect(file, offset, data, size, written);
        }};
};

TEST_F(FileSystems, EveryNamedStreamIsZeroedToItsAllocationAndFlushedBeforeTheNameGoes) {
    const std::wstring path = folder_.MakeFile(L"f.txt", 10);
    // The stream of 5,000 bytes has two clusters of its own.
    allocationFor_ = [](std::uint64_t size) { return size == 5000 ? 8192 : size; };
    allocationUnit_ = 4096;
    // Wine keeps "f.txt:s" as a file beside "f.txt"; Windows as a stream of it.
    const std::wstring s = folder_.MakeFile(L"f.txt:s", 5000, 's');
    const std::wstring t = folder_.MakeFile(L"f.txt:t", 3, 't');
    ScopedSeam<platform::ListStreamsSignature> streams(
        platform::ListStreamsApi, [](HANDLE, std::vector<platform::NamedStream>& listed) {
            listed = {{L":s:$DATA", 5000}, {L":t:$DATA", 3}};
            return true;
        });
    std::vector<std::wstring> log;
    ScopedSeam<platform::FlushFileBuffersSignature> flush(
        platform::FlushFileBuffersApi, [&](HANDLE file) {
            LARGE_INTEGER size{};
            ::GetFileSizeEx(file, &size);
            log.push_back(L"flush " + std::to_wstring(size.QuadPart));
            return ::FlushFileBuffers(file) != FALSE;
        });
    ScopedSeam<platform::RenameOpenFileSignature> rename(
        platform::RenameOpenFileApi,
        [&](HANDLE file, const std::wstring& from, const std::wstring& to) {
            log.push_back(L"rename");
            return platform::RenameOpenFileDirect(file, from, to);
        });

    EXPECT_TRUE(OverwriteAndDelete(path, progress_));

    // The file's own last flush just before its name goes.
    EXPECT_EQ(log, (std::vector<std::wstring>{L"flush 8192", L"flush 3", L"flush 10", L"rename"}));
    EXPECT_EQ(ReadAll(s), std::vector<char>(8192, 0));
    EXPECT_EQ(ReadAll(t), std::vector<char>(3, 0));
    EXPECT_EQ(progress_.resets, std::vector<int>{10 + 5000 + 3}) << "one bar over every stream";
    EXPECT_EQ(progress_.positions.back(), 10 + 5000 + 3);
    EXPECT_FALSE(Exists(path));
}

TEST_F(FileSystems, StreamThatCannotBeOpenedEndsWithItsPathAndTheFileUntouched) {
    const std::wstring path = folder_.MakeFile(L"f.txt", 10, 'f');
    ScopedSeam<platform::ListStreamsSignature> streams(
        platform::ListStreamsApi, [](HANDLE, std::vector<platform::NamedStream>& listed) {
            listed = {{L":gone:$DATA", 7}};
            return true;
        });
    try {
        OverwriteAndDelete(path, progress_);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.Text(),
                  L"Cannot open file \"" + path + L":gone\". " + SystemText(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_EQ(ReadAll(path), std::vector<char>(10, 'f'));
    EXPECT_EQ(writes_, 0);
    EXPECT_EQ(deletes_ + deletesByName_, 0);
}

TEST_F(FileSystems, LinkMetAtTheOpenIsLeftAsItIsAndNothingBehindItTouched) {
    for (const DWORD tag : {IO_REPARSE_TAG_SYMLINK, IO_REPARSE_TAG_MOUNT_POINT}) {
        SCOPED_TRACE(tag);
        const std::wstring path = folder_.MakeFile(L"link", 10, 'l');
        ReportAttributes(FILE_ATTRIBUTE_REPARSE_POINT, tag);
        bool renamed = false;
        ScopedSeam<platform::RenameOpenFileSignature> rename(
            platform::RenameOpenFileApi,
            [&](HANDLE, const std::wstring&, const std::wstring&) { return renamed = true; });

        EXPECT_FALSE(OverwriteAndDelete(path, progress_));
        EXPECT_EQ(ReadAll(path), std::vector<char>(10, 'l'));
        EXPECT_EQ(writes_, 0);
        EXPECT_FALSE(renamed);
        EXPECT_EQ(deletes_ + deletesByName_, 0);
    }
}

TEST_F(FileSystems, FileWhoseZerosMayMissItsOldDataIsDestroyedButNotCalledSafe) {
    const struct {
        DWORD attributes;
        DWORD tag;
    } cases[] = {{FILE_ATTRIBUTE_COMPRESSED, 0},
                 {FILE_ATTRIBUTE_ENCRYPTED, 0},
                 {0x8000 /* integrity stream */, 0},
                 {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_WOF},
                 {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_DEDUP},
                 {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_CLOUD}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.attributes) + " " + std::to_string(c.tag));
        const std::wstring path = folder_.MakeFile(L"f.bin", 100);
        ReportAttributes(c.attributes, c.tag);
        EXPECT_FALSE(OverwriteAndDelete(path, progress_));
        EXPECT_EQ(contentBeforeDelete_, std::vector<char>(100, 0));
        EXPECT_FALSE(Exists(path));
    }
    // Streams that cannot be listed may keep their data.
    tag_.reset();
    const std::wstring path = folder_.MakeFile(L"f.bin", 100);
    ScopedSeam<platform::ListStreamsSignature> unlisted(
        platform::ListStreamsApi, [](HANDLE, std::vector<platform::NamedStream>&) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return false;
        });
    EXPECT_FALSE(OverwriteAndDelete(path, progress_));
    EXPECT_FALSE(Exists(path));
}

TEST_F(FileSystems, CloudFileIsOverwrittenAndDeletedUnderItsOwnNameAndNotCalledSafe) {
    // Pinned by a sync client, and a placeholder that the cloud's filter keeps.
    const std::pair<DWORD, DWORD> clouds[] = {{0x80000, 0},
                                              {FILE_ATTRIBUTE_REPARSE_POINT, 0x9000601A}};
    for (const auto& [attributes, tag] : clouds) {
        SCOPED_TRACE(tag);
        const std::wstring path = folder_.MakeFile(L"Отчёт.docx", 100, 'c');
        ReportAttributes(attributes, tag);
        bool renamed = false;
        ScopedSeam<platform::RenameOpenFileSignature> rename(
            platform::RenameOpenFileApi,
            [&](HANDLE, const std::wstring&, const std::wstring&) { return renamed = true; });

        EXPECT_FALSE(OverwriteAndDelete(path, progress_)) << "the cloud keeps earlier versions";
        EXPECT_FALSE(renamed) << "the cloud would show a random name among what was deleted";
        EXPECT_EQ(contentBeforeDelete_, std::vector<char>(100, 0));
        EXPECT_FALSE(Exists(path));
    }
}

TEST_F(FileSystems, SparseFileHasItsAllocatedRangesOverwrittenAndTheRestLeftUnallocated) {
    constexpr std::uint64_t kSize = 32768;
    ReportAttributes(FILE_ATTRIBUTE_SPARSE_FILE, 0);
    bool rangesKnown = true;
    ScopedSeam<platform::QueryAllocatedRangesSignature> ranges(
        platform::QueryAllocatedRangesApi,
        [&](HANDLE, std::uint64_t size, std::vector<platform::ByteRange>& allocated) {
            EXPECT_EQ(size, kSize);
            allocated = {{4096, 4096}, {16384, 4096}, {30000, 9000}}; // the last beyond the end
            return rangesKnown;
        });
    for (const bool known : {true, false}) {
        SCOPED_TRACE(known);
        rangesKnown = known;
        const std::wstring path = folder_.MakeFile(L"disk.img", kSize, 's');
        RecordingProgress progress;

        EXPECT_TRUE(OverwriteAndDelete(path, progress));

        std::vector<char> expected(kSize, known ? 's' : 0);
        if (known)
            for (const auto& [from, to] : {std::pair{4096, 8192}, {16384, 20480}, {30000, 32768}})
                std::fill(expected.begin() + from, expected.begin() + to, 0);
        EXPECT_EQ(contentBeforeDelete_, expected);
        const int shown = known ? 4096 + 4096 + 2768 : static_cast<int>(kSize);
        EXPECT_EQ(progress.resets, std::vector<int>{shown});
        EXPECT_EQ(progress.positions.back(), shown);
        EXPECT_FALSE(Exists(path));
    }
}

TEST_F(FileSystems, FileWhoseDataIsElsewhereIsDeletedWithoutBeingOpenedForItsData) {
    for (const DWORD attribute : {DWORD{FILE_ATTRIBUTE_OFFLINE}, DWORD{0x40000}, DWORD{0x400000}}) {
        SCOPED_TRACE(attribute);
        const std::wstring path = folder_.MakeFile(L"cloud.bin", 100, 'c');
        AddAttributesByName(attribute);
        std::vector<DWORD> access;
        ScopedSeam<platform::CreateFileSignature> open(
            platform::CreateFileApi,
            [&](const std::wstring& p, DWORD a, DWORD share, DWORD disposition, DWORD attributes) {
                if (p == path)
                    access.push_back(a);
                return ::CreateFileW(p.c_str(), a, share, nullptr, disposition, attributes,
                                     nullptr);
            });
        deletes_ = 0;

        EXPECT_FALSE(OverwriteAndDelete(path, progress_));
        ASSERT_EQ(access.size(), 1u);
        EXPECT_EQ(access[0] & (GENERIC_WRITE | GENERIC_READ | FILE_READ_DATA | FILE_WRITE_DATA),
                  0u);
        EXPECT_EQ(writes_, 0);
        EXPECT_EQ(deletes_, 1);
        EXPECT_FALSE(Exists(path));
    }
}

// Windows serialises every call on a handle opened without overlapped I/O: a step flushed on
// a helper would hold up the next write with the window unanswered. Only the last flush, once
// the window is done with the file, is a helper's.
TEST_F(Overwrite, LargeFileStepsReachTheDiskOnAHelperWhileTheNextIsWrittenTheLastBeforeTheDelete) {
    const std::uint64_t size = 5 * WriteChunkBytes + 1;
    const std::wstring path = folder_.MakeFile(L"large.bin", static_cast<std::size_t>(size));
    constexpr DWORD kGuard = 60'000; // only ends a hung test
    const UniqueHandleNull firstFlushBegun(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandleNull wroteMeanwhile(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::mutex mutex;
    std::uint64_t written = 0;
    int inFlight = 0;
    int mostInFlight = 0;
    struct Flush {
        std::uint64_t written; // 0 for the delete
        bool onTheWriter;
    };
    std::vector<Flush> flushes;
    ScopedSeam<platform::WriteFileSignature> write(
        platform::WriteFileApi,
        [&](HANDLE file, std::uint64_t offset, const void* data, DWORD bytes, DWORD& done) {
            if (offset == FlushPacer::InitialBytes) { // the second step's first write
                EXPECT_EQ(::WaitForSingleObject(firstFlushBegun.Get(), kGuard), WAIT_OBJECT_0);
            }
            const bool ok = platform::WriteFileAtDirect(file, offset, data, bytes, done);
            const std::lock_guard lock(mutex);
            written += done;
            if (inFlight > 0)
                ::SetEvent(wroteMeanwhile.Get());
            return ok;
        });
    const DWORD writer = ::GetCurrentThreadId();
    ScopedSeam<platform::FlushFileBuffersSignature> flush(
        platform::FlushFileBuffersApi, [&](HANDLE) {
            bool first = false;
            {
                const std::lock_guard lock(mutex);
                first = flushes.empty();
                flushes.push_back({written, ::GetCurrentThreadId() == writer});
                mostInFlight = std::max(mostInFlight, ++inFlight);
            }
            if (first) { // held until the next step is being written
                ::SetEvent(firstFlushBegun.Get());
                EXPECT_EQ(::WaitForSingleObject(wroteMeanwhile.Get(), kGuard), WAIT_OBJECT_0)
                    << "the next step waited for the flush";
            }
            const std::lock_guard lock(mutex);
            --inFlight;
            return true;
        });
    ScopedSeam<platform::DeleteOpenFileSignature> observe(
        platform::DeleteOpenFileApi, [&](HANDLE file, const std::wstring& p) {
            const std::lock_guard lock(mutex);
            flushes.push_back({0, false});
            return platform::DeleteOpenFileDirect(file, p);
        });

    EXPECT_TRUE(OverwriteAndDelete(path, progress_));
    ASSERT_GE(flushes.size(), 5u) << "three steps at least, the last flush, the delete";
    EXPECT_EQ(flushes[0].written, FlushPacer::InitialBytes);
    for (const Flush& step : flushes)
        EXPECT_FALSE(step.onTheWriter) << "a flush held the window";
    EXPECT_EQ(mostInFlight, 1) << "a step went on before the one before it reached the disk";
    EXPECT_EQ(flushes[flushes.size() - 2].written, size);
    EXPECT_EQ(flushes.back().written, 0u);
    EXPECT_FALSE(Exists(path));
}

TEST(FileBar, SizesBeyondTheSigned32BitRangeKeepTheirFraction) {
    const std::uint64_t sizes[] = {0,
                                   1,
                                   INT_MAX,
                                   std::uint64_t{1} << 31,
                                   (std::uint64_t{1} << 32) + 12345,
                                   std::uint64_t{1} << 45,
                                   UINT64_MAX};
    for (const std::uint64_t size : sizes) {
        SCOPED_TRACE(size);
        const int shift = BarShift(size);
        const int maximum = BarValue(size, shift);
        EXPECT_GE(maximum, 0);
        if (size > INT_MAX) {
            EXPECT_GT(maximum, INT_MAX / 2) << "the bar's range is not used";
        } else {
            EXPECT_EQ(maximum, static_cast<int>(size)) << "small sizes are not scaled";
        }
        // A quarter of the way through shows as a quarter of the bar.
        if (size >= 1024) {
            EXPECT_NEAR(static_cast<double>(BarValue(size / 4, shift)) / maximum, 0.25, 1e-6);
        }
    }
}

TEST(FlushPacer, StepFollowsTheDiskSoOneFlushStaysShort) {
    FlushPacer pacer;
    EXPECT_EQ(pacer.BytesPerFlush(), FlushPacer::InitialBytes);

    // A fast disk grows the step, but at most twofold at a time, up to the ceiling.
    pacer.Record(FlushPacer::InitialBytes, 0.0);
    EXPECT_EQ(pacer.BytesPerFlush(), 2 * FlushPacer::InitialBytes);
    for (int i = 0; i < 20; ++i)
        pacer.Record(pacer.BytesPerFlush(), 0.0);
    EXPECT_EQ(pacer.BytesPerFlush(), FlushPacer::MaximumBytes);

    // A slow disk: 16 MiB took 0.4 s, so the next step is what it writes in the target time.
    pacer.Record(16 << 20, 0.4);
    EXPECT_NEAR(static_cast<double>(pacer.BytesPerFlush()),
                (16 << 20) * FlushPacer::TargetSeconds / 0.4, 1.0);

    // Never below the floor, however extreme the measurement.
    pacer.Record(1 << 20, 60.0);
    EXPECT_EQ(pacer.BytesPerFlush(), FlushPacer::MinimumBytes);
}

} // namespace
} // namespace vexlor::wipe
