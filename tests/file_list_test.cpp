// The file list on page 1 of the real main window: the open-file dialog, removal, clearing, and
// the buttons, menu item and hint that follow the list.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/start_arguments.h"
#include "fakes.h"
#include "platform/file_dialog.h"
#include "temp_files.h"
#include "ui/app_cursor.h"
#include "ui/controls.h"
#include "wizard/main_form.h"

namespace vexlor::wizard {
namespace {

using platform::ScopedSeam;

// Stands in for the dialog: keeps what it was asked for and answers with the next choice;
// nothing stands for a cancel.
class FakeOpenDialog {
public:
    std::vector<std::optional<std::vector<std::wstring>>> answers;
    std::vector<platform::OpenDialogRequest> shown;

private:
    ScopedSeam<platform::ShowOpenDialogSignature> seam_{
        platform::ShowOpenDialogApi, [this](const platform::OpenDialogRequest& request) {
            shown.push_back(request);
            return answers.size() < shown.size() ? std::nullopt : answers[shown.size() - 1];
        }};
};

class FileList : public ::testing::Test {
protected:
    void SetUp() override {
        form_.Create();
        form_.Show(SW_SHOWNOACTIVATE);
    }

    void Command(int id) { ::SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    void AddFiles(std::optional<std::vector<std::wstring>> choice) {
        dialog_.answers.push_back(std::move(choice));
        Command(TMainForm::IdBtnAddFiles);
    }

    std::vector<std::wstring> Entries() {
        std::vector<std::wstring> entries;
        const int count = static_cast<int>(::SendMessageW(form_.ListBoxFiles, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring text(::SendMessageW(form_.ListBoxFiles, LB_GETTEXTLEN, i, 0) + 1, L'\0');
            text.resize(::SendMessageW(form_.ListBoxFiles, LB_GETTEXT, i,
                                       reinterpret_cast<LPARAM>(text.data())));
            entries.push_back(text);
        }
        return entries;
    }

    // A press of `button` ("down" message) over entry `index`, and its release.
    void MouseOnEntry(UINT down, UINT up, int index) {
        RECT item{};
        ::SendMessageW(form_.ListBoxFiles, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        const LPARAM point = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
        ::SendMessageW(form_.ListBoxFiles, down, 0, point);
        ::SendMessageW(form_.ListBoxFiles, up, 0, point);
    }

    bool DeleteEnabled() { return ::IsWindowEnabled(form_.BtnDelete) != FALSE; }

    // Updates (b) to (e): clear button, menu item, "Далее" and the hint, all from the count.
    void ExpectListState(bool hasEntries) {
        EXPECT_EQ(::IsWindowEnabled(form_.BtnCleanFiles) != FALSE, hasEntries) << "BtnCleanFiles";
        const UINT menuState =
            ::GetMenuState(form_.MainMenu1, TMainForm::IdMenuClean, MF_BYCOMMAND);
        EXPECT_EQ((menuState & MF_GRAYED) == 0, hasEntries) << "MI_Clean";
        EXPECT_EQ(::IsWindowEnabled(form_.BtnNext) != FALSE, hasEntries) << "BtnNext";
        const bool hintShown =
            (::GetWindowLongPtrW(form_.PanelAddFilesHint, GWL_STYLE) & WS_VISIBLE) != 0;
        EXPECT_EQ(hintShown, !hasEntries) << "PanelAddFilesHint";
    }

    vexlor::testing::RecordedMessageBoxes boxes_; // none may come up
    FakeOpenDialog dialog_;
    TMainForm form_;
};

TEST_F(FileList, DialogAsksForSeveralExistingFilesOfAnyType) {
    form_.BtnNextClick();
    AddFiles(std::nullopt);
    ASSERT_EQ(dialog_.shown.size(), 1u);
    const platform::OpenDialogRequest& shown = dialog_.shown[0];
    EXPECT_EQ(shown.owner, form_.Handle());
    EXPECT_EQ(shown.filterName, L"Все файлы");
    EXPECT_EQ(shown.pattern, L"*.*");
    const DWORD required = FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST |
                           FOS_FORCEFILESYSTEM | FOS_DONTADDTORECENT | // not in Recent Items
                           FOS_NODEREFERENCELINKS; // a shortcut itself, not what it points to
    EXPECT_EQ(shown.options & required, required);
}

TEST_F(FileList, CancelFromTheMenuOnTheWelcomePageShowsFilePageAndStillUpdates) {
    ASSERT_EQ(form_.ActivePage(), PageWelcome);
    dialog_.answers.push_back(std::nullopt);
    Command(TMainForm::IdMenuAddFiles);
    EXPECT_EQ(dialog_.shown.size(), 1u);
    EXPECT_EQ(form_.ActivePage(), PageSelectFiles);
    EXPECT_EQ(ui::TextOf(form_.LabelHeaderHint), L"Выбор файлов");
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(DeleteEnabled());
    ExpectListState(false);
}

TEST_F(FileList, AddingAppendsInOrderKeepsDuplicatesAndLeavesTheDeleteButton) {
    form_.BtnNextClick();
    AddFiles(std::vector<std::wstring>{L"C:\\data\\b.txt", L"C:\\data\\a.txt"});
    AddFiles(std::vector<std::wstring>{L"D:\\other\\b.txt"});
    AddFiles(std::vector<std::wstring>{L"C:\\data\\b.txt"});
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"C:\\data\\b.txt", L"C:\\data\\a.txt",
                                                    L"D:\\other\\b.txt", L"C:\\data\\b.txt"}));
    EXPECT_FALSE(DeleteEnabled()) << "adding does not select";
    ExpectListState(true);

    MouseOnEntry(WM_LBUTTONDOWN, WM_LBUTTONUP, 1);
    ASSERT_TRUE(DeleteEnabled());
    AddFiles(std::nullopt); // a cancel, with the list not empty
    AddFiles(std::vector<std::wstring>{L"C:\\e.txt"});
    EXPECT_TRUE(DeleteEnabled()) << "adding leaves the delete button as it was";
    ExpectListState(true);
}

TEST_F(FileList, OnlyAMousePressOverTheListUpdatesTheDeleteButton) {
    form_.BtnNextClick();
    AddFiles(std::vector<std::wstring>{L"C:\\x\\1", L"C:\\x\\2", L"C:\\x\\3"});
    ::SetFocus(form_.ListBoxFiles);

    ::SendMessageW(form_.ListBoxFiles, WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageW(form_.ListBoxFiles, WM_KEYUP, VK_DOWN, 0);
    ASSERT_NE(::SendMessageW(form_.ListBoxFiles, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_FALSE(DeleteEnabled()) << "keyboard selection changed the delete button";

    // A right press does not select, but applies the update to the selection there is.
    MouseOnEntry(WM_RBUTTONDOWN, WM_RBUTTONUP, 2);
    EXPECT_TRUE(DeleteEnabled());

    ::SendMessageW(form_.ListBoxFiles, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_TRUE(DeleteEnabled()) << "only a press updates it";
    MouseOnEntry(WM_MBUTTONDOWN, WM_MBUTTONUP, 0);
    EXPECT_FALSE(DeleteEnabled());

    // The left press has selected the entry under the pointer by the time the handler runs.
    MouseOnEntry(WM_LBUTTONDOWN, WM_LBUTTONUP, 2);
    EXPECT_EQ(::SendMessageW(form_.ListBoxFiles, LB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(DeleteEnabled());
}

TEST_F(FileList, DeleteRemovesTheSelectedEntryOnly) {
    form_.BtnNextClick();
    AddFiles(std::vector<std::wstring>{L"C:\\x\\1", L"C:\\x\\2"});

    Command(TMainForm::IdBtnDelete); // nothing selected: nothing removed, updates all the same
    EXPECT_EQ(Entries().size(), 2u);

    MouseOnEntry(WM_LBUTTONDOWN, WM_LBUTTONUP, 0);
    Command(TMainForm::IdBtnDelete);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"C:\\x\\2"});
    EXPECT_FALSE(DeleteEnabled());
    ExpectListState(true);

    MouseOnEntry(WM_LBUTTONDOWN, WM_LBUTTONUP, 0);
    Command(TMainForm::IdBtnDelete);
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(DeleteEnabled());
    ExpectListState(false);
}

TEST_F(FileList, ClearEmptiesTheListOnAnyPage) {
    form_.BtnNextClick();
    AddFiles(std::vector<std::wstring>{L"C:\\x\\1", L"C:\\x\\2"});
    MouseOnEntry(WM_LBUTTONDOWN, WM_LBUTTONUP, 1);
    Command(TMainForm::IdBtnCleanFiles);
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(DeleteEnabled());
    ExpectListState(false);

    // From the menu on the welcome page, with the list already empty.
    TMainForm fresh;
    fresh.Create();
    ASSERT_TRUE(::IsWindowEnabled(fresh.BtnNext));
    ::SendMessageW(fresh.Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::IdMenuClean, 0), 0);
    EXPECT_EQ(fresh.ActivePage(), PageWelcome);
    EXPECT_FALSE(::IsWindowEnabled(fresh.BtnNext));
    EXPECT_FALSE(::IsWindowEnabled(fresh.BtnCleanFiles));
    EXPECT_NE(::GetMenuState(fresh.MainMenu1, TMainForm::IdMenuClean, MF_BYCOMMAND) & MF_GRAYED,
              0u);
}

TEST_F(FileList, AddingOnTheFinishPageStaysThereAndEnablesNext) {
    form_.BtnNextClick();
    form_.BtnNextClick(); // an empty run
    ASSERT_EQ(form_.ActivePage(), PageFinish);
    ASSERT_FALSE(::IsWindowEnabled(form_.BtnNext));
    AddFiles(std::vector<std::wstring>{L"C:\\x\\1"});
    EXPECT_EQ(form_.ActivePage(), PageFinish);
    ExpectListState(true);
}

TEST_F(FileList, ScrollRangeFollowsTheWidestEntry) {
    const auto extent = [this] {
        return static_cast<int>(::SendMessageW(form_.ListBoxFiles, LB_GETHORIZONTALEXTENT, 0, 0));
    };
    RECT client{};
    ::GetClientRect(form_.ListBoxFiles, &client);
    const std::wstring longPath = L"C:\\" + std::wstring(400, L'w') + L"\\x.bin";
    const std::wstring shortPath = L"C:\\a.bin";
    form_.BtnNextClick();

    AddFiles(std::vector<std::wstring>{shortPath});
    const int shortExtent = extent();
    AddFiles(std::vector<std::wstring>{longPath});
    EXPECT_GT(extent(), client.right) << "a long path must be reachable by scrolling";
    EXPECT_GT(extent(), 10 * shortExtent);

    ::SendMessageW(form_.ListBoxFiles, LB_SETCURSEL, 1, 0);
    Command(TMainForm::IdBtnDelete);
    EXPECT_EQ(extent(), shortExtent) << "the range shrinks with the widest entry gone";
    Command(TMainForm::IdMenuClean);
    EXPECT_EQ(extent(), 0);
}

TEST_F(FileList, TenThousandChosenAtOnceAreTheListThatOneByOneMakesWhileTheWindowAnswers) {
    std::vector<std::wstring> chosen;
    for (int i = 0; i < 10000; ++i)
        chosen.push_back(L"C:\\data\\" + std::wstring(i % 97, L'n') + std::to_wstring(i) + L".bin");
    form_.BtnNextClick();
    // Another program has asked the window for an answer, and a command waits its turn.
    std::atomic<bool> filling{false};
    std::atomic<bool> answeredWhileFilling{false};
    std::thread asker([&] {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(form_.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
        answeredWhileFilling = filling.load();
    });
    while (!(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE))
        ::SwitchToThread(); // until the question has arrived
    ::PostMessageW(form_.Handle(), WM_COMMAND, TMainForm::IdMenuClean, 0);
    filling = true;
    AddFiles(chosen);
    filling = false;
    asker.join();
    EXPECT_TRUE(answeredWhileFilling) << "the question waited for the whole list";
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, form_.Handle(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
        << "the command did not wait for the list to be filled";
    const std::vector<std::wstring> atOnce = Entries();
    const auto extentAtOnce = ::SendMessageW(form_.ListBoxFiles, LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_FALSE(ui::AppCursorIsWait()) << "the hourglass stayed on";

    // One at a time, as drops would bring them; hidden, so that it is not repainted each time.
    Command(TMainForm::IdMenuClean);
    form_.Show(SW_HIDE);
    for (const std::wstring& path : chosen)
        form_.AddFiles({path});
    form_.Show(SW_SHOWNOACTIVATE);
    EXPECT_EQ(Entries(), atOnce);
    EXPECT_EQ(atOnce, chosen);
    EXPECT_EQ(::SendMessageW(form_.ListBoxFiles, LB_GETHORIZONTALEXTENT, 0, 0), extentAtOnce);
    ExpectListState(true);
}

TEST_F(FileList, DroppedOrChosenFoldersJoinWithTheFilesOfAllTheirSubfolders) {
    vexlor::testing::TempFolder folder;
    const std::wstring a = folder.MakeFile(L"a.bin", 1);
    const std::wstring b = folder.MakeFile(L"b.bin", 1);
    const std::wstring inside = folder.PathOf(L"inside");
    ::CreateDirectoryW(inside.c_str(), nullptr);
    ::CreateDirectoryW((inside + L"\\deeper").c_str(), nullptr);
    ::CreateDirectoryW((inside + L"\\empty").c_str(), nullptr);
    const std::wstring deep = folder.MakeFile(L"inside\\deeper\\y.bin", 1);
    const std::wstring own = folder.MakeFile(L"inside\\x.bin", 1);

    vexlor::testing::SendDrop(form_.Handle(), {b, inside, a}); // on the welcome page
    EXPECT_EQ(form_.ActivePage(), PageSelectFiles);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{b, own, deep, a}));
    EXPECT_EQ(form_.Folders(), std::vector<std::wstring>{inside});
    ExpectListState(true);
    EXPECT_TRUE(boxes_.calls.empty());

    // "Добавить папку": the dialog in its folder mode; the same folder is noted once.
    dialog_.answers.push_back(std::vector<std::wstring>{inside + L"\\deeper", inside});
    Command(TMainForm::IdMenuAddFolder);
    ASSERT_EQ(dialog_.shown.size(), 1u);
    EXPECT_EQ(dialog_.shown[0].owner, form_.Handle());
    const DWORD required = FOS_PICKFOLDERS | FOS_ALLOWMULTISELECT | FOS_FORCEFILESYSTEM |
                           FOS_DONTADDTORECENT | FOS_NODEREFERENCELINKS;
    EXPECT_EQ(dialog_.shown[0].options & required, required);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{b, own, deep, a, deep, own, deep}));
    EXPECT_EQ(form_.Folders(), (std::vector<std::wstring>{inside, inside + L"\\deeper"}));
    Command(TMainForm::IdBtnCleanFiles);
    EXPECT_TRUE(form_.Folders().empty()) << "the folders go with the list";
}

// What other starts hand over joins the list once the window has dispatched it, a ".DRVK"
// project file only when it came with the verb's switch.
TEST_F(FileList, HandedOverPathsJoinButAProjectFileOpenedDoesNot) {
    const auto handOver = [this](const std::wstring& text, ULONG_PTR data) {
        COPYDATASTRUCT record{data, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                              const_cast<wchar_t*>(text.c_str())};
        EXPECT_EQ(::SendMessageW(form_.Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)),
                  TRUE);
    };
    handOver(L"C:\\x\\plan.DRVK", 0);
    handOver(L"", 0);
    handOver(L"C:\\x\\a.txt", 0);
    handOver(L"C:\\x\\chosen.drvk", HandOverToDestroy);
    EXPECT_TRUE(Entries().empty()) << "added before the window dispatched its messages";
    ASSERT_TRUE(vexlor::testing::DispatchUntil([this] { return !Entries().empty(); }));
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"C:\\x\\a.txt", L"C:\\x\\chosen.drvk"}));
    EXPECT_EQ(form_.ActivePage(), PageSelectFiles);
    ExpectListState(true);
}

TEST(ChosenItems, OnlyAnItemDirectlyInTheFolderIsTakenForOneOfItsFiles) {
    vexlor::testing::TempFolder folder;
    const std::wstring file = folder.MakeFile(L"a.bin", 1);
    const std::wstring sub = folder.PathOf(L"sub");
    ::CreateDirectoryW(sub.c_str(), nullptr);
    const std::wstring deeper = sub + L"\\b.bin";
    ::CloseHandle(::CreateFileW(deeper.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const auto list = [](const std::wstring& path) {
        PIDLIST_ABSOLUTE parsed = nullptr;
        EXPECT_EQ(::SHParseDisplayName(path.c_str(), nullptr, &parsed, 0, nullptr), S_OK) << path;
        return std::unique_ptr<ITEMIDLIST, decltype(&::CoTaskMemFree)>(parsed, &::CoTaskMemFree);
    };
    const auto parent = list(folder.Path());
    EXPECT_TRUE(platform::IsDirectChild(parent.get(), list(file).get()));
    EXPECT_TRUE(platform::IsDirectChild(parent.get(), list(sub).get()));
    EXPECT_FALSE(platform::IsDirectChild(parent.get(), list(deeper).get()));
    EXPECT_FALSE(platform::IsDirectChild(parent.get(), parent.get()));
    EXPECT_FALSE(platform::IsDirectChild(list(sub).get(), list(file).get()));
}

} // namespace
} // namespace vexlor::wizard
