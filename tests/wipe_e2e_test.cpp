// The whole way of a user through the real program: files chosen in the real open-file dialog,
// "Далее", and the finish page, with the files gone from the disk.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "process.h"
#include "registry_probe.h"
#include "temp_files.h"
#include "wizard/main_form.h"

namespace vexlor::testing {
namespace {

// Control ids of the open-file dialog (the common item dialog).
constexpr int kFileNameBox = 1152; // the file-name box (edt1)
constexpr int kFilterBox = 1136;   // the file types (cmb1)
constexpr int kReadOnlyBox = 1040; // "Open as read-only" (chx1), which it must not show

// The first descendant of `parent` of this class whose text or control id matches.
HWND FindDescendant(HWND parent, const wchar_t* className,
                    const std::function<bool(HWND)>& matches) {
    struct Search {
        const wchar_t* className;
        const std::function<bool(HWND)>& matches;
        HWND found = nullptr;
    } search{className, matches};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (_wcsicmp(name, s->className) == 0 && s->matches(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text a control holds, asked of the control itself: another process's edit box does not
// keep the system's copy of its window text up to date.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

HWND FindByText(HWND parent, const wchar_t* className, const std::wstring& text) {
    return FindDescendant(parent, className, [&](HWND w) { return TextOf(w) == text; });
}

// A shortcut at `link` to `target`, saved as the shell saves one.
void MakeShortcut(const std::wstring& link, const std::wstring& target) {
    const ComInitialized com;
    UniqueCom<IShellLinkW> shortcut;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_PPV_ARGS(shortcut.Put())));
    ASSERT_HRESULT_SUCCEEDED(shortcut->SetPath(target.c_str()));
    UniqueCom<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(shortcut->QueryInterface(IID_PPV_ARGS(file.Put())));
    ASSERT_HRESULT_SUCCEEDED(file->Save(link.c_str(), TRUE));
}

// How long a step may take before the program is taken for hung. Generous: under Wine the
// system's dialog checks every typed name by parsing its path, slowly on a busy machine and on
// a FUSE volume; a result never depends on it, only the end of a hung test.
constexpr DWORD kHung = 300000;

class WipeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { Start(L"\"" + VexlorExePath() + L"\""); }

    void Start(const std::wstring& commandLine) {
        program_ = std::make_unique<Process>(Process::Start(commandLine));
        main_ = WaitForWindow(program_->Id(), L"TMainForm", L"Vexlor", 30000);
        ASSERT_NE(main_, nullptr) << "the main window did not come up";
        CloseTheTipsOfTheStart();
    }

    // The tips come up a second after the start where the settings ask for them (on the
    // timer, so later on a busy machine), over whatever dialog the test has opened by then, and
    // nothing goes on until they are closed: waited for and closed first.
    void CloseTheTipsOfTheStart() {
        const auto shown = ReadRawValue(kSettingsKey, L"ShowHelpStart");
        if (shown && shown->data == Bytes{0, 0, 0, 0})
            return;
        HWND tips = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                return (tips = FindProcessWindow(program_->Id(), L"TFormUserAnswer", true)) !=
                       nullptr;
            },
            kHung))
            << "the tips did not come up";
        ::PostMessageW(tips, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(tips); }, kHung));
    }

    // A click as the button receives it; posted, since the program may open a modal window.
    void Click(const std::wstring& buttonText) {
        const HWND button = FindByText(main_, L"Button", buttonText);
        ASSERT_NE(button, nullptr) << "no button";
        ::PostMessageW(button, BM_CLICK, 0, 0);
    }

    bool TitleIs(const std::wstring& title) {
        return FindByText(main_, L"Static", title) != nullptr;
    }

    static HWND FileNameBox(HWND dialog) {
        return FindDescendant(dialog, L"Edit",
                              [](HWND w) { return ::GetDlgCtrlID(w) == kFileNameBox; });
    }

    static int ItemsShown(HWND dialog) {
        const HWND view = FindDescendant(dialog, L"SysListView32", [](HWND) { return true; });
        return view ? static_cast<int>(::SendMessageW(view, LVM_GETITEMCOUNT, 0, 0)) : -1;
    }

    // Types `text` into the dialog's file-name box and presses "Open".
    static void TypeAndOpen(HWND dialog, const std::wstring& text) {
        const HWND edit = FileNameBox(dialog);
        ASSERT_NE(edit, nullptr) << "no file-name box in the dialog";
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        const HWND open = ::GetDlgItem(dialog, IDOK);
        ASSERT_NE(open, nullptr);
        ::PostMessageW(open, BM_CLICK, 0, 0);
    }

    // "Добавить файлы" on the file page, then in the dialog: the folder, then the names.
    void AddFilesThroughTheDialog(const std::wstring& folder, int filesInFolder,
                                  const std::wstring& names) {
        Click(L"Добавить файлы");
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                dialog = FindProcessWindow(program_->Id(), L"#32770", true);
                return dialog != nullptr;
            },
            15000))
            << "the open-file dialog did not come up";
        // The dialog the user meets: resizable, no read-only box, the one filter.
        EXPECT_TRUE(::GetWindowLongPtrW(dialog, GWL_STYLE) & WS_THICKFRAME) << "not resizable";
        const HWND readOnlyBox = ::GetDlgItem(dialog, kReadOnlyBox);
        EXPECT_TRUE(!readOnlyBox || !::IsWindowVisible(readOnlyBox)) << "read-only box shown";
        const HWND filters = ::GetDlgItem(dialog, kFilterBox);
        EXPECT_EQ(::SendMessageW(filters, CB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(TextOf(filters), L"Все файлы");

        TypeAndOpen(dialog, folder);
        // There the list shows the folder's files.
        ASSERT_TRUE(WaitUntil([&] { return ItemsShown(dialog) == filesInFolder; }, kHung))
            << "the dialog did not go to the folder: it shows " << ItemsShown(dialog);
        TypeAndOpen(dialog, names);
        ASSERT_TRUE(
            WaitUntil([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, kHung))
            << "the dialog did not close";
    }

    std::vector<std::wstring> ListEntries() {
        const HWND list = FindDescendant(main_, L"ListBox", [](HWND) { return true; });
        std::vector<std::wstring> entries;
        for (int i = 0; i < ListCount(); ++i) {
            std::wstring text(MAX_PATH * 4, L'\0');
            DWORD_PTR length = 0;
            ::SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                                  SMTO_ABORTIFHUNG, 5000, &length);
            text.resize(length);
            entries.push_back(text);
        }
        return entries;
    }

    int ListCount() {
        const HWND list = FindDescendant(main_, L"ListBox", [](HWND) { return true; });
        return list ? static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)) : -1;
    }

    void CloseAndWaitForExit() {
        ::PostMessageW(main_, WM_CLOSE, 0, 0);
        EXPECT_EQ(program_->WaitForExit(30000), 0u);
    }

    TempFolder folder_;
    std::unique_ptr<Process> program_;
    HWND main_ = nullptr;
};

TEST_F(WipeEndToEnd, FilesChosenInTheDialogAreDestroyedAndTheFinishPageShows) {
    const std::wstring a = folder_.MakeFile(L"a.bin", 5000);
    const std::wstring b = folder_.MakeFile(L"b.bin", 3);
    const std::wstring kept = folder_.MakeFile(L"kept.bin", 10, 'k');

    Click(L"Далее");
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Выбор файлов"); }, 10000));
    AddFilesThroughTheDialog(folder_.Path(), 3, L"\"a.bin\" \"b.bin\"");
    ASSERT_TRUE(WaitUntil([&] { return ListCount() == 2; }, 10000))
        << "the list holds " << ListCount() << " entries";
    EXPECT_EQ(ListEntries(), (std::vector<std::wstring>{a, b}));

    Click(L"Далее");
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Операция завершена"); }, 30000))
        << "the finish page did not come";
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(ReadAll(kept), std::vector<char>(10, 'k'));
    CloseAndWaitForExit();
}

// As a drop does, the dialog hands over the shortcut itself: its target, which may lie
// anywhere, is not what the user chose to destroy. Wine's dialog follows no shortcut, asked
// or not: there FileList.DialogAsksForSeveralExistingFilesOfAnyType holds the option.
TEST_F(WipeEndToEnd, AShortcutChosenInTheDialogIsDestroyedItselfAndItsTargetKept) {
    TempFolder elsewhere;
    const std::string report = "the report the shortcut leads to";
    // A Latin name: under Wine a shortcut read back gives a Cyrillic target as question marks.
    const std::wstring target = elsewhere.MakeFileWith(L"report.txt", report);
    const std::wstring shortcut = folder_.PathOf(L"Отчёт.lnk");
    MakeShortcut(shortcut, target);
    ASSERT_TRUE(Exists(shortcut));

    Click(L"Далее");
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Выбор файлов"); }, 10000));
    AddFilesThroughTheDialog(folder_.Path(), 1, L"Отчёт.lnk");
    ASSERT_TRUE(WaitUntil([&] { return ListCount() == 1; }, 10000))
        << "the list holds " << ListCount() << " entries";
    EXPECT_EQ(ListEntries(), std::vector<std::wstring>{shortcut});

    Click(L"Далее");
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Операция завершена"); }, 30000))
        << "the finish page did not come";
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_EQ(ReadAll(target), std::vector<char>(report.begin(), report.end()));
    CloseAndWaitForExit();
}

TEST_F(WipeEndToEnd, AThousandNamesTypedAtOnceAreAllAdded) {
    // About 52,000 characters of names.
    constexpr int kCount = 1000;
    std::wstring names;
    for (int i = 0; i < kCount; ++i) {
        const std::wstring name =
            L"a file with a long name to fill the buffer " + std::to_wstring(1000 + i) + L".bin";
        folder_.MakeFile(name, 1);
        names += L"\"" + name + L"\" ";
    }

    Click(L"Далее");
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Выбор файлов"); }, 10000));
    AddFilesThroughTheDialog(folder_.Path(), kCount, names);
    // The system's dialog takes its time over so many names, the more so on a busy machine.
    ASSERT_TRUE(WaitUntil([&] { return ListCount() == kCount; }, 60000))
        << "the list holds " << ListCount() << " entries";
    CloseAndWaitForExit();
}

// The disk tier's way through the program (scripts/disk-tier.sh): the files it names, in a
// folder on a volume image it made, chosen in the dialog and destroyed as a user would, with no
// word from the program. Disabled in the test command's own run: the tier runs it.
std::wstring FromEnvironment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

std::wstring Widen(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                              static_cast<int>(wide.size()))));
    return wide;
}

// The names the tier chose, one per line of a UTF-8 file.
std::vector<std::wstring> ChosenNames(const std::wstring& listPath) {
    std::ifstream list(std::filesystem::path(listPath), std::ios::binary);
    std::vector<std::wstring> names;
    for (std::string line; std::getline(list, line);)
        if (!line.empty())
            names.push_back(Widen(line));
    return names;
}

TEST_F(WipeEndToEnd, DISABLED_DiskTierChosenFilesOfAFolderAreDestroyed) {
    const std::wstring folder = FromEnvironment(L"VEXLOR_DISK_TIER_FOLDER");
    const std::vector<std::wstring> names =
        ChosenNames(FromEnvironment(L"VEXLOR_DISK_TIER_CHOSEN"));
    const int filesInFolder = _wtoi(FromEnvironment(L"VEXLOR_DISK_TIER_FILES").c_str());
    ASSERT_FALSE(folder.empty() || names.empty()) << "the tier names no folder or files";
    std::wstring typed;
    for (const std::wstring& name : names)
        typed += L"\"" + name + L"\" ";

    Click(L"Далее");
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Выбор файлов"); }, 10000));
    AddFilesThroughTheDialog(folder, filesInFolder, typed);
    ASSERT_TRUE(WaitUntil([&] { return ListCount() == static_cast<int>(names.size()); }, kHung))
        << "the list holds " << ListCount() << " entries";

    Click(L"Далее");
    const auto box = [&] { return FindProcessWindow(program_->Id(), L"#32770", true); };
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Операция завершена") || box(); }, kHung))
        << "the run did not end";
    DWORD_PTR answered = 0; // the program is back in a message loop: any box is up by now
    ::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answered);
    if (const HWND shown = box())
        ADD_FAILURE() << "the program said: "
                      << TextOf(FindDescendant(shown, L"Static",
                                               [](HWND w) { return ::GetDlgCtrlID(w) == 0xFFFF; }));
    CloseAndWaitForExit();
}

// The disk tier's folder case: the program started as Explorer's verb starts it, with the
// folder the tier names, and "Далее" pressed; its files and folders go, with no word from it.
class WipeEndToEndFromExplorer : public WipeEndToEnd {
protected:
    void SetUp() override {
        const std::wstring folder = FromEnvironment(L"VEXLOR_DISK_TIER_FOLDER");
        ASSERT_FALSE(folder.empty()) << "the tier names no folder";
        Start(L"\"" + VexlorExePath() + L"\" /destroy \"" + folder + L"\"");
    }
};

TEST_F(WipeEndToEndFromExplorer, DISABLED_DiskTierFolderIsDestroyed) {
    const int files = _wtoi(FromEnvironment(L"VEXLOR_DISK_TIER_FILES").c_str());
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Выбор файлов") && ListCount() == files; }, kHung))
        << "the list holds " << ListCount() << " entries";

    Click(L"Далее");
    const auto box = [&] { return FindProcessWindow(program_->Id(), L"#32770", true); };
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Операция завершена") || box(); }, 300000))
        << "the run did not end";
    DWORD_PTR answered = 0; // the program is back in a message loop: any box is up by now
    ::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answered);
    EXPECT_EQ(box(), nullptr) << "the program had a word to say";
    CloseAndWaitForExit();
}

// The disk tier's free-space case (scripts/disk_tier.py): the volume of the folder it names
// cleaned as a user would, "Очистить свободное место…" from the menu, the folder chosen in the
// real dialog and the question answered "Да", with no other word from the program.
TEST_F(WipeEndToEnd, DISABLED_FreeSpaceTierVolumeIsCleanedThroughTheWindow) {
    const std::wstring folder = FromEnvironment(L"VEXLOR_DISK_TIER_FOLDER");
    ASSERT_FALSE(folder.empty()) << "the tier names no folder";
    ::PostMessageW(main_, WM_COMMAND, MAKEWPARAM(wizard::TMainForm::IdMenuFreeSpace, 0), 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (dialog = FindProcessWindow(program_->Id(), L"#32770", true)) != nullptr; },
        15000))
        << "the folder dialog did not come up";
    TypeAndOpen(dialog, folder);
    const auto question = [&]() -> HWND {
        const HWND box = FindProcessWindow(program_->Id(), L"#32770", true);
        return box && ::GetDlgItem(box, IDYES) ? box : nullptr;
    };
    ASSERT_TRUE(WaitUntil([&] { return question() != nullptr; }, 30000)) << "no question came";
    const std::wstring asked = TextOf(
        FindDescendant(question(), L"Static", [](HWND w) { return ::GetDlgCtrlID(w) == 0xFFFF; }));
    EXPECT_NE(asked.find(L"Очистить свободное место на диске"), std::wstring::npos) << asked;
    ::PostMessageW(::GetDlgItem(question(), IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return TitleIs(L"Операция завершена"); }, 600000))
        << "the cleaning did not end";
    EXPECT_NE(
        FindDescendant(main_, L"Static",
                       [](HWND w) { return TextOf(w).starts_with(L"Свободное место очищено"); }),
        nullptr)
        << "the finish page does not say what was overwritten";
    DWORD_PTR answered = 0;
    ::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answered);
    EXPECT_EQ(FindProcessWindow(program_->Id(), L"#32770", true), nullptr) << "a box is up";
    CloseAndWaitForExit();
}

} // namespace
} // namespace vexlor::testing
