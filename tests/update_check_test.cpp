// The update check on this side of the network: when it is due, how a version number reads,
// the prompt, the worker and its hand-over to the GUI thread, and the start-up sequence.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <optional>
#include <vector>

#include "base/product.h"
#include "dialogs/dlg_answers.h"
#include "fakes.h"
#include "loopback_server.h"
#include "registry_probe.h"
#include "settings/data_folder.h"
#include "settings/file_type.h"
#include "settings/ole_date.h"
#include "settings/settings.h"
#include "temp_files.h"
#include "ui/app_message.h"
#include "ui/application.h"
#include "ui/message_pump.h"
#include "update/downloader.h"
#include "update/update_check.h"
#include "update/version_number.h"
#include "wizard/main_form.h"

namespace vexlor::update {
namespace {

using testing::Bytes;
using testing::FixedClock;
using testing::kSettingsKey;
using testing::MakeTime;
using testing::RecordedMessageBoxes;
using testing::RecordedShell;

const SYSTEMTIME kNow = MakeTime(2026, 12, 9, 12);

void StoreLastUpdate(double date) {
    Bytes bytes(sizeof(date));
    std::memcpy(bytes.data(), &date, sizeof(date));
    testing::SetRawValue(kSettingsKey, L"LastUpdate", REG_BINARY, bytes);
}

// Writes the data folder's version file as UTF-8 with a byte-order mark.
class VersionFile {
public:
    explicit VersionFile(const std::string& lines) {
        std::filesystem::create_directories(std::filesystem::path(settings::GetDataFolder()));
        std::ofstream file(path_, std::ios::binary);
        file << "\xEF\xBB\xBF" << lines;
    }
    ~VersionFile() { std::filesystem::remove(path_); }

private:
    std::filesystem::path path_{settings::GetDataFolder() + VersionFileName};
};

TEST(UpdateSchedule, DueAfterSixWholeDaysEitherWayAndNeverForACheckNotYetMade) {
    const FixedClock clock(kNow);
    const double now = settings::SystemTimeToOleDate(kNow);
    const std::pair<double, bool> cases[] = {
        {now - 5.9, false}, {now - 6.0, true}, {now + 6.0, true}, {now + 5.99, false}};
    for (const auto& [last, due] : cases) {
        StoreLastUpdate(last);
        EXPECT_EQ(IsUpdateCheckDue(), due) << now - last << " days";
    }
    testing::DeleteKeyTree(kSettingsKey);
    EXPECT_FALSE(IsUpdateCheckDue());
    EXPECT_TRUE(testing::ReadRawValue(kSettingsKey, L"LastUpdate").has_value())
        << "the first check's time is not stored";
    testing::DeleteKeyTree(kSettingsKey);
}

TEST(VersionNumber, StrictDecimalsWhateverTheLocale) {
    EXPECT_EQ(ParseDecimal(L"1.3"), 1.3);
    EXPECT_EQ(ParseDecimal(L" 1.30 "), 1.3);
    EXPECT_EQ(ParseDecimal(L"1.100"), 1.1);
    EXPECT_EQ(ParseDecimal(L"2"), 2.0);
    EXPECT_EQ(ParseDecimal(L"-0.5"), -0.5);
    EXPECT_EQ(ParseDecimal(L"+1.5E1"), 15.0);
    for (const wchar_t* wrong : {L"", L" ", L"1,5", L" 1.5\t", L"1.2.3", L".", L"1e", L"v1.3",
                                 L"1.3 beta", L"0x10", L"\u0661"})
        EXPECT_FALSE(ParseDecimal(wrong).has_value()) << std::wstring(wrong).size();
    EXPECT_EQ(VersionNumber(L"1,5"), 1.0);
    EXPECT_LT(VersionNumber(L"1.100"), VersionNumber(ProgramVersion));
}

TEST(UpdatePrompt, LinesJoinedByLfThenCrWithLineOneAsWrittenAndMissingOnesEmpty) {
    EXPECT_EQ(UpdatePromptText({L" 1.30 ", L"a", L"b", L"c", L"d", L"unused"}),
              L"На сайте доступна новая версия программы ( 1.30 )\n\ra\n\rb\n\rc\n\rd\n\r"
              L"Вы хотите обновить программу?");
    EXPECT_EQ(UpdatePromptText({L"2"}), L"На сайте доступна новая версия программы (2)\n\r\n\r\n\r"
                                        L"\n\r\n\rВы хотите обновить программу?");
}

TEST(UpdatePrompt, OnlyANewerVersionAsksOwnedByTheApplicationAndYesOpensTheInstaller) {
    {
        const VersionFile file("1.5\r\nl2\r\nl3\r\nl4\r\nl5\r\n");
        RecordedMessageBoxes boxes(IDYES);
        RecordedShell shell;
        DownLoaderTerminate(ui::AskYesNo);
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].owner, ui::Application::Get().Handle());
        EXPECT_EQ(boxes.calls[0].caption, L"Обновление");
        EXPECT_EQ(boxes.calls[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
        EXPECT_EQ(boxes.calls[0].text, UpdatePromptText({L"1.5", L"l2", L"l3", L"l4", L"l5"}));
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0].file, InstallerUrl);
    }
    {
        const VersionFile file("1.5\r\n");
        RecordedMessageBoxes boxes(IDNO);
        RecordedShell shell; // none may be opened
        DownLoaderTerminate(ui::AskYesNo);
        EXPECT_EQ(boxes.calls.size(), 1u);
        EXPECT_TRUE(shell.calls.empty());
    }
    for (const char* notNewer : {"1.25\r\n", "1.250", "1.100\r\n", "1,5\r\n", "", "\r\n"}) {
        const VersionFile file(notNewer);
        RecordedMessageBoxes boxes;
        DownLoaderTerminate(ui::AskYesNo);
        EXPECT_TRUE(boxes.calls.empty()) << notNewer;
    }
}

// Runs a check against `site` to `target` and serves the GUI thread until it has ended;
// false when it has not within 20 s.
bool RunCheck(TDownLoader& loader, const testing::LoopbackServer& site,
              const std::wstring& target) {
    loader.FURL = site.Url(L"/upd/updates.txt");
    loader.FToFolder = target;
    loader.Synchronize = ui::RunOnGuiThread;
    loader.Start();
    return testing::DispatchUntil(
        [&] { return ::WaitForSingleObject(loader.Thread(), 0) == WAIT_OBJECT_0; });
}

TEST(UpdateWorker, RecordsTheCheckFirstFetchesTheFileAndHandsTheEndToTheGuiThread) {
    testing::TempFolder folder;
    const std::string body = "2.0\r\n";
    testing::LoopbackServer site(
        {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body});
    testing::RecordedRegistryWrites writes;
    bool requestBeforeRecord = false;
    writes.onWrite = [&](const testing::RegistryWrite&) {
        requestBeforeRecord = site.Connections() > 0;
    };
    TDownLoader loader;
    DWORD handlerThread = 0;
    loader.OnTerminate = [&] { handlerThread = ::GetCurrentThreadId(); };
    ASSERT_TRUE(RunCheck(loader, site, folder.PathOf(L"sub\\updates.txt"))) << "no end";

    ASSERT_EQ(writes.Names(), std::vector<std::wstring>{L"LastUpdate"});
    EXPECT_FALSE(requestBeforeRecord) << "the check was recorded after the download began";
    EXPECT_EQ(handlerThread, ::GetCurrentThreadId()) << "the handler ran on the worker";
    const auto written = testing::ReadAll(folder.PathOf(L"sub\\updates.txt"));
    EXPECT_EQ(std::string(written.begin(), written.end()), body);
}

TEST(UpdateWorker, HandlerIsServedWhileAModalDialogIsOpen) {
    testing::TempFolder folder;
    const VersionFile file("9.0\r\n");
    testing::LoopbackServer site({"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"});
    dialogs::TFormUserAnswer dialog(nullptr, folder.Path() + L"\\");
    bool dialogOpenAtThePrompt = false;
    RecordedMessageBoxes boxes(IDNO);
    TDownLoader loader;
    loader.OnTerminate = [&] {
        dialogOpenAtThePrompt = ::IsWindowVisible(dialog.Handle()) != FALSE;
        DownLoaderTerminate(ui::AskYesNo);
        ::PostMessageW(dialog.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    loader.FURL = site.Url(L"/upd/updates.txt");
    loader.FToFolder = folder.PathOf(L"updates.txt");
    loader.Synchronize = ui::RunOnGuiThread;
    loader.Start();
    dialog.ShowModal(); // the check ends meanwhile
    ASSERT_EQ(::WaitForSingleObject(loader.Thread(), 20000), WAIT_OBJECT_0) << "no end";
    EXPECT_TRUE(dialogOpenAtThePrompt);
    EXPECT_EQ(boxes.calls.size(), 1u);
}

// What has happened by the time the tips dialog shows; the dialog is then closed.
struct AtTheTips {
    bool shown = false;
    std::size_t pagesOpened = 0;
    bool counted = false;
    std::optional<testing::RawValue> lastUpdate;
};
AtTheTips atTheTips;
const RecordedShell* shellOfTheSequence = nullptr;

TEST(StartUpSequence, WelcomePageThenTipsThenTheCheckAndLastTheCount) {
    testing::DeleteKeyTree(kSettingsKey);
    StoreLastUpdate(settings::CurrentDateTime() - 10); // a check is due
    testing::SetRawValue(kSettingsKey, L"ShowHelpStart", REG_DWORD, {1, 0, 0, 0});
    const auto lastCheck = testing::ReadRawValue(kSettingsKey, L"LastUpdate");
    RecordedShell shell;
    shellOfTheSequence = &shell;
    wizard::TMainForm form;
    form.Create();
    ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        const HWND tips = ::FindWindowW(L"TFormUserAnswer", nullptr);
        atTheTips = {tips != nullptr, shellOfTheSequence->calls.size(),
                     testing::ReadRawValue(kSettingsKey, L"CountRuns").has_value(),
                     testing::ReadRawValue(kSettingsKey, L"LastUpdate")};
        ::PostMessageW(tips, WM_KEYDOWN, VK_ESCAPE, 0);
    });

    form.TimerDialogsTimer(); // as the window's one-second timer runs it

    ASSERT_TRUE(atTheTips.shown);
    EXPECT_EQ(atTheTips.pagesOpened, 1u) << "the welcome page before the tips";
    EXPECT_EQ(shell.calls.at(0).file, WelcomeUrl);
    EXPECT_FALSE(atTheTips.counted) << "the run counted before the tips";
    EXPECT_EQ(atTheTips.lastUpdate->data, lastCheck->data) << "the check began before the tips";
    EXPECT_EQ(testing::ReadRawValue(kSettingsKey, L"CountRuns")->data, (Bytes{2, 0, 0, 0}));
    EXPECT_TRUE(testing::DispatchUntil([&] {
        return testing::ReadRawValue(kSettingsKey, L"LastUpdate")->data != lastCheck->data;
    })) << "no check after the tips";
    testing::DeleteKeyTree(kSettingsKey);
}

// A tips file of one line beside the program, whose picture is damaged; gone with the object.
class DamagedTipBesideTheProgram {
public:
    DamagedTipBesideTheProgram() {
        std::filesystem::create_directories(folder_ / L"Resourse" / L"Help");
        std::ofstream(folder_ / L"Answers.dat", std::ios::binary)
            << "\xEF\xBB\xBF"
            << "1 Совет с картинкой<IMAGE>damaged.png";
        std::ofstream(folder_ / L"Resourse" / L"Help" / L"damaged.png", std::ios::binary)
            << "\x89PNG\r\n\x1A\n cut off";
    }
    ~DamagedTipBesideTheProgram() {
        std::filesystem::remove(folder_ / L"Answers.dat");
        std::filesystem::remove_all(folder_ / L"Resourse");
    }

private:
    std::filesystem::path folder_ = std::filesystem::path(settings::ExecutablePath()).parent_path();
};

struct AtTheDamagedTip {
    std::size_t boxesBefore = 0;
    bool shown = false;
    std::size_t boxesAfterAnotherTip = 0;
    bool shownAfterAnotherTip = false;
};
AtTheDamagedTip atTheDamagedTip;
const RecordedMessageBoxes* boxesOfTheSequence = nullptr;

TEST(StartUpSequence, DamagedTipPictureIsReportedAndTheTipsTheCheckAndTheCountGoOn) {
    testing::DeleteKeyTree(kSettingsKey);
    StoreLastUpdate(settings::CurrentDateTime() - 10); // a check is due
    testing::SetRawValue(kSettingsKey, L"CountRuns", REG_DWORD, {5, 0, 0, 0});
    const auto lastCheck = testing::ReadRawValue(kSettingsKey, L"LastUpdate");
    const DamagedTipBesideTheProgram tips;
    RecordedShell shell;
    RecordedMessageBoxes boxes;
    boxesOfTheSequence = &boxes;
    wizard::TMainForm form;
    form.Create();
    ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        const HWND dialog = ::FindWindowW(L"TFormUserAnswer", nullptr);
        atTheDamagedTip.boxesBefore = boxesOfTheSequence->calls.size();
        atTheDamagedTip.shown = dialog && ::IsWindowVisible(dialog);
        // "Хочу еще!": the only tip again, its picture failing again.
        ::SendMessageW(dialog, WM_COMMAND,
                       MAKEWPARAM(dialogs::TFormUserAnswer::IdBtnOk, BN_CLICKED), 0);
        atTheDamagedTip.boxesAfterAnotherTip = boxesOfTheSequence->calls.size();
        atTheDamagedTip.shownAfterAnotherTip = ::IsWindowVisible(dialog) != FALSE;
        ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    });

    form.TimerDialogsTimer();

    ASSERT_GE(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text.rfind(L"Cannot read the picture", 0), 0u) << "no error shown";
    EXPECT_EQ(atTheDamagedTip.boxesBefore, 1u);
    EXPECT_TRUE(atTheDamagedTip.shown) << "the dialog did not open after the error";
    EXPECT_EQ(atTheDamagedTip.boxesAfterAnotherTip, 2u) << "\"Хочу еще!\" drew no tip";
    EXPECT_TRUE(atTheDamagedTip.shownAfterAnotherTip);
    EXPECT_EQ(testing::ReadRawValue(kSettingsKey, L"CountRuns")->data, (Bytes{6, 0, 0, 0}));
    EXPECT_TRUE(testing::DispatchUntil([&] {
        return testing::ReadRawValue(kSettingsKey, L"LastUpdate")->data != lastCheck->data;
    })) << "no check after the tips";
    testing::DeleteKeyTree(kSettingsKey);
}

TEST(StartUpSequence, CreatingTheWindowOnlyArmsTheSecondsTimerAndClosingItEndsThere) {
    testing::DeleteKeyTree(kSettingsKey);
    RecordedShell shell;
    {
        wizard::TMainForm form;
        const std::size_t armedBefore = testing::Time().Timers().size();
        form.Create();
        const auto timers = testing::Time().Timers();
        ASSERT_EQ(timers.size(), armedBefore + 1);
        EXPECT_EQ(timers.back().window, form.Handle());
        EXPECT_EQ(timers.back().id, UINT_PTR{wizard::TMainForm::IdTimerDialogs});
        EXPECT_EQ(timers.back().milliseconds, 1000u);
        ui::ProcessMessages(); // what creation queued
        EXPECT_TRUE(shell.calls.empty());
    }
    MSG quit; // the window's end asks the main loop to quit; no other test's loop
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_FALSE(testing::ReadRawValue(kSettingsKey, L"CountRuns").has_value());
    testing::DeleteKeyTree(kSettingsKey);
}

} // namespace
} // namespace vexlor::update
