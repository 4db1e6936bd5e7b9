// The program without a mouse: Enter on the focused button or link, the default button, where
// the focus goes after each page change, links reached by Tab, and the menu's access keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "base/product.h"
#include "dialogs/dlg_about.h"
#include "dialogs/dlg_answers.h"
#include "fakes.h"
#include "platform/accessibility.h"
#include "temp_files.h"
#include "ui/controls.h"
#include "ui/message_pump.h"
#include "wizard/main_form.h"

namespace vexlor::wizard {
namespace {

using vexlor::testing::RecordedShell;

// A key as the keyboard delivers it to the window with the focus, through the program's own
// message pump, where the dialog manager takes its turn.
void Press(WPARAM key) {
    const HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, key, 0);
    ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    // What the key posts in turn (a command, a page change) is dispatched in the turns after.
    for (int turn = 0; turn < 3; ++turn)
        ui::ProcessMessages();
}

// Presses Tab until `target` has the focus; false when a whole round has not reached it.
bool TabTo(HWND target) {
    for (int step = 0; step < 40 && ::GetFocus() != target; ++step)
        Press(VK_TAB);
    return ::GetFocus() == target;
}

// The main window's end asks the main loop to quit; that must not reach another test.
struct DropQuit {
    ~DropQuit() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
};

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        form_.Create();
        form_.Show(SW_SHOW);
        ::SetForegroundWindow(form_.Handle());
        ::SetActiveWindow(form_.Handle());
        // The window manager answers the activation in its own time.
        ASSERT_TRUE(vexlor::testing::DispatchUntil([this] {
            return ::GetForegroundWindow() == form_.Handle() && ::GetFocus() != nullptr;
        })) << "the window never came to the front";
    }

    DropQuit dropQuit_;
    vexlor::testing::RecordedMessageBoxes boxes_;
    TMainForm form_;
};

TEST_F(Keyboard, NextIsTheDefaultAndTheFocusFollowsEachPageChange) {
    EXPECT_EQ(::GetFocus(), form_.BtnNext) << "at start";
    EXPECT_EQ(::SendMessageW(form_.Handle(), DM_GETDEFID, 0, 0),
              MAKELRESULT(TMainForm::IdBtnNext, DC_HASDEFID));
    Press(VK_RETURN);
    EXPECT_EQ(form_.ActivePage(), PageSelectFiles) << "Enter on the welcome page";
    EXPECT_EQ(::GetFocus(), form_.BtnNext);
    ::SetFocus(form_.ListBoxFiles);
    Press(VK_RETURN); // the default button, from the list: a run over the empty list
    EXPECT_EQ(form_.ActivePage(), PageFinish);
    EXPECT_EQ(::GetFocus(), form_.BtnBack) << "on the finish page";
    EXPECT_EQ(::SendMessageW(form_.Handle(), DM_GETDEFID, 0, 0), 0) << "no default while disabled";
    Press(VK_RETURN); // "Назад", the focused button
    EXPECT_EQ(form_.ActivePage(), PageSelectFiles);
    EXPECT_EQ(::GetFocus(), form_.BtnNext);
}

// However the tips dialog over the window was closed, the focus is back on a control of the
// window, and Enter on the welcome page goes on.
TEST_F(Keyboard, EnterGoesOnFromTheWelcomePageAfterTheTipsDialogClosed) {
    testing::TempFolder folder;
    std::ofstream(std::filesystem::path(folder.PathOf(L"Answers.dat")), std::ios::binary)
        << "\xEF\xBB\xBF"
        << "0 Первый\r\n0 Второй\r\n";
    static dialogs::TFormUserAnswer* shown = nullptr;
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape ? "closed by Esc" : "closed by Enter on \"Закрыть\"");
        form_.BtnBackClick();
        ASSERT_EQ(form_.ActivePage(), PageWelcome);
        dialogs::TFormUserAnswer tips(form_.Handle(), folder.Path() + L"\\");
        shown = &tips;
        const auto closeByEnter = [](HWND, UINT, UINT_PTR timer, DWORD) {
            ::KillTimer(nullptr, timer);
            TabTo(shown->BtnCancel);
            Press(VK_RETURN);
        };
        const auto closeByEscape = [](HWND, UINT, UINT_PTR timer, DWORD) {
            ::KillTimer(nullptr, timer);
            Press(VK_ESCAPE);
        };
        ::SetTimer(nullptr, 0, 50, byEscape ? +closeByEscape : +closeByEnter);
        EXPECT_EQ(tips.ShowModal(), IDCANCEL);
        EXPECT_EQ(::GetFocus(), form_.BtnNext) << "the focus is not back where it was";
        Press(VK_RETURN);
        EXPECT_EQ(form_.ActivePage(), PageSelectFiles);
    }
}

TEST_F(Keyboard, TabReachesTheLinksAndEnterOrSpaceOpensThem) {
    RecordedShell shell({42});
    ASSERT_TRUE(TabTo(form_.sLabel11)) << "the video link is no tab stop";
    Press(VK_RETURN);
    Press(VK_SPACE);
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].file, StartVideoUrl);
    EXPECT_EQ(shell.calls[1].file, StartVideoUrl);
}

TEST(Links, TellScreenReadersTheyAreLinks) {
    // Wine reads no annotations back, so the request to the accessibility service is watched.
    std::vector<HWND> announced;
    platform::ScopedSeam<platform::AnnounceAsLinkSignature> seam(platform::AnnounceAsLinkApi,
                                                                 [&](HWND control) {
                                                                     announced.push_back(control);
                                                                     return true;
                                                                 });
    const DropQuit dropQuit;
    TMainForm form;
    form.Create();
    EXPECT_EQ(announced, (std::vector<HWND>{form.sLabel11, form.LabelAddFiles, form.sLabel5}));
}

TEST_F(Keyboard, AccessKeyOpensItsMenu) {
    static HMENU opened = nullptr;
    opened = nullptr;
    // Inside the menu's own loop: which drop-down is open, then close it.
    ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        if (const HWND popup = ::FindWindowW(L"#32768", nullptr))
            opened = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
        ::EndMenu();
    });
    ::SendMessageW(form_.Handle(), WM_SYSCOMMAND, SC_KEYMENU, L'с'); // Alt+С: "Справка"
    EXPECT_EQ(opened, ::GetSubMenu(form_.MainMenu1, 1));
}

} // namespace
} // namespace vexlor::wizard

namespace vexlor::dialogs {
namespace {

TEST(DialogKeyboard, EnterPressesTheFocusedButtonAndTheDefaultOneOtherwise) {
    testing::TempFolder folder;
    std::ofstream(std::filesystem::path(folder.PathOf(L"Answers.dat")), std::ios::binary)
        << "\xEF\xBB\xBF"
        << "0 Первый\r\n0 Второй\r\n0 Третий\r\n";
    TFormUserAnswer dialog(nullptr, folder.Path() + L"\\");
    static TFormUserAnswer* shown = nullptr;
    static std::wstring before, afterDefault, afterClose;
    shown = &dialog;
    ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        before = ui::TextOf(shown->LabelAnswer);
        wizard::Press(VK_RETURN); // the default, "Хочу еще!", which has the focus
        afterDefault = ui::TextOf(shown->LabelAnswer);
        wizard::TabTo(shown->BtnCancel);
        wizard::Press(VK_RETURN);                                  // "Закрыть"
        ::PostMessageW(shown->Handle(), WM_KEYDOWN, VK_ESCAPE, 0); // should it have stayed
    });
    EXPECT_EQ(dialog.ShowModal(), IDCANCEL) << "Enter on \"Закрыть\" did not close";
    EXPECT_NE(afterDefault, before) << "Enter on \"Хочу еще!\" drew no other tip";
    EXPECT_EQ(ui::TextOf(dialog.LabelAnswer), afterDefault) << "Enter on \"Закрыть\" drew a tip";
}

TEST(DialogKeyboard, TabReachesTheAboutDialogsLinksAndEnterOpensThem) {
    vexlor::testing::RecordedShell shell({42});
    TFormAbout about(nullptr);
    static TFormAbout* shown = nullptr;
    static bool reached = false;
    shown = &about;
    ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(::GetFocus(), shown->CloseButton) << "the default button has the focus";
        reached = wizard::TabTo(shown->SupportLabel);
        wizard::Press(VK_RETURN);
        wizard::Press(VK_ESCAPE);
    });
    about.ShowModal();
    EXPECT_TRUE(reached);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, L"\"" + std::wstring(SupportUrl) + L"\"");
}

} // namespace
} // namespace vexlor::dialogs
