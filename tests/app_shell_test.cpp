// Web links, application messages and the single-instance hand-over record.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/single_instance.h"
#include "base/product.h"
#include "fakes.h"
#include "temp_files.h"
#include "platform/web_pages.h"
#include "ui/app_message.h"
#include "ui/application.h"

namespace vexlor::app {
namespace {

using platform::OpenWebPage;
using platform::OpenWebPageQuoted;
using ui::ShowAppMessage;
using vexlor::testing::RecordedMessageBoxes;
using vexlor::testing::RecordedShell;
using vexlor::testing::TestWindow;

TEST(OpenWebPage, ShellSuccessStartsNoBrowser) {
    RecordedShell shell({33});
    OpenWebPage(L"http://vexlor.example/a.php");
    ASSERT_EQ(shell.calls.size(), 1u);
    const auto& call = shell.calls[0];
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.operation, L"open");
    EXPECT_EQ(call.file, L"http://vexlor.example/a.php");
    EXPECT_EQ(call.parameters, L"");
    EXPECT_EQ(call.directory, L"");
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

TEST(OpenWebPage, ShellFailureFallsBackToBrowserExactlyOnceNeverFromTheCurrentFolder) {
    // A program named like the browser in the current folder, as beside a project file the
    // program was started from.
    vexlor::testing::TempFolder folder;
    const std::wstring planted = folder.MakeFile(L"iexplore.exe", 10);
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(folder.Path().c_str());
    const std::wstring browser = platform::FallbackBrowserPath();
    ::SetCurrentDirectoryW(previous);
    ASSERT_FALSE(browser.empty()) << "this system registers no iexplore";
    EXPECT_NE(::_wcsicmp(browser.c_str(), planted.c_str()), 0);
    EXPECT_EQ(::_wcsicmp(browser.substr(browser.rfind(L'\\') + 1).c_str(), L"iexplore.exe"), 0);
    for (std::intptr_t failure : {0, 2, 31, 32}) {
        RecordedShell shell({failure}); // the fallback fails too: still no third call
        OpenWebPage(L"http://vexlor.example/b.php");
        ASSERT_EQ(shell.calls.size(), 2u) << "shell result " << failure;
        EXPECT_EQ(shell.calls[1].operation, L"open");
        EXPECT_EQ(shell.calls[1].file, browser) << "the browser by its full path";
        EXPECT_EQ(shell.calls[1].parameters, L"http://vexlor.example/b.php");
        EXPECT_EQ(shell.calls[1].owner, nullptr);
        EXPECT_EQ(shell.calls[1].show, SW_SHOWNORMAL);
    }
}

TEST(OpenWebPage, QuotedVariantHasNoFallback) {
    RecordedShell shell({2});
    OpenWebPageQuoted(SupportUrl);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, L"\"" + std::wstring(SupportUrl) + L"\"");
    EXPECT_EQ(shell.calls[0].operation, L"open");
    EXPECT_EQ(shell.calls[0].parameters, L"");
}

TEST(PageAddresses, ProductPagesShareOneHostAndHomeHasNoTrailingSlash) {
    const std::wstring home = SiteUrl;
    ASSERT_EQ(home.rfind(L"http://", 0), 0u);
    EXPECT_EQ(home.find(L'/', 7), std::wstring::npos) << "home page must have no path";
    EXPECT_EQ(std::wstring(SupportUrl), home + L"/support.php");
    EXPECT_EQ(std::wstring(SuggestUrl), home + L"/support.php");
    EXPECT_EQ(std::wstring(TutorialUrl), home + L"/tutorial.php");
    EXPECT_EQ(std::wstring(StartVideoUrl), home + L"/startvideo.php");
    EXPECT_EQ(std::wstring(WelcomeUrl), home + L"/welcome.php");
    EXPECT_EQ(std::wstring(InstallerUrl), home + L"/upd/vexlor.exe");
    EXPECT_EQ(std::wstring(UpdateFileUrl), home + L"/upd/updates.txt");
    EXPECT_EQ(std::wstring(SocialGroupUrl).rfind(L"https://vk.com/", 0), 0u);
}

class AppMessage : public ::testing::Test {
protected:
    void SetUp() override {
        ::ShowWindow(main_.Handle(), SW_SHOW);
        ui::Application::Get().SetMainWindow(main_.Handle());
    }
    void TearDown() override { ui::Application::Get().SetMainWindow(nullptr); }

    void Activate(HWND window) {
        ::ShowWindow(window, SW_SHOW);
        ::SetActiveWindow(window);
        ASSERT_EQ(::GetActiveWindow(), window);
    }

    TestWindow main_{L"Vexlor"};
};

TEST_F(AppMessage, OverMainWindowIsOwnedByApplicationWindow) {
    Activate(main_.Handle());
    RecordedMessageBoxes boxes(IDOK);
    EXPECT_EQ(ShowAppMessage(L"Текст", MB_ICONWARNING), IDOK);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].owner, ui::Application::Get().Handle());
    EXPECT_EQ(boxes.calls[0].caption, L"Vexlor");
    EXPECT_EQ(boxes.calls[0].text, L"Текст");
    EXPECT_EQ(boxes.calls[0].flags, 48u);
    EXPECT_FALSE(boxes.calls[0].othersEnabled) << "the main window stayed usable";
    EXPECT_TRUE(::IsWindowEnabled(main_.Handle()));
}

TEST_F(AppMessage, OverDialogIsOwnedByDialogAndTitledWithItsCaption) {
    TestWindow dialog(L"О программе...");
    Activate(dialog.Handle());
    RecordedMessageBoxes boxes(IDNO);
    EXPECT_EQ(ShowAppMessage(L"Вопрос", MB_YESNO | MB_ICONQUESTION), IDNO);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].owner, dialog.Handle());
    EXPECT_EQ(boxes.calls[0].caption, L"О программе...");
    EXPECT_EQ(boxes.calls[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST(HandOver, PathsAreEveryArgumentButTheSwitchAndAProjectFileJoinsOnlyWithIt) {
    const StartArguments verb =
        ParseStartArguments(L"\"C:\\P F\\v.exe\" \"D:\\My Files\\a.drvk\" /Destroy b.txt");
    EXPECT_TRUE(verb.toDestroy);
    EXPECT_EQ(verb.paths, (std::vector<std::wstring>{L"D:\\My Files\\a.drvk", L"b.txt"}));
    const StartArguments opened = ParseStartArguments(L"v.exe \"D:\\x\\plan.DRVK\"");
    EXPECT_FALSE(opened.toDestroy);
    EXPECT_EQ(HandOverTexts(opened), std::vector<std::wstring>{L"D:\\x\\plan.DRVK"});
    EXPECT_EQ(HandOverTexts(ParseStartArguments(L"v.exe /destroy")),
              std::vector<std::wstring>{L""});

    EXPECT_FALSE(JoinsTheList(L"D:\\x\\plan.DRVK", false));
    EXPECT_TRUE(JoinsTheList(L"D:\\x\\plan.DRVK", true));
    EXPECT_TRUE(JoinsTheList(L"D:\\x.drvk\\plan.txt", false));
    EXPECT_TRUE(JoinsTheList(L"D:\\x\\plan.drvk.txt", false));
    EXPECT_FALSE(JoinsTheList(L"", true)) << "an empty hand-over only calls the window forward";
}

TEST(HandOver, FirstArgumentLosesItsQuotes) {
    EXPECT_EQ(FirstArgument(L"\"C:\\Program Files\\v.exe\" \"D:\\My Files\\p.drvk\" more"),
              L"D:\\My Files\\p.drvk");
    EXPECT_EQ(FirstArgument(L"v.exe plain.drvk"), L"plain.drvk");
    EXPECT_EQ(FirstArgument(L"\"C:\\Program Files\\v.exe\""), L"");
}

TEST(HandOver, RecordCountsTerminatingNull) {
    const std::wstring text = L"D:\\p.drvk";
    const COPYDATASTRUCT record = MakeHandOverRecord(text);
    EXPECT_EQ(record.dwData, 0u);
    EXPECT_EQ(record.cbData, 2 * (text.size() + 1));
    EXPECT_EQ(static_cast<const wchar_t*>(record.lpData)[text.size()], L'\0');
    const std::wstring empty;
    EXPECT_EQ(MakeHandOverRecord(empty).cbData, 2u);
}

} // namespace
} // namespace vexlor::app
