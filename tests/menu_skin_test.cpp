// The skinned main menu keeps to its own menu: other menus of the thread, their item data and
// their drop-down windows are left alone, and its hook lives only while the menu is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "fakes.h"
#include "skin/menu_skin.h"
#include "skin/skin.h"
#include "wizard/main_form.h"

namespace vexlor::skin {
namespace {

// Runs `inside` with the open drop-down, in the menu loop that `open` starts, then ends the
// loop; false when no loop ran it. The loop handles the thread's timer only once it is up.
bool InsideMenu(const std::function<void()>& open, std::function<void(HWND popup)> inside) {
    static std::function<void(HWND)> pending;
    pending = std::move(inside);
    const UINT_PTR timer =
        ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            if (const auto run = std::exchange(pending, nullptr))
                run(::FindWindowW(L"#32768", nullptr));
            ::EndMenu();
        });
    open();
    ::KillTimer(nullptr, timer);
    // The loop can end before it reads the WM_CANCELMODE that EndMenu posts; left queued,
    // it would end the next menu as soon as it opens.
    MSG cancel;
    while (::PeekMessageW(&cancel, nullptr, WM_CANCELMODE, WM_CANCELMODE, PM_REMOVE)) {
    }
    return !std::exchange(pending, nullptr);
}

COLORREF CornerOf(HWND popup) {
    const HDC dc = ::GetWindowDC(popup);
    const COLORREF corner = ::GetPixel(dc, 0, 0);
    ::ReleaseDC(popup, dc);
    return corner;
}

// A context menu of the main window that is not the skin's.
bool TrackForeign(HWND owner, HMENU menu, std::function<void(HWND popup)> inside) {
    return InsideMenu([&] { ::TrackPopupMenuEx(menu, TPM_RETURNCMD, 100, 100, owner, nullptr); },
                      std::move(inside));
}

// What the windows answered when the system measured and drew menu items with `data`, and
// the faults of reading at `data` as if it pointed at something.
struct ForeignItem {
    static inline ULONG_PTR data = 0;
    static inline std::vector<LRESULT> measured, drawn;
    static inline UINT width = 0;
    static inline int faults = 0;

    static LONG CALLBACK CountFault(EXCEPTION_POINTERS* exception) {
        const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
        if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2 &&
            record.ExceptionInformation[1] == data)
            ++faults;
        return EXCEPTION_CONTINUE_SEARCH;
    }

    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call.message == WM_MEASUREITEM) {
            const auto& item = *reinterpret_cast<const MEASUREITEMSTRUCT*>(call.lParam);
            if (item.CtlType == ODT_MENU && item.itemData == data) {
                measured.push_back(call.lResult);
                width = item.itemWidth;
            }
        }
        if (code == HC_ACTION && call.message == WM_DRAWITEM) {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(call.lParam);
            if (item.CtlType == ODT_MENU && item.itemData == data)
                drawn.push_back(call.lResult);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

// The main window's end asks the main loop to quit; that must not reach another test.
struct DropQuit {
    ~DropQuit() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
};

class MenuSkin : public ::testing::Test {
protected:
    void SetUp() override {
        form_.Create();
        ::KillTimer(form_.Handle(), wizard::TMainForm::IdTimerDialogs);
        form_.Show(SW_SHOW);
        ::SetForegroundWindow(form_.Handle());
    }

    const MenuStyle& style_ = ActiveSkin().icoLine;
    DropQuit dropQuit_;
    wizard::TMainForm form_;
};

TEST_F(MenuSkin, AnotherOwnerDrawnMenuOfTheWindowIsNeitherReadNorDrawn) {
    // Its item data is an index, as many programs keep there: no pointer at all. (Wine lets a
    // window procedure's fault pass unseen, so the faults are counted.)
    ForeignItem::data = 1;
    const HMENU foreign = ::CreatePopupMenu();
    ::AppendMenuW(foreign, MF_OWNERDRAW, 7, reinterpret_cast<LPCWSTR>(ForeignItem::data));
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &ForeignItem::Record, nullptr,
                                           ::GetCurrentThreadId());
    void* const faultWatch = ::AddVectoredExceptionHandler(1, &ForeignItem::CountFault);
    EXPECT_TRUE(TrackForeign(form_.Handle(), foreign, [](HWND) {}));
    ::RemoveVectoredExceptionHandler(faultWatch);
    ::UnhookWindowsHookEx(hook);
    ::DestroyMenu(foreign);
    EXPECT_EQ(ForeignItem::faults, 0) << "its item data was read";
    EXPECT_EQ(ForeignItem::measured, std::vector<LRESULT>{FALSE});
    EXPECT_EQ(ForeignItem::width, 0u) << "measured by the skin";
    ASSERT_FALSE(ForeignItem::drawn.empty());
    EXPECT_EQ(ForeignItem::drawn, std::vector<LRESULT>(ForeignItem::drawn.size(), FALSE));
}

TEST_F(MenuSkin, NoHookWhileItIsClosedAndOtherDropDownsKeepTheirFrame) {
    EXPECT_EQ(LiveMenuHooks(), 0) << "shown, not open";
    const HMENU foreign = ::CreatePopupMenu();
    ::AppendMenuW(foreign, MF_STRING, 7, L"Копировать");
    int hooks = -1;
    COLORREF corner = 0;
    EXPECT_TRUE(TrackForeign(form_.Handle(), foreign, [&](HWND popup) {
        hooks = LiveMenuHooks();
        corner = CornerOf(popup);
    }));
    ::DestroyMenu(foreign);
    EXPECT_EQ(hooks, 0) << "while another menu of the window is open";
    EXPECT_NE(corner, style_.menuBorder) << "the other drop-down was given the skin's frame";
}

TEST_F(MenuSkin, ShownTwiceItHooksOnceWhileOpenAndNotAfterItsWindowIsGone) {
    SkinnedMenu menu(form_.ImageList24);
    menu.AddItem(menu.AddPopup(L"&Файл"), 1, L"&Выход");
    vexlor::testing::TestWindow window(L"Меню");
    menu.ShowIn(window.Handle());
    menu.ShowIn(window.Handle());
    EXPECT_EQ(LiveMenuHooks(), 0) << "shown twice, not open";

    const auto openFile = [&] { ::SendMessageW(window.Handle(), WM_SYSCOMMAND, SC_KEYMENU, L'ф'); };
    int hooks = -1;
    COLORREF corner = 0;
    EXPECT_TRUE(InsideMenu(openFile, [&](HWND popup) {
        hooks = LiveMenuHooks();
        corner = CornerOf(popup);
    }));
    EXPECT_EQ(hooks, 1) << "open";
    EXPECT_EQ(corner, style_.menuBorder) << "its own drop-down in the skin's frame";
    EXPECT_EQ(LiveMenuHooks(), 0) << "closed";

    EXPECT_TRUE(InsideMenu(openFile, [&](HWND) {
        ::DestroyWindow(window.Handle());
        hooks = LiveMenuHooks();
    }));
    EXPECT_EQ(hooks, 0) << "its window destroyed while it was open";
}

} // namespace
} // namespace vexlor::skin
