// A second start hands its argument to the running instance and ends; the test plays the
// running instance with a window of the main window's class and caption.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "base/handles.h"
#include "base/product.h"
#include "process.h"
#include "temp_files.h"

namespace vexlor::testing {
namespace {

struct HandOver {
    ULONG_PTR data;
    DWORD size;
    std::wstring text;
};
std::vector<HandOver> received;

LRESULT CALLBACK RunningInstanceProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const auto* text = static_cast<const wchar_t*>(record->lpData);
        received.push_back({record->dwData, record->cbData,
                            std::wstring(text, record->cbData / sizeof(wchar_t) - 1)});
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override { received.clear(); }
    void TearDown() override {
        if (window_)
            ::DestroyWindow(window_);
    }

    // Holds the mutex and shows the window a second start looks for.
    void PlayRunningInstance(bool withWindow) {
        mutex_.Reset(::CreateMutexW(nullptr, TRUE, app::SingleInstanceMutexName));
        ASSERT_TRUE(mutex_);
        ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS))
            << "another Vexlor is running in this prefix";
        if (!withWindow)
            return;
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.lpfnWndProc = &RunningInstanceProcedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = MainWindowClassName;
        ::RegisterClassExW(&windowClass);
        window_ = ::CreateWindowExW(0, MainWindowClassName, L"Vexlor", WS_OVERLAPPEDWINDOW, 0, 0,
                                    200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        // As the program does once its window takes hand-overs.
        ready_.Reset(::CreateEventW(nullptr, TRUE, FALSE, app::WindowReadyEventName));
        ::SetEvent(ready_.Get());
    }

    // Runs a second start to its end; `showedWindow` tells whether it ever showed a window.
    DWORD RunSecondStart(const std::wstring& arguments, bool* showedWindow = nullptr) {
        std::wstring line = L"\"" + VexlorExePath() + L"\"";
        if (!arguments.empty())
            line += L" " + arguments;
        Process second = Process::Start(line);
        bool showed = false;
        const DWORD code = second.WaitForExit(30000, &showed);
        if (showedWindow)
            *showedWindow = showed;
        return code;
    }

    UniqueHandleNull mutex_;
    UniqueHandleNull ready_;
    HWND window_ = nullptr;
};

TEST_F(SingleInstance, SecondStartHandsOverEveryArgumentUnquotedOneRecordEachAndEnds) {
    PlayRunningInstance(true);
    bool showedWindow = false;
    EXPECT_EQ(RunSecondStart(L"\"C:\\My Projects\\plan one.drvk\" second", &showedWindow), 0u);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].data, 0u);
    EXPECT_EQ(received[0].text, L"C:\\My Projects\\plan one.drvk");
    EXPECT_EQ(received[0].size, 2 * (received[0].text.size() + 1));
    EXPECT_EQ(received[1].data, 0u);
    EXPECT_EQ(received[1].text, L"second");
    EXPECT_FALSE(showedWindow) << "the second start showed a window";

    // As Explorer's verb and "Send to" start it: the switch marks every record, and is none.
    received.clear();
    EXPECT_EQ(RunSecondStart(L"/DESTROY \"C:\\a b\\x.drvk\" C:\\y.txt"), 0u);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].text, L"C:\\a b\\x.drvk");
    EXPECT_EQ(received[1].text, L"C:\\y.txt");
    EXPECT_EQ(received[0].data, HandOverToDestroy);
    EXPECT_EQ(received[1].data, HandOverToDestroy);
}

TEST_F(SingleInstance, SecondStartWithoutArgumentSendsEmptyText) {
    PlayRunningInstance(true);
    EXPECT_EQ(RunSecondStart(L""), 0u);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data, 0u);
    EXPECT_EQ(received[0].size, 2u);
    EXPECT_EQ(received[0].text, L"");
}

TEST_F(SingleInstance, SecondStartWithoutRunningWindowStillEndsQuietly) {
    PlayRunningInstance(false);
    bool showedWindow = false;
    EXPECT_EQ(RunSecondStart(L"x.drvk", &showedWindow), 0u);
    EXPECT_TRUE(received.empty());
    EXPECT_FALSE(showedWindow) << "the second start showed a window";
}

TEST_F(SingleInstance, AfterFirstInstanceEndsNextStartRunsNormally) {
    PlayRunningInstance(true);
    EXPECT_EQ(RunSecondStart(L""), 0u);
    ::DestroyWindow(window_);
    window_ = nullptr;
    ready_.Reset();
    mutex_.Reset(); // the running instance has ended

    // The watch that saw no window of the second starts above must see this one's.
    Process first = Process::Start(L"\"" + VexlorExePath() + L"\"");
    bool showedWindow = false;
    EXPECT_EQ(first.WaitForExit(30000, &showedWindow), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(showedWindow);
    const HWND mainWindow = WaitForWindow(first.Id(), L"TMainForm", L"Vexlor", 30000);
    ASSERT_NE(mainWindow, nullptr) << "the next start did not show its main window";
    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(30000), 0u);
}

// The real program started as Explorer starts it for ten selected files: ten processes at once,
// one path each. Whichever comes first lists its path; the others hand theirs over, waiting
// for its window where it has none yet.
HWND FilesList(HWND mainWindow) {
    HWND found = nullptr;
    ::EnumChildWindows(
        mainWindow,
        [](HWND window, LPARAM result) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (std::wstring(name) != L"ListBox")
                return TRUE;
            *reinterpret_cast<HWND*>(result) = window; // page 1's comes before page 3's
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<std::wstring> ListedPaths(HWND list) {
    DWORD_PTR count = 0;
    ::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    std::vector<std::wstring> paths;
    for (DWORD_PTR i = 0; i < count; ++i) {
        std::wstring text(4 * MAX_PATH, L'\0');
        DWORD_PTR length = 0;
        ::SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                              SMTO_ABORTIFHUNG, 5000, &length);
        text.resize(length);
        paths.push_back(text);
    }
    return paths;
}

TEST(StartsAtOnce, TenStartsWithOnePathEachLeaveTenEntriesAndAProjectFileOpenedNone) {
    TempFolder folder;
    std::vector<std::wstring> paths;
    std::vector<Process> starts;
    for (int i = 0; i < 10; ++i)
        paths.push_back(folder.MakeFile(L"file " + std::to_wstring(i) + L".txt", 10, 'f'));
    for (const std::wstring& path : paths)
        starts.push_back(
            Process::Start(L"\"" + VexlorExePath() + L"\" /destroy \"" + path + L"\""));

    HWND mainWindow = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const Process& start : starts)
                if ((mainWindow = FindProcessWindow(start.Id(), MainWindowClassName, true)))
                    return true;
            return false;
        },
        60000))
        << "no start showed the main window";
    DWORD first = 0;
    ::GetWindowThreadProcessId(mainWindow, &first);
    for (Process& start : starts) {
        if (start.Id() != first) {
            EXPECT_EQ(start.WaitForExit(60000), 0u) << "a second start did not end";
        }
    }
    const HWND list = FilesList(mainWindow);
    ASSERT_TRUE(WaitUntil([&] { return ListedPaths(list).size() >= paths.size(); }, 30000));
    std::vector<std::wstring> listed = ListedPaths(list);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, paths);

    // Opened through its association, a project file is not queued for destruction; the start
    // after it shows when the running instance has dealt with both.
    const std::wstring project = folder.MakeFile(L"plan.DRVK", 10, 'p');
    EXPECT_EQ(
        Process::Start(L"\"" + VexlorExePath() + L"\" \"" + project + L"\"").WaitForExit(60000),
        0u);
    const std::wstring last = folder.MakeFile(L"last.txt", 10, 'l');
    EXPECT_EQ(Process::Start(L"\"" + VexlorExePath() + L"\" /destroy \"" + last + L"\"")
                  .WaitForExit(60000),
              0u);
    ASSERT_TRUE(WaitUntil([&] { return ListedPaths(list).size() > paths.size(); }, 30000));
    listed = ListedPaths(list);
    EXPECT_EQ(listed.size(), paths.size() + 1);
    EXPECT_EQ(listed.back(), last);
    for (const std::wstring& path : paths)
        EXPECT_EQ(ReadAll(path), std::vector<char>(10, 'f')) << "destroyed without \"Далее\"";

    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    for (Process& start : starts) {
        if (start.Id() == first) {
            EXPECT_EQ(start.WaitForExit(30000), 0u);
        }
    }
}

} // namespace
} // namespace vexlor::testing
