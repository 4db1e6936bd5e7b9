#include <windows.h>

#include <gtest/gtest.h>

#include "fakes.h"
#include "ui/message_pump.h"

namespace vexlor::ui {
namespace {

constexpr UINT kCounted = WM_APP + 10;
int counted = 0;

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCounted) {
        ++counted;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CountingWindow() {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = &CountingProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VexlorCounting";
    ::RegisterClassExW(&windowClass);
    return ::CreateWindowExW(0, L"VexlorCounting", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

TEST(MessagePump, KeepsQuitRequestForTheMainLoop) {
    const HWND window = CountingWindow();
    counted = 0;
    ::PostMessageW(window, kCounted, 0, 0);
    ::PostQuitMessage(7);
    ::PostMessageW(window, kCounted, 0, 0);

    ProcessMessages();
    EXPECT_EQ(counted, 2) << "messages around the quit request must still be handled";
    EXPECT_TRUE(QuitPending());
    ProcessMessages(); // a later pump during the same operation keeps it too
    EXPECT_TRUE(QuitPending());

    // Had the request been lost, the loop would wait for this later one and return 99.
    ::PostQuitMessage(99);
    EXPECT_EQ(RunMessageLoop(), 7);
    EXPECT_FALSE(QuitPending());
    // Leave no request behind for other tests.
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ::DestroyWindow(window);
}

TEST(MessagePump, ReturnsWhenQueueIsEmpty) {
    const HWND window = CountingWindow();
    counted = 0;
    for (int i = 0; i < 5; ++i)
        ::PostMessageW(window, kCounted, 0, 0);
    ProcessMessages();
    EXPECT_EQ(counted, 5);
    EXPECT_FALSE(QuitPending());
    ::DestroyWindow(window);
}

} // namespace
} // namespace vexlor::ui
