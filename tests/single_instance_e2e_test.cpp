// A second start hands its argument to the running instance and ends; the test plays the
// running instance with a window of the main window's class and caption.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/single_instance.h"
#include "base/handles.h"
#include "base/product.h"
#include "process.h"

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
    HWND window_ = nullptr;
};

TEST_F(SingleInstance, SecondStartHandsOverUnquotedArgumentAndEnds) {
    PlayRunningInstance(true);
    bool showedWindow = false;
    EXPECT_EQ(RunSecondStart(L"\"C:\\My Projects\\plan one.drvk\" second", &showedWindow), 0u);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data, 0u);
    EXPECT_EQ(received[0].text, L"C:\\My Projects\\plan one.drvk");
    EXPECT_EQ(received[0].size, 2 * (received[0].text.size() + 1));
    EXPECT_FALSE(showedWindow) << "the second start showed a window";
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

} // namespace
} // namespace vexlor::testing
