// Errors that no handler catches end that handler, show the default error box, and leave the
// program running.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "base/error.h"
#include "fakes.h"
#include "skin/skinned_control.h"
#include "skin/skinned_controls.h"
#include "ui/application.h"
#include "ui/dispatch.h"
#include "ui/error_box.h"
#include "ui/window.h"

namespace vexlor::ui {
namespace {

using vexlor::testing::RecordedMessageBoxes;
using vexlor::testing::TestWindow;

constexpr UINT kThrowError = WM_APP + 1;
constexpr UINT kThrowStd = WM_APP + 2;
constexpr UINT kAnswer = WM_APP + 3;

class ThrowingWindow : public Window {
public:
    ThrowingWindow() {
        RegisterWindowClass(L"VexlorThrowingWindow", nullptr, nullptr);
        CreateWindowHandle(L"VexlorThrowingWindow", L"Бросающее окно", WS_OVERLAPPEDWINDOW, 0,
                           {0, 0, 200, 100}, nullptr, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrowError)
            throw Error(L"Cannot open file \"x\". Access denied");
        if (message == kThrowStd)
            throw std::runtime_error("plain failure");
        if (message == kAnswer)
            return 42;
        return DefaultHandling(message, wParam, lParam);
    }
};

TEST(ErrorBoxText, AddsFullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(ErrorBoxText(L"Stream write error"), L"Stream write error.");
    EXPECT_EQ(ErrorBoxText(L"code 5"), L"code 5.");
    EXPECT_EQ(ErrorBoxText(L"Ошибка"), L"Ошибка.");
    EXPECT_EQ(ErrorBoxText(L"path/"), L"path/."); // '/' comes right after '.'
    EXPECT_EQ(ErrorBoxText(L"Done."), L"Done.");
    EXPECT_EQ(ErrorBoxText(L"Really!"), L"Really!");
    EXPECT_EQ(ErrorBoxText(L"(x)"), L"(x)");
    EXPECT_EQ(ErrorBoxText(L"trailing-"), L"trailing-");
    EXPECT_EQ(ErrorBoxText(L""), L"");
}

TEST(DefaultErrorBox, ExceptionInHandlerIsShownAndWindowGoesOn) {
    RecordedMessageBoxes boxes;
    ThrowingWindow window;
    EXPECT_EQ(::SendMessageW(window.Handle(), kThrowError, 0, 0), 0);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, L"Cannot open file \"x\". Access denied.");
    EXPECT_EQ(boxes.calls[0].caption, L"Vexlor");
    EXPECT_EQ(boxes.calls[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    // The program goes on: the same window still answers.
    EXPECT_TRUE(::IsWindow(window.Handle()));
    EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 0, 0), 42);
    EXPECT_EQ(boxes.calls.size(), 1u);
}

TEST(DefaultErrorBox, StandardExceptionsShowTheirText) {
    RecordedMessageBoxes boxes;
    ThrowingWindow window;
    ::SendMessageW(window.Handle(), kThrowStd, 0, 0);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, L"plain failure.");
}

TEST(DefaultErrorBox, IsOwnedByActiveWindowAndDisablesTheOthers) {
    RecordedMessageBoxes boxes;
    TestWindow other(L"Другое окно");
    TestWindow active(L"Активное окно");
    ::ShowWindow(other.Handle(), SW_SHOW);
    ::ShowWindow(active.Handle(), SW_SHOW);
    ::SetActiveWindow(active.Handle());
    ASSERT_EQ(::GetActiveWindow(), active.Handle());

    EXPECT_FALSE(Guard([] { throw Error(L"broken"); }));
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].owner, active.Handle());
    EXPECT_FALSE(boxes.calls[0].othersEnabled) << "another window stayed usable";
    EXPECT_TRUE(::IsWindowEnabled(other.Handle())) << "not enabled again afterwards";
}

TEST(DefaultErrorBox, WithoutActiveWindowIsOwnedByApplicationWindow) {
    RecordedMessageBoxes boxes;
    {
        TestWindow gone(L"Закрытое");
        ::ShowWindow(gone.Handle(), SW_SHOW);
        ::SetActiveWindow(gone.Handle());
    }
    ::SetActiveWindow(nullptr);
    if (::GetActiveWindow())
        GTEST_SKIP() << "the system keeps a window of this thread active";
    EXPECT_FALSE(Guard([] { throw Error(L"broken"); }));
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].owner, Application::Get().Handle());
}

TEST(Guard, ReturnsWhetherHandlerFinished) {
    RecordedMessageBoxes boxes;
    int steps = 0;
    EXPECT_TRUE(Guard([&] { ++steps; }));
    EXPECT_FALSE(Guard([&] {
        ++steps;
        throw Error(L"stop here");
    }));
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(boxes.calls.size(), 1u);
}

// A painter that fails at every paint of its label, or when its button's parent asks it to draw.
class FailingPainter : public skin::SkinnedControl {
public:
    explicit FailingPainter(bool label) : label_(label) {}
    void DrawItem(const DRAWITEMSTRUCT&) override { throw Error(L"Cannot draw the button"); }

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (label_ && message == WM_PAINT)
            throw Error(L"Cannot paint the label");
        return Default(message, wParam, lParam);
    }

private:
    bool label_;
};

HWND FailingControl(HWND parent, bool label) {
    const HWND control = CreateControl({.parent = parent,
                                        .windowClass = label ? L"STATIC" : L"BUTTON",
                                        .style = label ? 0u : DWORD{BS_OWNERDRAW},
                                        .bounds = {5, 5, 60, 20}});
    skin::SkinnedControl::Attach(control, std::make_unique<FailingPainter>(label));
    return control;
}

TEST(DefaultErrorBox, PainterOrPanelThatThrowsShowsTheBoxAndTheProgramGoesOn) {
    RecordedMessageBoxes boxes;
    // A label painting itself, and owner-drawn buttons that a window and a panel draw.
    enum Place { LabelOnWindow, ButtonOnWindow, ButtonOnPanel };
    for (const Place place : {LabelOnWindow, ButtonOnWindow, ButtonOnPanel}) {
        SCOPED_TRACE(place);
        ThrowingWindow window;
        const HWND parent =
            place == ButtonOnPanel
                ? skin::CreatePanel(window.Handle(), 0, {0, 0, 150, 50}, skin::StyleClass::CheckBox)
                : window.Handle();
        const HWND control = FailingControl(parent, place == LabelOnWindow);
        ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
        ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        boxes.calls.clear(); // those of the first paint
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ASSERT_EQ(boxes.calls.size(), 1u) << "one box for one failed paint";
        EXPECT_EQ(boxes.calls[0].text,
                  place == LabelOnWindow ? L"Cannot paint the label." : L"Cannot draw the button.");
        EXPECT_EQ(::SendMessageW(window.Handle(), kAnswer, 0, 0), 42) << "the program goes on";
    }
}

} // namespace
} // namespace vexlor::ui
