// The tips dialog and the About dialog as real windows: their keyboard, their modal run, what
// they write and what they open.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "base/product.h"
#include "dialogs/dlg_about.h"
#include "dialogs/dlg_answers.h"
#include "fakes.h"
#include "registry_probe.h"
#include "temp_files.h"
#include "ui/controls.h"
#include "ui/message_pump.h"
#include "wizard/main_form.h"

namespace vexlor::dialogs {
namespace {

using vexlor::testing::RecordedMessageBoxes;
using vexlor::testing::RecordedRegistryWrites;
using vexlor::testing::RecordedShell;
using vexlor::testing::TempFolder;
using vexlor::testing::TestWindow;

// A program folder of the test's own with a tips file of these lines.
class TipsFolder {
public:
    explicit TipsFolder(const std::string& utf8Lines) {
        std::ofstream file(std::filesystem::path(folder_.PathOf(L"Answers.dat")), std::ios::binary);
        file << "\xEF\xBB\xBF" << utf8Lines;
    }
    std::wstring Path() const { return folder_.Path() + L"\\"; }

private:
    TempFolder folder_;
};

bool Visible(HWND window) {
    return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT InParent(HWND control) {
    RECT box;
    ::GetWindowRect(control, &box);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// Runs `during` from inside the next modal run, once it has started.
void DuringModalRun(std::function<void()> during) {
    static std::function<void()> pending;
    pending = std::move(during);
    ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        ::KillTimer(nullptr, timer);
        const auto run = std::move(pending);
        run();
    });
}

void PressKey(HWND window, WPARAM key) {
    ::PostMessageW(window, WM_KEYDOWN, key, 0);
    ::PostMessageW(window, WM_KEYUP, key, 0);
}

TEST(TipsDialog, EnterDrawsAnotherTipEscEndsTheRunAndTheOwnerComesBack) {
    const TipsFolder folder("0 Первый совет\r\n0 Второй совет\r\n");
    const TestWindow owner(L"Owner");
    TFormUserAnswer dialog(owner.Handle(), folder.Path());
    const std::wstring first = ui::TextOf(dialog.LabelAnswer);
    bool ownerDisabled = false;
    DuringModalRun([&] {
        ownerDisabled = !::IsWindowEnabled(owner.Handle());
        ::PostQuitMessage(7); // a quit during the run does not end it, and waits for the main loop
        DuringModalRun([&] {
            PressKey(dialog.Handle(), VK_RETURN); // "Хочу еще!": the other tip, and no end
            PressKey(dialog.Handle(), VK_ESCAPE);
        });
    });

    EXPECT_EQ(dialog.ShowModal(), IDCANCEL);

    EXPECT_NE(ui::TextOf(dialog.LabelAnswer), first);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.Handle())) << "the owner stays disabled";
    EXPECT_FALSE(Visible(dialog.Handle()));
    EXPECT_TRUE(ui::QuitPending()) << "the quit request was lost";
}

TEST(TipsDialog, TickingWritesShowHelpStartOffAndUntickingWritesNothing) {
    const TipsFolder folder("0 Совет\r\n");
    TFormUserAnswer dialog(nullptr, folder.Path());
    ::ShowWindow(dialog.Handle(), SW_SHOWNOACTIVATE);
    RecordedRegistryWrites writes;
    ::SendMessageW(dialog.CheckBoxNotShowThis, BM_CLICK, 0, 0);
    ASSERT_EQ(writes.Names(), std::vector<std::wstring>{L"ShowHelpStart"});
    EXPECT_EQ(writes.writes[0].type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(writes.writes[0].data, (testing::Bytes{0, 0, 0, 0}));
    ::SendMessageW(dialog.CheckBoxNotShowThis, BM_CLICK, 0, 0);
    EXPECT_EQ(writes.writes.size(), 1u) << "unticking wrote something";
}

TEST(TipsDialog, PictureShowsAboveTheTextAndWithoutOneTheTextMovesUp) {
    const TipsFolder folder("1 С картинкой<IMAGE>none.png\r\n0 Без картинки\r\n");
    TFormUserAnswer dialog(nullptr, folder.Path());
    for (int i = 0; i < 2; ++i) {
        const bool picture = dialog.LastLoad == 0;
        SCOPED_TRACE(ui::TextOf(dialog.LabelAnswer));
        EXPECT_EQ(ui::TextOf(dialog.LabelAnswer), picture ? L"С картинкой" : L"Без картинки");
        EXPECT_EQ(Visible(dialog.ImageInfo), picture);
        const RECT text = InParent(dialog.LabelAnswer);
        const RECT image = InParent(dialog.ImageInfo);
        EXPECT_EQ(text.top > image.top, picture)
            << "the text stands under the picture, or in its place";
        dialog.BtnOkClick();
    }
}

TEST(TipsDialog, NoTipsFileOpensWithoutATipAndClosesAsUsual) {
    TempFolder empty;
    RecordedMessageBoxes boxes;
    TFormUserAnswer dialog(nullptr, empty.Path() + L"\\");
    EXPECT_TRUE(dialog.Answers.empty());
    EXPECT_EQ(ui::TextOf(dialog.LabelAnswer), L"");
    dialog.BtnOkClick();
    DuringModalRun([&] { PressKey(dialog.Handle(), VK_ESCAPE); });
    EXPECT_EQ(dialog.ShowModal(), IDCANCEL);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(AboutDialog, ShowsTheVersionAndOpensItsLinksQuotedWithoutAFallback) {
    TFormAbout about(nullptr);
    EXPECT_EQ(ui::TextOf(about.VersionLabel), std::wstring(L"Версия программы: ") + ProgramVersion);
    EXPECT_EQ(ui::TextOf(about.ProgrammLabel), L"Vexlor");
    EXPECT_EQ(ui::TextOf(about.CloseButton), L"Закрыть");
    EXPECT_FALSE(ui::TextOf(about.AuthorLabel).empty());

    RecordedShell shell({2}); // the shell cannot open it
    ::SendMessageW(about.Image32, WM_COMMAND, MAKEWPARAM(TFormAbout::IdSupportLabel, STN_CLICKED),
                   reinterpret_cast<LPARAM>(about.SupportLabel));
    ASSERT_EQ(shell.calls.size(), 1u) << "no browser started after a failure";
    EXPECT_EQ(shell.calls[0].file, std::wstring(L"\"") + SupportUrl + L"\"");
    EXPECT_EQ(shell.calls[0].operation, L"open");
    EXPECT_TRUE(::IsWindow(about.Handle())) << "the dialog stays open";
}

TEST(AboutDialog, EachOpeningFromTheMenuIsANewDialogGoneWhenClosed) {
    wizard::TMainForm form;
    form.Create();
    ::KillTimer(form.Handle(), wizard::TMainForm::IdTimerDialogs); // no start-up dialogs here
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        HWND dialog = nullptr;
        HWND owner = nullptr;
        DuringModalRun([&] {
            dialog = ::FindWindowW(L"TFormAbout", L"О программе...");
            owner = ::GetWindow(dialog, GW_OWNER);
            PressKey(dialog, key);
        });
        form.MainItemAboutClick();
        EXPECT_EQ(owner, form.Handle());
        EXPECT_FALSE(::IsWindow(dialog)) << "the dialog outlived its closing";
        EXPECT_TRUE(::IsWindowEnabled(form.Handle()));
    }
}

} // namespace
} // namespace vexlor::dialogs
