// The cleaning of a volume's free space, on a volume the file seams play over a folder of the
// test's own: the cleaning's data is counted, never written, so nothing fills a real disk.
#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <mutex>

#include "fakes.h"
#include "platform/disk_space.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "settings/settings.h"
#include "temp_files.h"
#include "ui/controls.h"
#include "wipe/free_space.h"
#include "wizard/free_space_page.h"
#include "wizard/main_form.h"

namespace vexlor {
namespace {

using platform::ScopedSeam;
using testing::Time;
using wipe::FreeSpacePhase;

// The room of the volume for the cleaning's fillers, and its file records: `records` of them
// for the files of the records' folder, each holding `recordRoom` bytes of data (none on FAT).
class FakeVolume {
public:
    std::uint64_t room = 0;
    int records = 0;
    DWORD recordRoom = 0;
    std::function<void()> afterFillerWrite = [] {};

    std::uint64_t Unflushed() {
        const std::lock_guard lock(mutex_);
        std::uint64_t sum = 0;
        for (const auto& [file, bytes] : unflushed_)
            sum += bytes;
        return sum;
    }
    // The data each tiny file held when it was flushed.
    std::vector<DWORD> RecordsFlushed() {
        const std::lock_guard lock(mutex_);
        return recordsFlushed_;
    }

private:
    static bool InRecords(const std::wstring& path) { return path.find(L"\\r\\") != path.npos; }
    static bool Fail(DWORD error) {
        ::SetLastError(error);
        return false;
    }

    HANDLE Create(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags) {
        if (InRecords(path) && disposition == CREATE_NEW && records-- <= 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE file = ::CreateFileW(platform::ExtendedLengthPath(path).c_str(), access, share,
                                          nullptr, disposition, flags, nullptr);
        const std::lock_guard lock(mutex_);
        inRecords_[file] = InRecords(path);
        held_[file] = 0;
        return file;
    }

    bool Write(HANDLE file, DWORD size, DWORD& written) {
        written = 0;
        if (inRecords_[file]) {
            if (size > recordRoom)
                return Fail(ERROR_DISK_FULL);
            held_[file] = written = size;
            return true;
        }
        written = static_cast<DWORD>(std::min<std::uint64_t>(size, room));
        room -= written;
        {
            const std::lock_guard lock(mutex_);
            unflushed_[file] += written;
        }
        afterFillerWrite();
        return written > 0 || Fail(ERROR_DISK_FULL);
    }

    bool Flush(HANDLE file) {
        const std::lock_guard lock(mutex_);
        unflushed_[file] = 0;
        if (inRecords_[file])
            recordsFlushed_.push_back(held_[file]);
        return true;
    }

    std::mutex mutex_;
    std::map<HANDLE, bool> inRecords_;
    std::map<HANDLE, DWORD> held_;
    std::map<HANDLE, std::uint64_t> unflushed_;
    std::vector<DWORD> recordsFlushed_;
    ScopedSeam<platform::CreateFileSignature> create_{
        platform::CreateFileApi,
        [this](const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
               DWORD flags) { return Create(path, access, share, disposition, flags); }};
    ScopedSeam<platform::WriteFileSignature> write_{
        platform::WriteFileApi, [this](HANDLE file, std::uint64_t, const void*, DWORD size,
                                       DWORD& written) { return Write(file, size, written); }};
    ScopedSeam<platform::FlushFileBuffersSignature> flush_{
        platform::FlushFileBuffersApi, [this](HANDLE file) { return Flush(file); }};
    ScopedSeam<platform::DiskSpaceSignature> space_{
        platform::DiskSpaceApi, [this](const std::wstring&) {
            return std::optional<platform::DiskSpace>({room, 4 * room});
        }};
};

// What the cleaning shows, and a stop after so many answers of the window.
class RecordedView final : public wipe::FreeSpaceView {
public:
    std::vector<FreeSpacePhase> phases;
    int answers = 0;
    int stopAfterAnswers = -1;

    void ShowPhase(FreeSpacePhase phase) override { phases.push_back(phase); }
    bool StopRequested() const override {
        return stopAfterAnswers >= 0 && answers >= stopAfterAnswers;
    }
    void ResetFileBar(int) override {}
    void SetFileBarPosition(int) override {}
    void ProcessMessages() override { ++answers; }
};

bool Empty(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    bool empty = true;
    do
        empty = empty &&
                (found.cFileName == std::wstring(L".") || found.cFileName == std::wstring(L".."));
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return empty;
}

class FreeSpace : public ::testing::Test {
protected:
    testing::TempFolder folder_;
    FakeVolume volume_;
    RecordedView view_;
};

TEST_F(FreeSpace, FillsEveryClusterAndRecordWithTheMostTheyHoldThenLeavesNothingOfItsOwn) {
    const std::uint64_t room = (std::uint64_t{3} << 20) + 1000; // a sector and a part at the end
    volume_.room = room;
    volume_.records = 7;
    volume_.recordRoom = 600;

    const wipe::FreeSpaceOutcome outcome = wipe::CleanFreeSpace(folder_.Path(), view_);

    EXPECT_EQ(outcome.zeroBytes, room);
    EXPECT_EQ(volume_.room, 0u);
    EXPECT_EQ(volume_.Unflushed(), 0u) << "every zero reaches the disk";
    EXPECT_EQ(volume_.RecordsFlushed(), std::vector<DWORD>(7, 600));
    EXPECT_GE(outcome.records, 7u);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_TRUE(outcome.removed);
    EXPECT_EQ(view_.phases, (std::vector{FreeSpacePhase::Clusters, FreeSpacePhase::Records,
                                         FreeSpacePhase::Removal}));
    EXPECT_TRUE(Empty(folder_.Path()));
}

TEST_F(FreeSpace, WhereRecordsKeepNoDataNoTinyFileIsMade) {
    volume_.room = 1 << 20;
    volume_.records = 100;

    const wipe::FreeSpaceOutcome outcome = wipe::CleanFreeSpace(folder_.Path(), view_);

    EXPECT_EQ(outcome.records, 0u);
    EXPECT_EQ(volume_.records, 99) << "one file tried, and no more";
    EXPECT_TRUE(Empty(folder_.Path()));
}

TEST_F(FreeSpace, AStopInTheMiddleLeavesNoneOfItsFiles) {
    volume_.room = std::uint64_t{100} << 20;
    volume_.records = 100;
    volume_.recordRoom = 600;
    volume_.afterFillerWrite = [] { Time().Advance(std::chrono::milliseconds(10)); };
    view_.stopAfterAnswers = 3;

    const wipe::FreeSpaceOutcome outcome = wipe::CleanFreeSpace(folder_.Path(), view_);

    EXPECT_TRUE(outcome.stopped);
    EXPECT_LT(outcome.zeroBytes, std::uint64_t{10} << 20);
    EXPECT_EQ(outcome.records, 0u);
    EXPECT_EQ(view_.phases, (std::vector{FreeSpacePhase::Clusters, FreeSpacePhase::Removal}));
    EXPECT_TRUE(outcome.removed);
    EXPECT_TRUE(Empty(folder_.Path()));
}

TEST_F(FreeSpace, AFolderLeftByACleaningThatDidNotEndGoesAtTheNextStart) {
    const std::wstring left = folder_.PathOf(wipe::FreeSpaceFolderName);
    ::CreateDirectoryW(left.c_str(), nullptr);
    ::CreateDirectoryW((left + L"\\r").c_str(), nullptr);
    testing::TempFolder unrelated;
    const std::wstring kept = unrelated.PathOf(wipe::FreeSpaceFolderName);
    ::CreateDirectoryW(kept.c_str(), nullptr);
    for (const std::wstring& file : {left + L"\\00000001", left + L"\\r\\00000001", kept + L"\\a"})
        ::CloseHandle(
            ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    settings::WriteSettingString(wizard::FreeSpaceFolderSetting, folder_.Path());

    wizard::TMainForm nextStart;
    nextStart.Create();

    EXPECT_TRUE(Empty(folder_.Path()));
    EXPECT_TRUE(testing::Exists(kept + L"\\a")) << "only the folder the settings name";
    EXPECT_EQ(settings::ReadSettingString(wizard::FreeSpaceFolderSetting), L"");
}

TEST(FreeSpaceTexts, AmountsAndTheTimeLeft) {
    EXPECT_EQ(wizard::ByteCountText(512), L"512 байт");
    EXPECT_EQ(wizard::ByteCountText(3), L"3 байта");
    EXPECT_EQ(wizard::ByteCountText(1536), L"1,5 КБ");
    EXPECT_EQ(wizard::ByteCountText(std::uint64_t{300} << 30), L"300 ГБ");
    wizard::TimeLeft left;
    const platform::SteadyTime start = Time().Now();
    left.Start(start);
    using std::chrono::seconds;
    EXPECT_EQ(left.Text(start + seconds(10), 1, 0), L"Оставшееся время неизвестно");
    EXPECT_EQ(left.Text(start + seconds(1), 50, 100), L"Оставшееся время оценивается...");
    EXPECT_EQ(left.Text(start + seconds(100), 25, 100), L"Осталось около 5 мин");
    EXPECT_EQ(left.Text(start + seconds(3600), 50, 100), L"Осталось около 1 ч 0 мин");
    EXPECT_EQ(left.Text(start + seconds(30), 75, 100), L"Осталось меньше минуты");
}

// Through the window: the menu item, the folder dialog, the question, the run and the finish
// page.
class FreeSpaceWindow : public ::testing::Test {
protected:
    void SetUp() override { form_.Create(); }
    void TearDown() override {
        settings::WriteSettingString(wizard::FreeSpaceFolderSetting, L"");
        MSG message; // a window closed during a run posts WM_QUIT
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    void ChooseFromMenu() {
        ::SendMessageW(form_.Handle(), WM_COMMAND,
                       MAKEWPARAM(wizard::TMainForm::IdMenuFreeSpace, 0), 0);
    }

    testing::TempFolder folder_;
    FakeVolume volume_;
    wizard::TMainForm form_;
    std::vector<platform::OpenDialogRequest> dialogs_;
    ScopedSeam<platform::ShowOpenDialogSignature> dialog_{
        platform::ShowOpenDialogApi, [this](const platform::OpenDialogRequest& request) {
            dialogs_.push_back(request);
            return std::optional(std::vector{folder_.Path()});
        }};
};

TEST_F(FreeSpaceWindow, TheChosenFolderIsAskedAboutThenCleanedAndTheFinishPageSaysHowMuch) {
    volume_.room = std::uint64_t{2} << 20;
    std::wstring recordedDuringRun;
    volume_.afterFillerWrite = [&] {
        recordedDuringRun = settings::ReadSettingString(wizard::FreeSpaceFolderSetting);
    };
    testing::RecordedMessageBoxes boxes(IDYES);

    ChooseFromMenu();

    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_TRUE(dialogs_[0].options & FOS_PICKFOLDERS);
    ASSERT_EQ(boxes.calls.size(), 1u);
    const std::wstring& question = boxes.calls[0].text;
    EXPECT_NE(question.find(L"на диске " + platform::VolumeRoot(folder_.Path())), question.npos);
    EXPECT_NE(question.find(L"Свободно 2,0 МБ из 8,0 МБ"), question.npos) << question;
    EXPECT_NE(question.find(L"будет заполнен полностью"), question.npos);
    EXPECT_EQ(boxes.calls[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(recordedDuringRun, folder_.Path()) << "the next start must find its folder";
    EXPECT_EQ(settings::ReadSettingString(wizard::FreeSpaceFolderSetting), L"");
    EXPECT_EQ(form_.ActivePage(), wizard::PageFinish);
    EXPECT_EQ(ui::TextOf(form_.sLabel4), L"Свободное место очищено, перезаписано нулями 2,0 МБ.");
    EXPECT_FALSE(::IsWindowVisible(form_.BtnStop));
    EXPECT_TRUE(Empty(folder_.Path()));
}

TEST_F(FreeSpaceWindow, NoAnswerCleansNothingAndClosingTheWindowStopsTheRun) {
    volume_.room = std::uint64_t{100} << 20;
    {
        testing::RecordedMessageBoxes boxes(IDNO);
        ChooseFromMenu();
        EXPECT_EQ(volume_.room, std::uint64_t{100} << 20);
        EXPECT_NE(form_.ActivePage(), wizard::PageProgress);
    }
    testing::RecordedMessageBoxes boxes(IDYES);
    const HWND window = form_.Handle();
    bool closed = false;
    volume_.afterFillerWrite = [&] {
        Time().Advance(std::chrono::milliseconds(10));
        if (!std::exchange(closed, true))
            ::PostMessageW(window, WM_CLOSE, 0, 0);
    };

    ChooseFromMenu();

    EXPECT_FALSE(::IsWindow(window)) << "the window closes once its files are gone";
    EXPECT_GT(volume_.room, std::uint64_t{90} << 20) << "the run stopped";
    EXPECT_TRUE(Empty(folder_.Path()));
}

} // namespace
} // namespace vexlor
