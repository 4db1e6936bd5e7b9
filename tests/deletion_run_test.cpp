// The deletion run through the real main window: "Далее" on the file page, real files.
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <semaphore>
#include <tuple>
#include <string>
#include <vector>

#include "fakes.h"
#include "base/start_arguments.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/message_box.h"
#include "platform/taskbar.h"
#include "platform/volume_facts.h"
#include "temp_files.h"
#include "ui/app_cursor.h"
#include "ui/controls.h"
#include "ui/error_box.h"
#include "wipe/name_covers.h"
#include "wizard/finish_report.h"
#include "wizard/main_form.h"

namespace vexlor::wizard {
namespace {

using platform::ScopedSeam;
using vexlor::testing::Exists;
using vexlor::testing::ReadAll;
using vexlor::testing::SystemText;
using vexlor::testing::TempFolder;

// What a file's handle names, so that flushes, renames and deletes on different helpers can be
// told apart by file, and a file or folder found again by its handle.
std::uint64_t FileIndexOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    ::GetFileInformationByHandle(file, &info);
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

std::uint64_t FileIndexOfPath(const std::wstring& path) {
    const HANDLE opened = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const std::uint64_t index = FileIndexOf(opened);
    ::CloseHandle(opened);
    return index;
}

constexpr wchar_t kWarning[] = L"Некоторые файлы могли быть удалены не окончательно или не "
                               L"удалены. Возможно недостаточно прав для совершения операции. ";

// One message box as the run meets it, with the state of the window at that moment.
struct Box {
    std::wstring text;
    UINT flags;
    bool hourglass;
    int page;
    bool windowAlive;
};

class DeletionRun : public ::testing::Test {
protected:
    void SetUp() override {
        form_.Create();
        form_.BtnNextClick(); // to the file page
    }

    void TearDown() override {
        // A window closed during a run posts WM_QUIT; it must not end a later test's pump.
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    void AddEntry(const std::wstring& path) { form_.AddFiles({path}); }

    // "Далее" as a click delivers it, through the window's command handling.
    void PressNext() {
        ::SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::IdBtnNext, BN_CLICKED),
                       reinterpret_cast<LPARAM>(form_.BtnNext));
    }

    static std::pair<int, int> BarState(HWND bar) {
        return {static_cast<int>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0)),
                static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0))};
    }

    // The lines of the finish page's list of what may not be destroyed.
    std::vector<std::wstring> NotDestroyedLines() const {
        return LinesOf(form_.ListBoxNotDestroyed);
    }

    static std::vector<std::wstring> LinesOf(HWND list) {
        std::vector<std::wstring> lines;
        const auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring line(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)),
                              L'\0');
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(line);
        }
        return lines;
    }

    void ExpectFinished() {
        EXPECT_EQ(form_.ActivePage(), PageFinish);
        EXPECT_EQ(ui::TextOf(form_.LabelHeaderHint), L"Операция завершена");
        EXPECT_TRUE(::IsWindowEnabled(form_.BtnBack));
        EXPECT_FALSE(::IsWindowEnabled(form_.BtnNext));
        EXPECT_FALSE(ui::AppCursorIsWait()) << "the hourglass stayed on";
    }

    // The run's turn for a file, on the window thread: its open for the overwrite. `onOverwrite_`
    // may act there, as the user could while that file is destroyed.
    ScopedSeam<platform::CreateFileSignature> opens_{
        platform::CreateFileApi, [this](const std::wstring& path, DWORD access, DWORD share,
                                        DWORD disposition, DWORD flags) {
            if (access & GENERIC_WRITE) {
                hourglassDuringRun_ = ui::AppCursorIsWait();
                pageDuringRun_ = form_.ActivePage();
                if (onOverwrite_)
                    onOverwrite_(path);
            }
            return ::CreateFileW(platform::ExtendedLengthPath(path).c_str(), access, share, nullptr,
                                 disposition, flags, nullptr);
        }};

    // Files are renamed before they are deleted, on helper threads: the records speak of them by
    // the names the test gave them.
    void NoteRename(const std::wstring& from, const std::wstring& to) {
        const std::lock_guard lock(records_);
        originalNames_[to] = originalNames_.count(from) ? originalNames_[from] : from;
    }
    ScopedSeam<platform::RenameOpenFileSignature> renames_{
        platform::RenameOpenFileApi,
        [this](HANDLE file, const std::wstring& from, const std::wstring& to) {
            NoteRename(from, to);
            return platform::RenameOpenFileDirect(file, from, to);
        }};
    std::wstring OriginalName(const std::wstring& path) {
        const std::lock_guard lock(records_);
        return originalNames_.count(path) ? originalNames_[path] : path;
    }

    // Every delete, through the open file or by name, goes through here: the file is deleted
    // for real unless it is listed in `undeletable_`.
    bool Delete(const std::wstring& renamed, const std::function<bool()>& realDelete) {
        const std::wstring path = OriginalName(renamed);
        {
            const std::lock_guard lock(records_);
            deleteCalls_.push_back(path);
        }
        for (const auto& stuck : undeletable_)
            if (stuck == path)
                return false;
        return realDelete();
    }
    // The files deleted, in the order of their names: helpers finish them in any order.
    std::vector<std::wstring> Deleted() {
        const std::lock_guard lock(records_);
        std::vector<std::wstring> sorted = deleteCalls_;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
    ScopedSeam<platform::DeleteOpenFileSignature> deletesOfOpenFiles_{
        platform::DeleteOpenFileApi, [this](HANDLE file, const std::wstring& renamed) {
            return Delete(renamed, [&] { return platform::DeleteOpenFileDirect(file, renamed); });
        }};
    ScopedSeam<platform::DeleteFileSignature> deletesByName_{
        platform::DeleteFileApi, [this](const std::wstring& renamed) {
            return Delete(renamed, [&] { return ::DeleteFileW(renamed.c_str()) != FALSE; });
        }};
    ScopedSeam<platform::SleepSignature> noSleep_{platform::SleepApi, [](DWORD) {}};
    ScopedSeam<platform::MessageBoxSignature> boxes_{
        platform::MessageBoxApi,
        [this](HWND, const std::wstring& text, const std::wstring&, UINT flags) {
            boxes.push_back({text, flags, ui::AppCursorIsWait(), form_.ActivePage(),
                             ::IsWindow(formHandle_) != FALSE});
            return IDOK;
        }};

    TempFolder folder_;
    TMainForm form_;
    HWND formHandle_ = nullptr;
    std::vector<Box> boxes;
    std::mutex records_;
    std::map<std::wstring, std::wstring> originalNames_;
    std::vector<std::wstring> deleteCalls_;
    std::vector<std::wstring> undeletable_;
    std::function<void(const std::wstring&)> onOverwrite_;
    bool hourglassDuringRun_ = false;
    int pageDuringRun_ = -1;
};

TEST_F(DeletionRun, DestroysListedFilesOnlyAndSkipsEntriesWhoseFileIsGone) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 1000);
    const std::wstring b = folder_.MakeFile(L"b.bin", 1);
    const std::wstring outside = folder_.MakeFile(L"outside.bin", 300, 'o');
    const std::wstring subfolder = folder_.PathOf(L"sub");
    ::CreateDirectoryW(subfolder.c_str(), nullptr);
    for (const auto& entry : {a, folder_.PathOf(L"never.bin"), subfolder, a, b})
        AddEntry(entry);

    PressNext();

    EXPECT_TRUE(boxes.empty()) << "a message came up although every file was deleted";
    EXPECT_EQ(Deleted(), (std::vector<std::wstring>{a, b})) << "the duplicate must be skipped";
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(ReadAll(outside), std::vector<char>(300, 'o'));
    EXPECT_TRUE(Exists(subfolder));
    EXPECT_TRUE(hourglassDuringRun_);
    EXPECT_EQ(pageDuringRun_, PageProgress);
    EXPECT_EQ(BarState(form_.ProgressBar), std::make_pair(5, 5));
    EXPECT_EQ(BarState(form_.ProgressBarCurrentFile), std::make_pair(1, 1)) << "the last file's";
    EXPECT_EQ(::SendMessageW(form_.ListBoxFiles, LB_GETCOUNT, 0, 0), 5) << "the list is kept";
    ExpectFinished();
}

TEST_F(DeletionRun, SameFileListedTwiceThatGoesJustAsItIsOpenedAgainIsTakenForGone) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    AddEntry(a);
    AddEntry(a);
    // The helper renames the first listing's file between the second one's look and its open.
    std::binary_semaphore secondTurn{0};
    std::binary_semaphore renamed{0};
    int turns = 0;
    onOverwrite_ = [&](const std::wstring&) {
        if (++turns != 2)
            return;
        secondTurn.release();
        EXPECT_TRUE(renamed.try_acquire_for(std::chrono::seconds(60)));
    };
    ScopedSeam<platform::RenameOpenFileSignature> rename(
        platform::RenameOpenFileApi,
        [&](HANDLE file, const std::wstring& from, const std::wstring& to) {
            EXPECT_TRUE(secondTurn.try_acquire_for(std::chrono::seconds(60)));
            NoteRename(from, to);
            const bool done = platform::RenameOpenFileDirect(file, from, to);
            renamed.release();
            return done;
        });

    PressNext();

    EXPECT_EQ(turns, 2);
    EXPECT_TRUE(boxes.empty()) << "the second listing is not an error: the file went";
    EXPECT_EQ(Deleted(), std::vector<std::wstring>{a});
    EXPECT_FALSE(Exists(a));
    ExpectFinished();
}

TEST_F(DeletionRun, FileThatStaysIsReportedOnceAfterTheOthers) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring stuck1 = folder_.MakeFile(L"stuck1.bin", 10);
    const std::wstring stuck2 = folder_.MakeFile(L"stuck2.bin", 10);
    const std::wstring c = folder_.MakeFile(L"c.bin", 10);
    undeletable_ = {stuck1, stuck2};
    for (const auto& entry : {a, stuck1, stuck2, c})
        AddEntry(entry);

    PressNext();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kWarning);
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_TRUE(boxes[0].hourglass) << "the warning comes while the run still holds the cursor";
    EXPECT_EQ(boxes[0].page, PageProgress);
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(c)) << "the run must go on after a file that stays";
    const std::vector<char> kept = ReadAll(stuck1);
    EXPECT_GE(kept.size(), 10u);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), 0), static_cast<long>(kept.size()))
        << "the file that stayed was overwritten all the same";
    ExpectFinished();
}

TEST_F(DeletionRun, FileThatCannotBeOpenedEndsTheRunOnTheFinishPageWithItsError) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring held = folder_.MakeFile(L"held.bin", 10, 'h');
    const std::wstring c = folder_.MakeFile(L"c.bin", 10, 'c');
    for (const auto& entry : {a, held, c})
        AddEntry(entry);
    const HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    PressNext();
    ::CloseHandle(holder);

    ASSERT_EQ(boxes.size(), 1u) << "one error box and no warning";
    EXPECT_EQ(boxes[0].text, ui::ErrorBoxText(L"Cannot open file \"" + held + L"\". " +
                                              SystemText(ERROR_SHARING_VIOLATION)));
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes[0].page, PageFinish) << "the error shows after the finish page";
    EXPECT_FALSE(boxes[0].hourglass);
    EXPECT_FALSE(Exists(a));
    EXPECT_EQ(ReadAll(held), std::vector<char>(10, 'h'));
    EXPECT_EQ(ReadAll(c), std::vector<char>(10, 'c'));
    ExpectFinished();
}

TEST_F(DeletionRun, ListClearedDuringTheRunEndsItWithoutReadingPastTheEnd) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring b = folder_.MakeFile(L"b.bin", 10, 'b');
    const std::wstring c = folder_.MakeFile(L"c.bin", 10, 'c');
    for (const auto& entry : {a, b, c})
        AddEntry(entry);
    // "Очистить список" from the menu while the first file is being destroyed.
    onOverwrite_ = [this](const std::wstring&) {
        ::PostMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::IdMenuClean, 0), 0);
    };

    PressNext();

    EXPECT_EQ(::SendMessageW(form_.ListBoxFiles, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Deleted(), std::vector<std::wstring>{a});
    EXPECT_EQ(ReadAll(b), std::vector<char>(10, 'b'));
    EXPECT_EQ(ReadAll(c), std::vector<char>(10, 'c'));
    EXPECT_EQ(BarState(form_.ProgressBar), std::make_pair(3, 3)) << "the bar still completes";
    EXPECT_TRUE(boxes.empty());
    ExpectFinished();
}

TEST_F(DeletionRun, ClosingDuringTheRunLetsItFinishThenEndsTheWindow) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring stuck = folder_.MakeFile(L"stuck.bin", 10);
    const std::wstring c = folder_.MakeFile(L"c.bin", 10);
    for (const auto& entry : {a, stuck, c})
        AddEntry(entry);
    undeletable_ = {stuck};
    formHandle_ = form_.Handle();
    bool aliveAtLastFile = false;
    onOverwrite_ = [&](const std::wstring& path) {
        if (path == a)
            ::PostMessageW(formHandle_, WM_CLOSE, 0, 0); // the close box, mid-run
        if (path == c)
            aliveAtLastFile = ::IsWindow(formHandle_) != FALSE;
    };

    PressNext();

    EXPECT_TRUE(aliveAtLastFile) << "the window was destroyed under the running loop";
    EXPECT_FALSE(Exists(c));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kWarning);
    EXPECT_TRUE(boxes[0].windowAlive);
    EXPECT_EQ(form_.ActivePage(), PageFinish);
    EXPECT_FALSE(::IsWindow(formHandle_)) << "the close asked for during the run was dropped";
    EXPECT_FALSE(ui::AppCursorIsWait());
}

TEST_F(DeletionRun, OnlyEntriesListedAtTheStartAndStillListedAtTheirTurnAreDestroyed) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring b = folder_.MakeFile(L"b.bin", 10);
    const std::wstring removed = folder_.MakeFile(L"removed.bin", 10, 'r');
    const std::wstring d = folder_.MakeFile(L"d.bin", 10);
    const std::wstring added = folder_.MakeFile(L"added.bin", 10, 'n');
    for (const auto& entry : {a, b, removed, d})
        AddEntry(entry);
    // While the first file goes: the delete button on the third entry, then a file added.
    onOverwrite_ = [&](const std::wstring& path) {
        if (path != a)
            return;
        ::SendMessageW(form_.ListBoxFiles, LB_SETCURSEL, 2, 0);
        form_.BtnDeleteClick();
        form_.AddFiles({added});
    };

    PressNext();

    EXPECT_EQ(Deleted(), (std::vector<std::wstring>{a, b, d}));
    EXPECT_EQ(ReadAll(removed), std::vector<char>(10, 'r'));
    EXPECT_EQ(ReadAll(added), std::vector<char>(10, 'n')) << "added during the run: next run";
    EXPECT_EQ(BarState(form_.ProgressBar), std::make_pair(4, 4));
    ExpectFinished();
}

TEST_F(DeletionRun, FilesAddedAfterTheListWasClearedDuringTheRunSurviveIt) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring b = folder_.MakeFile(L"b.bin", 10, 'b');
    const std::wstring added1 = folder_.MakeFile(L"added1.bin", 10, '1');
    const std::wstring added2 = folder_.MakeFile(L"added2.bin", 10, '2');
    AddEntry(a);
    AddEntry(b);
    onOverwrite_ = [&](const std::wstring& path) {
        if (path != a)
            return;
        form_.BtnCleanFilesClick();
        form_.AddFiles({added1, added2}); // the same places in the list as the cleared ones
    };

    PressNext();

    EXPECT_EQ(Deleted(), std::vector<std::wstring>{a});
    EXPECT_EQ(ReadAll(b), std::vector<char>(10, 'b'));
    EXPECT_EQ(ReadAll(added1), std::vector<char>(10, '1'));
    EXPECT_EQ(ReadAll(added2), std::vector<char>(10, '2'));
    EXPECT_EQ(BarState(form_.ProgressBar), std::make_pair(2, 2));
    ExpectFinished();
}

TEST_F(DeletionRun, FileThatCannotBeToldMissingLeadsToTheWarning) {
    const std::wstring entry = folder_.PathOf(L"somewhere.bin");
    DWORD error = 0;
    ScopedSeam<platform::GetFileAttributesSignature> probe(platform::GetFileAttributesApi,
                                                           [&](const std::wstring&) {
                                                               ::SetLastError(error);
                                                               return INVALID_FILE_ATTRIBUTES;
                                                           });
    AddEntry(entry);
    const std::pair<DWORD, bool> cases[] = {
        {ERROR_ACCESS_DENIED, true}, {ERROR_NOT_READY, true},       {ERROR_BAD_NETPATH, true},
        {ERROR_INVALID_NAME, true},  {ERROR_FILE_NOT_FOUND, false}, {ERROR_PATH_NOT_FOUND, false}};
    for (const auto& [code, warned] : cases) {
        SCOPED_TRACE("error " + std::to_string(code));
        error = code;
        boxes.clear();
        PressNext();
        ASSERT_EQ(boxes.size(), warned ? 1u : 0u);
        for (const Box& box : boxes)
            EXPECT_EQ(box.text, kWarning);
        form_.BtnBackClick(); // to the file page again, for the next run
    }
    EXPECT_TRUE(Deleted().empty());
}

TEST_F(DeletionRun, NameWithATrailingDotOrSpaceDestroysThatFileNotItsNeighbour) {
    // As Linux shares, WSL and some archives make them; the system's reading of a path drops
    // the dot and the space.
    std::vector<std::wstring> chosen;
    for (const std::wstring name : {L"report.txt", L"notes.txt"}) {
        folder_.MakeFile(name, 20, 'n');
        const std::wstring trailing = name + (name == L"report.txt" ? L"." : L" ");
        chosen.push_back(folder_.PathOf(trailing));
        const HANDLE file = ::CreateFileW((L"\\\\?\\" + chosen.back()).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ::CloseHandle(file);
        AddEntry(chosen.back());
    }

    PressNext();

    EXPECT_TRUE(boxes.empty());
    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(Deleted(), chosen);
    for (const std::wstring& path : chosen)
        EXPECT_FALSE(Exists(L"\\\\?\\" + path)) << "the chosen file stayed";
    EXPECT_EQ(ReadAll(folder_.PathOf(L"report.txt")), std::vector<char>(20, 'n'));
    EXPECT_EQ(ReadAll(folder_.PathOf(L"notes.txt")), std::vector<char>(20, 'n'));
    ExpectFinished();
}

TEST_F(DeletionRun, FileOfSeveralNamesLosesOnlyTheChosenOneAndTheFinishPageSaysWhy) {
    const std::wstring chosen = folder_.MakeFile(L"chosen.bin", 3000, 'h');
    const std::wstring other = folder_.PathOf(L"backup.bin");
    ASSERT_TRUE(::CreateHardLinkW(other.c_str(), chosen.c_str(), nullptr));
    const std::wstring plain = folder_.MakeFile(L"plain.bin", 10);
    AddEntry(chosen);
    AddEntry(plain);

    PressNext();

    EXPECT_FALSE(Exists(chosen));
    EXPECT_FALSE(Exists(plain));
    EXPECT_EQ(ReadAll(other), std::vector<char>(3000, 'h')) << "the other name's data was hit";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kWarning);
    EXPECT_EQ(NotDestroyedLines(),
              std::vector<std::wstring>{chosen + L" — " + ReasonText(wipe::Reason::OtherNames)});
    EXPECT_TRUE(::GetWindowLongPtrW(form_.ListBoxNotDestroyed, GWL_STYLE) & WS_VISIBLE);
    ExpectFinished();
}

TEST_F(DeletionRun, DriveThatMayKeepCopiesIsNamedOnceOnTheFinishPageWithoutTheWarning) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring b = folder_.MakeFile(L"b.bin", 10);
    AddEntry(a);
    AddEntry(b);
    int asked = 0;
    ScopedSeam<platform::DriveTypeSignature> share(platform::DriveTypeApi,
                                                   [&](const std::wstring&) {
                                                       ++asked;
                                                       return UINT{DRIVE_REMOTE};
                                                   });

    PressNext();

    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_TRUE(boxes.empty()) << "the files themselves were destroyed";
    EXPECT_EQ(asked, 1) << "once per drive";
    EXPECT_EQ(NotDestroyedLines(),
              std::vector<std::wstring>{L"Диск " + platform::VolumeRoot(a) + L" — " +
                                        ReasonText(wipe::Reason::Network)});
    ExpectFinished();
}

TEST_F(DeletionRun, RunEndedByAnErrorStillTellsOfTheFilesItsHelpersCouldNotFinish) {
    const std::wstring stuck = folder_.MakeFile(L"stuck.bin", 10);
    const std::wstring unflushed = folder_.MakeFile(L"unflushed.bin", 10);
    const std::wstring held = folder_.MakeFile(L"held.bin", 10, 'h');
    for (const auto& entry : {stuck, unflushed, held})
        AddEntry(entry);
    undeletable_ = {stuck};
    // The last flush of the second file fails, on its helper.
    ScopedSeam<platform::FlushFileBuffersSignature> flush(
        platform::FlushFileBuffersApi, [&](HANDLE file) {
            wchar_t name[MAX_PATH] = {};
            ::GetFinalPathNameByHandleW(file, name, MAX_PATH, 0);
            return std::wstring(name).find(L"unflushed") == std::wstring::npos &&
                   ::FlushFileBuffers(file) != FALSE;
        });
    const HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    PressNext();
    ::CloseHandle(holder);

    ASSERT_EQ(boxes.size(), 1u) << "one error box";
    EXPECT_EQ(boxes[0].text, ui::ErrorBoxText(L"Stream write error")) << "the first file's error";
    const std::vector<std::wstring> lines = NotDestroyedLines();
    EXPECT_EQ(lines, (std::vector<std::wstring>{
                         stuck + L" — " + ReasonText(wipe::Reason::NotDeleted),
                         unflushed + L" — " + ReasonText(wipe::Reason::NotWritten)}))
        << "each file is named with its own outcome";
    EXPECT_EQ(ReadAll(held), std::vector<char>(10, 'h'));
    ExpectFinished();
}

TEST_F(DeletionRun, LinksAreLeftAsTheyAreWithWhatTheyNameAndLeadToTheWarning) {
    // A symbolic link to a file, a junction or mount point (they share a tag) and a link to a
    // folder, as this file system cannot make them: real files and folders that the system
    // says are such links.
    const std::wstring fileLink = folder_.MakeFile(L"link.txt", 10, 'l');
    const std::wstring junction = folder_.PathOf(L"junction");
    ::CreateDirectoryW(junction.c_str(), nullptr);
    const std::wstring inside = folder_.MakeFile(L"junction\\inside.txt", 10, 'i');
    ScopedSeam<platform::GetFileAttributesSignature> attributes(
        platform::GetFileAttributesApi, [](const std::wstring& path) {
            return ::GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_REPARSE_POINT;
        });
    DWORD tag = IO_REPARSE_TAG_SYMLINK;
    ScopedSeam<platform::QueryAttributeTagSignature> tags(
        platform::QueryAttributeTagApi, [&](HANDLE file, platform::AttributeTag& info) {
            FILE_ATTRIBUTE_TAG_INFO real{};
            ::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &real, sizeof(real));
            info = {real.FileAttributes | FILE_ATTRIBUTE_REPARSE_POINT, tag};
            return true;
        });
    const std::pair<std::wstring, DWORD> links[] = {{fileLink, IO_REPARSE_TAG_SYMLINK},
                                                    {junction, IO_REPARSE_TAG_MOUNT_POINT},
                                                    {junction, IO_REPARSE_TAG_SYMLINK}};
    for (const auto& [link, linkTag] : links) {
        SCOPED_TRACE(linkTag);
        tag = linkTag;
        boxes.clear();
        form_.BtnCleanFilesClick();
        AddEntry(link);
        PressNext();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, kWarning);
        form_.BtnBackClick();
    }
    EXPECT_TRUE(Deleted().empty());
    EXPECT_EQ(ReadAll(fileLink), std::vector<char>(10, 'l'));
    EXPECT_EQ(ReadAll(inside), std::vector<char>(10, 'i'));
}

TEST_F(DeletionRun, TaskbarShowsTheRunTheWarningAsAnErrorThenNothingAndFlashesFromBehind) {
    using platform::TaskbarState;
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring stuck = folder_.MakeFile(L"stuck.bin", 10);
    AddEntry(a);
    AddEntry(stuck);
    undeletable_ = {stuck};
    std::vector<std::tuple<TaskbarState, std::uint64_t, std::uint64_t>> shown;
    ScopedSeam<platform::TaskbarProgressSignature> taskbar(
        platform::TaskbarProgressApi,
        [&](HWND window, TaskbarState state, std::uint64_t done, std::uint64_t total) {
            EXPECT_EQ(window, form_.Handle());
            shown.emplace_back(state, done, total);
        });
    std::optional<TaskbarState> atTheWarning;
    ScopedSeam<platform::MessageBoxSignature> warning(
        platform::MessageBoxApi, [&](HWND, const std::wstring&, const std::wstring&, UINT) {
            atTheWarning = std::get<0>(shown.back());
            return IDOK;
        });
    int flashes = 0;
    ScopedSeam<platform::FlashWindowSignature> flash(platform::FlashWindowApi,
                                                     [&](HWND) { ++flashes; });
    const vexlor::testing::TestWindow front(L"Впереди");
    ::ShowWindow(front.Handle(), SW_SHOW);
    ::SetForegroundWindow(front.Handle());

    PressNext();

    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.front(), std::make_tuple(TaskbarState::Normal, 0ull, 2ull));
    EXPECT_EQ(atTheWarning, TaskbarState::Error);
    EXPECT_EQ(shown.back(), std::make_tuple(TaskbarState::None, 0ull, 0ull));
    EXPECT_EQ(flashes, 1) << "the run ended behind another window";
    // In front, the window does not flash.
    form_.BtnBackClick();
    ::SetForegroundWindow(form_.Handle());
    PressNext();
    EXPECT_EQ(flashes, 1);
}

TEST_F(DeletionRun, LoggingOffIsRefusedDuringTheRunOnly) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    AddEntry(a);
    LRESULT answerDuringRun = TRUE;
    onOverwrite_ = [&](const std::wstring&) {
        answerDuringRun = ::SendMessageW(form_.Handle(), WM_QUERYENDSESSION, 0, 0);
    };

    PressNext();

    EXPECT_EQ(answerDuringRun, FALSE);
    EXPECT_EQ(::SendMessageW(form_.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
}

TEST_F(DeletionRun, FileDroppedDuringTheRunWaitsForTheNextOne) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 10);
    const std::wstring b = folder_.MakeFile(L"b.bin", 10);
    const std::wstring dropped = folder_.MakeFile(L"dropped.bin", 10, 'd');
    AddEntry(a);
    AddEntry(b);
    // And one handed over by another start of the program, as Explorer's verb makes it.
    std::wstring handed = folder_.MakeFile(L"handed.bin", 10, 'h');
    COPYDATASTRUCT record{HandOverToDestroy,
                          static_cast<DWORD>((handed.size() + 1) * sizeof(wchar_t)), handed.data()};
    onOverwrite_ = [&](const std::wstring& path) {
        if (path != a)
            return;
        vexlor::testing::SendDrop(form_.Handle(), {dropped});
        ::SendMessageW(form_.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    };

    PressNext();

    EXPECT_EQ(Deleted(), (std::vector<std::wstring>{a, b}));
    EXPECT_EQ(ReadAll(dropped), std::vector<char>(10, 'd'));
    EXPECT_EQ(ReadAll(handed), std::vector<char>(10, 'h'));
    EXPECT_EQ(::SendMessageW(form_.ListBoxFiles, LB_GETCOUNT, 0, 0), 4) << "they wait in the list";
    ExpectFinished();
}

// A folder added: its files destroyed, its emptied folders removed under random names, a link in
// it (a folder that the system says is a junction, which Wine cannot make) neither entered nor
// touched, and what holds a file that stayed kept and named on the finish page.
TEST_F(DeletionRun, FolderIsDestroyedWithItsEmptiedSubfoldersAndWhatStaysIsNamed) {
    const std::wstring tree = folder_.PathOf(L"tree");
    const std::wstring whole = folder_.PathOf(L"whole");
    for (const wchar_t* name : {L"tree", L"tree\\sub", L"tree\\sub\\deeper", L"tree\\empty",
                                L"tree\\kept", L"tree\\link", L"whole", L"whole\\inner"})
        ::CreateDirectoryW(folder_.PathOf(name).c_str(), nullptr);
    const std::vector<std::wstring> destroyed = {
        folder_.MakeFile(L"tree\\a.bin", 100), folder_.MakeFile(L"tree\\sub\\b.bin", 10),
        folder_.MakeFile(L"tree\\sub\\deeper\\c.bin", 10), folder_.MakeFile(L"whole\\w.bin", 10),
        folder_.MakeFile(L"whole\\inner\\v.bin", 10)};
    const std::wstring stuck = folder_.MakeFile(L"tree\\kept\\stuck.bin", 10);
    const std::wstring link = tree + L"\\link";
    const std::wstring inside = folder_.MakeFile(L"tree\\link\\inside.txt", 10, 'i');
    undeletable_ = {stuck};
    const auto isLink = [&](const std::wstring& path) {
        return ::CompareStringOrdinal(path.c_str(), -1, link.c_str(), -1, TRUE) == CSTR_EQUAL;
    };
    // The system's word for the link: in its folder's listing, by its path, and by its handle.
    ScopedSeam<platform::ListFolderSignature> listing(
        platform::ListFolderApi,
        [&](const std::wstring& folder, std::vector<platform::FolderEntry>& entries) {
            const bool listed = platform::ListFolderDirect(folder, entries);
            for (platform::FolderEntry& entry : entries)
                if (isLink(platform::PathInFolder(folder, entry.name)))
                    entry = {entry.name, entry.attributes | FILE_ATTRIBUTE_REPARSE_POINT,
                             IO_REPARSE_TAG_MOUNT_POINT};
            return listed;
        });
    ScopedSeam<platform::GetFileAttributesSignature> attributes(
        platform::GetFileAttributesApi, [&](const std::wstring& path) {
            const DWORD real = ::GetFileAttributesW(platform::ExtendedLengthPath(path).c_str());
            return isLink(path) ? real | FILE_ATTRIBUTE_REPARSE_POINT : real;
        });
    const std::uint64_t linkIndex = FileIndexOfPath(link);
    ScopedSeam<platform::QueryAttributeTagSignature> tags(
        platform::QueryAttributeTagApi, [&](HANDLE file, platform::AttributeTag& info) {
            FILE_ATTRIBUTE_TAG_INFO real{};
            ::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &real, sizeof(real));
            info = {real.FileAttributes, real.ReparseTag};
            if (FileIndexOf(file) == linkIndex)
                info = {real.FileAttributes | FILE_ATTRIBUTE_REPARSE_POINT,
                        IO_REPARSE_TAG_MOUNT_POINT};
            return true;
        });
    std::vector<platform::OpenDialogRequest> asked;
    ScopedSeam<platform::ShowOpenDialogSignature> dialog(
        platform::ShowOpenDialogApi, [&](const platform::OpenDialogRequest& request) {
            asked.push_back(request);
            return std::optional<std::vector<std::wstring>>({tree, whole});
        });

    ::SendMessageW(form_.Handle(), WM_COMMAND, TMainForm::IdBtnAddFolder, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].options & FOS_PICKFOLDERS, 0u);
    std::vector<std::wstring> expected = destroyed;
    expected.insert(expected.end(), {stuck, link});
    std::vector<std::wstring> listed = LinesOf(form_.ListBoxFiles);
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected) << "the link listed as itself, what lies behind it not at all";

    PressNext();

    for (const std::wstring& file : destroyed)
        EXPECT_FALSE(Exists(file)) << file;
    const std::vector<std::wstring> removed = {tree + L"\\sub", tree + L"\\sub\\deeper",
                                               tree + L"\\empty", whole, whole + L"\\inner"};
    for (const std::wstring& folder : removed) {
        EXPECT_FALSE(Exists(folder)) << folder;
        const std::lock_guard lock(records_);
        const auto renamed =
            std::find_if(originalNames_.begin(), originalNames_.end(),
                         [&](const auto& names) { return names.second == folder; });
        ASSERT_NE(renamed, originalNames_.end()) << folder << " went under its own name";
        EXPECT_EQ(renamed->first.size(), folder.size());
        EXPECT_EQ(wipe::FolderOf(renamed->first), wipe::FolderOf(folder));
    }
    EXPECT_TRUE(Exists(stuck));
    EXPECT_EQ(ReadAll(inside), std::vector<char>(10, 'i')) << "the link was followed";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kWarning);
    const std::vector<std::wstring> lines = NotDestroyedLines();
    for (const wipe::Outcome& named : {wipe::Outcome{stuck, {wipe::Reason::NotDeleted}},
                                       wipe::Outcome{link, {wipe::Reason::Link}},
                                       wipe::Outcome{tree, {wipe::Reason::FolderKept}}})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), OutcomeLine(named)), 1) << named.path;
    EXPECT_EQ(lines.size(), 3u);
    ExpectFinished();
}

} // namespace
} // namespace vexlor::wizard

namespace vexlor::wizard {
namespace {

TEST_F(DeletionRun, WithFlushesInFlightNoNameGoesBeforeItsOwnFlushHasReturned) {
    std::vector<std::wstring> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(folder_.MakeFile(L"f" + std::to_wstring(i) + L".bin", 100));
    for (const auto& file : files)
        AddEntry(file);
    // Steps in the order they happened, by file. The first file's flush lasts until the next
    // file's has begun, so that this one overtakes it.
    std::mutex mutex;
    std::condition_variable flushBegun;
    std::vector<std::pair<std::wstring, std::uint64_t>> steps;
    int begun = 0;
    int inFlight = 0;
    int mostInFlight = 0;
    const auto note = [&](const wchar_t* step, HANDLE file) {
        const std::lock_guard lock(mutex);
        steps.emplace_back(step, FileIndexOf(file));
    };
    ScopedSeam<platform::FlushFileBuffersSignature> slowFirstFlush(
        platform::FlushFileBuffersApi, [&](HANDLE file) {
            {
                std::unique_lock lock(mutex);
                mostInFlight = std::max(mostInFlight, ++inFlight);
                flushBegun.notify_all();
                if (++begun == 1) {
                    EXPECT_TRUE(flushBegun.wait_for(lock, std::chrono::seconds(60), [&] {
                        return begun > 1;
                    })) << "the next file waited for the first one's flush";
                }
            }
            const bool flushed = ::FlushFileBuffers(file) != FALSE;
            {
                const std::lock_guard lock(mutex);
                --inFlight;
            }
            note(L"flushed", file);
            return flushed;
        });
    ScopedSeam<platform::RenameOpenFileSignature> renames(
        platform::RenameOpenFileApi,
        [&](HANDLE file, const std::wstring& from, const std::wstring& to) {
            note(L"rename", file);
            return platform::RenameOpenFileDirect(file, from, to);
        });
    ScopedSeam<platform::DeleteOpenFileSignature> deletes(
        platform::DeleteOpenFileApi, [&](HANDLE file, const std::wstring& renamed) {
            note(L"delete", file);
            return platform::DeleteOpenFileDirect(file, renamed);
        });

    PressNext();

    EXPECT_GT(mostInFlight, 1) << "the flushes were not in flight together";
    std::map<std::uint64_t, std::vector<std::wstring>> byFile;
    for (const auto& [step, file] : steps)
        byFile[file].push_back(step);
    EXPECT_EQ(byFile.size(), files.size());
    for (const auto& [file, order] : byFile)
        EXPECT_EQ(order, (std::vector<std::wstring>{L"flushed", L"rename", L"delete"}));
    for (const auto& file : files)
        EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(boxes.empty());
    ExpectFinished();
}

TEST_F(DeletionRun, ModalWindowOpenedDuringTheRunKeepsTheNextFileFromStartingUntilItCloses) {
    std::vector<std::wstring> files;
    for (int i = 0; i < 6; ++i)
        files.push_back(folder_.MakeFile(L"m" + std::to_wstring(i) + L".bin", 100));
    for (const auto& file : files)
        AddEntry(file);
    std::atomic<int> started{0};
    int startedWhileOpen = -1;
    int startedWhenClosed = -1;
    bool aboutShown = false;
    onOverwrite_ = [&](const std::wstring&) {
        if (started++ != 1)
            return;
        // "О программе" from the menu while the second file goes; the user, in the dialog's
        // own loop, reads it, lets the program go on answering, then closes it.
        ::PostMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::IdMenuAbout, 0), 0);
        vexlor::testing::PostCall([&] {
            const HWND about = ::FindWindowW(L"TFormAbout", nullptr);
            aboutShown = about && ::IsWindowVisible(about);
            startedWhileOpen = started;
            vexlor::testing::PostCall([&, about] {
                startedWhenClosed = started;
                ::PostMessageW(about, WM_CLOSE, 0, 0);
            });
        });
    };

    PressNext();

    EXPECT_TRUE(aboutShown);
    EXPECT_EQ(startedWhileOpen, 2);
    EXPECT_EQ(startedWhenClosed, 2) << "a file started while the modal window was up";
    EXPECT_EQ(started, 6);
    for (const auto& file : files)
        EXPECT_FALSE(Exists(file));
    ExpectFinished();
}

} // namespace
} // namespace vexlor::wizard
