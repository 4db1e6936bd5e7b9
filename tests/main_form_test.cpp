// The main window as a user meets it: its frame, pages, texts, navigation and menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "base/product.h"
#include "fakes.h"
#include "platform/web_pages.h"
#include "ui/controls.h"
#include "ui/label_layout.h"
#include "wizard/main_form.h"
#include "wizard/main_form_layout.h"

namespace vexlor::wizard {
namespace {

using vexlor::testing::RecordedMessageBoxes;
using vexlor::testing::RecordedShell;

RECT RectInParent(HWND control) {
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class MainForm : public ::testing::Test {
protected:
    void SetUp() override {
        form_.Create();
        form_.Show(SW_SHOWNOACTIVATE);
    }

    void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }
    void Command(int id) { ::SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Page, Back enabled, Next enabled and title, as the user sees them.
    void ExpectState(int page, bool back, bool next, const std::wstring& title) {
        EXPECT_EQ(form_.ActivePage(), page);
        const HWND pages[] = {form_.TabWelcome, form_.TabSelectFiles, form_.TabProgress,
                              form_.TabFinish};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(::IsWindowVisible(pages[i]) != FALSE, i == page) << "page " << i;
        EXPECT_EQ(::IsWindowEnabled(form_.BtnBack) != FALSE, back) << "Назад";
        EXPECT_EQ(::IsWindowEnabled(form_.BtnNext) != FALSE, next) << "Далее";
        EXPECT_EQ(ui::TextOf(form_.LabelHeaderHint), title);
        EXPECT_EQ(ui::TextOf(form_.BtnNext), L"Далее");
    }

    RecordedMessageBoxes boxes_; // no message may come up unless a test expects it
    TMainForm form_;
};

TEST_F(MainForm, FrameMatchesTheProgramsWindow) {
    wchar_t className[64] = {};
    ::GetClassNameW(form_.Handle(), className, 64);
    EXPECT_STREQ(className, L"TMainForm");
    EXPECT_EQ(ui::TextOf(form_.Handle()), L"Vexlor");

    RECT client;
    ::GetClientRect(form_.Handle(), &client);
    EXPECT_EQ(client.right, ui::ScaleAt(ui::ScreenDpi(), 694));
    EXPECT_EQ(client.bottom, ui::ScaleAt(ui::ScreenDpi(), 492));

    const LONG_PTR style = ::GetWindowLongPtrW(form_.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);

    MINMAXINFO limits{};
    ::SendMessageW(form_.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, ui::ScaleAt(ui::ScreenDpi(), 710));
    EXPECT_EQ(limits.ptMinTrackSize.y, ui::ScaleAt(ui::ScreenDpi(), 550));

    // The title bar's icon is the icon's own small image, not the large one shrunk.
    ICONINFO small{};
    ASSERT_TRUE(::GetIconInfo(
        reinterpret_cast<HICON>(::GetClassLongPtrW(form_.Handle(), GCLP_HICONSM)), &small));
    BITMAP image{};
    ::GetObjectW(small.hbmColor, sizeof(image), &image);
    EXPECT_EQ(image.bmWidth, ::GetSystemMetrics(SM_CXSMICON));
    ::DeleteObject(small.hbmColor);
    ::DeleteObject(small.hbmMask);

    RECT frame;
    ::GetWindowRect(form_.Handle(), &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(MainForm, StartsOnWelcomePage) {
    ExpectState(PageWelcome, false, true, L"Приветствие");
    EXPECT_EQ(::GetMenuState(form_.MainMenu1, TMainForm::IdMenuClean, MF_BYCOMMAND) & MF_GRAYED,
              0u);
}

TEST_F(MainForm, ButtonsWalkThroughTheStateTable) {
    Click(form_.BtnNext);
    ExpectState(PageSelectFiles, true, true, L"Выбор файлов");
    Click(form_.BtnBack);
    ExpectState(PageWelcome, false, true, L"Приветствие");
    Click(form_.BtnNext);
    Click(form_.BtnNext); // an empty list: straight through to the finish page, no message
    ExpectState(PageFinish, true, false, L"Операция завершена");
    EXPECT_TRUE(boxes_.calls.empty());
    Click(form_.BtnBack);
    ExpectState(PageSelectFiles, true, true, L"Выбор файлов");
}

TEST_F(MainForm, ReturnLinkKeepsNextDisabled) {
    Click(form_.BtnNext);
    Click(form_.BtnNext);
    ASSERT_EQ(form_.ActivePage(), PageFinish);
    Command(TMainForm::IdLabel5);
    ExpectState(PageSelectFiles, true, false, L"Выбор файлов");
}

TEST_F(MainForm, NextOnFinishPageDoesNothing) {
    Click(form_.BtnNext);
    Click(form_.BtnNext);
    form_.BtnNextClick(); // the button is disabled; the handler itself must not move either
    ExpectState(PageFinish, true, false, L"Операция завершена");
}

TEST_F(MainForm, PagesShowTheirTextsWhereTheyBelong) {
    const struct {
        HWND control;
        const wchar_t* text;
        int x, y;
    } expected[] = {
        {form_.sLabel6, L"Приветствуем Вас в Vexlor файлов.", 16, 6},
        {form_.sLabel7,
         L"Для того, чтобы продолжить, нажмите кнопку \"Далее\" и выберите файлы для удаления.", 16,
         28},
        {form_.sLabel8, L"ВАЖНО:", 16, 50},
        {form_.sLabel9, L"выбранные файлы после завершения операции не удастся восстановить!", 76,
         50},
        {form_.sLabel10, L"Перед началом работы Вы можете", 16, 72},
        {form_.sLabel11, L"посмотреть обучающее видео", 228, 72},
        {form_.sPanel1, L"", 55, 182},
        {form_.Image3, L"", 71, 32},
        {form_.sLabel2, L"Пожалуйста, подождите...", 224, 216},
        {form_.Image2, L"", 224, 82},
        {form_.sLabel4, L"Операция завершена.", 224, 273},
        {form_.sLabel5, L"Вернуться на первый шаг", 224, 298},
        {form_.Image1, L"", 224, 3},
        {form_.sLabel1, L"Для продолжения работы", 40, 8},
        {form_.LabelAddFiles, L"добавьте файлы", 64, 30},
        {form_.PanelAddFilesHint, L"", 224, 136},
    };
    // The welcome card's labels stand where its layout puts them for the font in use: at their
    // planned places, or moved so that none is cut off or overlaps another.
    const ui::LabelLayout card =
        ui::LayOutLabels(WelcomeCardPlan(), ui::ScaleAt(ui::ScreenDpi(), WelcomeCardWidth),
                         ui::ScaleAt(ui::ScreenDpi(), 96), ui::MeasureWithFont);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& item = expected[i];
        EXPECT_EQ(ui::TextOf(item.control), item.text);
        const RECT rect = RectInParent(item.control);
        const POINT place = i < card.boxes.size() ? POINT{card.boxes[i].left, card.boxes[i].top}
                                                  : POINT{ui::ScaleAt(ui::ScreenDpi(), item.x),
                                                          ui::ScaleAt(ui::ScreenDpi(), item.y)};
        EXPECT_EQ(rect.left, place.x) << "x of " << ::testing::PrintToString(item.text);
        EXPECT_EQ(rect.top, place.y) << "y of " << ::testing::PrintToString(item.text);
        EXPECT_GE(rect.left, ui::ScaleAt(ui::ScreenDpi(), item.x));
        EXPECT_GE(rect.top, ui::ScaleAt(ui::ScreenDpi(), item.y));
    }
    EXPECT_EQ(ui::TextOf(form_.sLabel3),
              L"Идет процесс удаления файлов, не выключайте компьютер и убедитесь, что файлы не "
              L"синхронизированы в облачных сервисах...");
    EXPECT_EQ(ui::TextOf(form_.BtnBack), L"Назад");
    // Caption-less buttons are named by their hint, for screen readers.
    EXPECT_EQ(form_.Hints->TextFor(form_.BtnAddFiles), L"Добавить файлы");
    EXPECT_EQ(form_.Hints->TextFor(form_.BtnAddFolder),
              L"Добавить папку со всеми вложенными папками");
    EXPECT_EQ(ui::TextOf(form_.BtnAddFolder), form_.Hints->TextFor(form_.BtnAddFolder));
    EXPECT_EQ(form_.Hints->TextFor(form_.BtnDelete), L"Удалить выделенный файл из списка");
    EXPECT_EQ(form_.Hints->TextFor(form_.BtnCleanFiles), L"Очистить список");
    EXPECT_EQ(ui::TextOf(form_.BtnDelete), L"Удалить выделенный файл из списка");
}

TEST_F(MainForm, BandsAndButtonsKeepTheirPlaceWhenResized) {
    ::SetWindowPos(form_.Handle(), nullptr, 0, 0, ui::ScaleAt(ui::ScreenDpi(), 900),
                   ui::ScaleAt(ui::ScreenDpi(), 700), SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    ::GetClientRect(form_.Handle(), &client);
    const RECT next = RectInParent(form_.BtnNext);
    const RECT back = RectInParent(form_.BtnBack);
    EXPECT_EQ(next.right, client.right - ui::ScaleAt(ui::ScreenDpi(), 5));
    EXPECT_EQ(back.right, next.left - ui::ScaleAt(ui::ScreenDpi(), 5));
    EXPECT_EQ(next.bottom - next.top, ui::ScaleAt(ui::ScreenDpi(), 37));
    EXPECT_EQ(RectInParent(form_.sPanel2).bottom, client.bottom);
    EXPECT_EQ(RectInParent(form_.PanelHearer).bottom, ui::ScaleAt(ui::ScreenDpi(), 41));
    EXPECT_EQ(RectInParent(form_.PanelAddFilesHint).left, ui::ScaleAt(ui::ScreenDpi(), 224));
}

// An item's caption as the user reads it, and its access key (the letter after the "&").
std::wstring MenuText(HMENU menu, int position, wchar_t* key = nullptr) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    std::wstring shown = text;
    const std::size_t marker = shown.find(L'&');
    if (key)
        *key = marker == std::wstring::npos ? 0 : shown[marker + 1];
    if (marker != std::wstring::npos)
        shown.erase(marker, 1);
    return shown;
}

TEST_F(MainForm, MenuHasEveryItemInOrder) {
    const HMENU menu = form_.MainMenu1;
    ASSERT_EQ(::GetMenuItemCount(menu), 2);
    EXPECT_EQ(MenuText(menu, 0), L"Файл");
    EXPECT_EQ(MenuText(menu, 1), L"Справка");
    const std::vector<std::wstring> file = {
        L"Добавить файлы", L"Добавить папку", L"Очистить список", L"Очистить свободное место…", L"",
        L"Выход"};
    const std::vector<std::wstring> help = {
        L"Справка",          L"", L"Сайт программы",        L"Предложить новую функцию",
        L"Группа вконтакте", L"", L"Техническая поддержка", L"",
        L"О программе"};
    const HMENU fileMenu = ::GetSubMenu(menu, 0);
    const HMENU helpMenu = ::GetSubMenu(menu, 1);
    ASSERT_EQ(::GetMenuItemCount(fileMenu), static_cast<int>(file.size()));
    ASSERT_EQ(::GetMenuItemCount(helpMenu), static_cast<int>(help.size()));
    // Each caption with an access key of its own within its menu.
    for (const auto& [popup, captions] : {std::pair{fileMenu, file}, std::pair{helpMenu, help}}) {
        std::wstring keys;
        for (size_t i = 0; i < captions.size(); ++i) {
            wchar_t key = 0;
            EXPECT_EQ(MenuText(popup, static_cast<int>(i), &key), captions[i]);
            if (captions[i].empty())
                continue;
            ASSERT_NE(key, 0) << "no access key";
            EXPECT_EQ(keys.find(static_cast<wchar_t>(::towupper(key))), std::wstring::npos);
            keys += static_cast<wchar_t>(::towupper(key));
        }
    }
}

TEST_F(MainForm, MenuItemsAndVideoLinkOpenTheirPages) {
    const struct {
        int command;
        const wchar_t* url;
    } links[] = {
        {TMainForm::IdMenuHelp, TutorialUrl},   {TMainForm::IdMenuSite, SiteUrl},
        {TMainForm::IdMenuSuggest, SuggestUrl}, {TMainForm::IdMenuSocial, SocialGroupUrl},
        {TMainForm::IdMenuSupport, SupportUrl}, {TMainForm::IdLabel11, StartVideoUrl},
    };
    for (const auto& link : links) {
        RecordedShell shell({42});
        Command(link.command);
        ASSERT_EQ(shell.calls.size(), 1u) << "command " << link.command;
        EXPECT_EQ(shell.calls[0].file, link.url);
    }
}

TEST_F(MainForm, ExitClosesTheWindow) {
    Command(TMainForm::IdMenuExit);
    EXPECT_EQ(form_.Handle(), nullptr);
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
} // namespace vexlor::wizard
