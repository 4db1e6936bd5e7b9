#pragma once
// Controls drawn from the skin. Each kind of control has a painter: an object attached to the
// control's window by a subclass for the control's whole life, which owns the control's data
// and does its drawing, and is deleted with the control.

#include <windows.h>

#include <memory>

namespace vexlor::skin {

class SkinnedControl {
public:
    SkinnedControl() = default;
    SkinnedControl(const SkinnedControl&) = delete;
    SkinnedControl& operator=(const SkinnedControl&) = delete;
    virtual ~SkinnedControl() = default;

    // Gives `control` its painter, which lives until the control is destroyed.
    static void Attach(HWND control, std::unique_ptr<SkinnedControl> painter);
    // The painter of `control`, or null.
    static SkinnedControl* Of(HWND control);

    HWND Window() const { return window_; }

    // WM_DRAWITEM for this control, as its parent receives it.
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    // WM_CTLCOLOR* for this control: sets the colours in `dc` and returns the background brush.
    virtual HBRUSH Colors(HDC dc);

protected:
    // The control's own messages; what is not handled goes to Default.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Redraws the whole control at once.
    void Repaint() const;

    // For a kind that draws its whole client area itself: answers WM_ERASEBKGND, WM_PAINT
    // (through a buffer) and WM_PRINTCLIENT with Paint. True when `message` was one of them.
    bool HandlePainting(UINT message, WPARAM wParam, LRESULT& result);
    virtual void Paint(HDC, const RECT&) {}

    // Follows the mouse over the control (WM_MOUSEMOVE, WM_MOUSELEAVE) and repaints as it
    // comes and goes; Hot() tells whether it is over the control now.
    void TrackHot(UINT message);
    bool Hot() const { return hot_; }
    void ClearHot() { hot_ = false; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self) noexcept;

    HWND window_ = nullptr;
    bool hot_ = false;
};

// The one place that answers, for every window of the program, the messages by which a child
// asks its parent to colour, measure or draw it (WM_CTLCOLOR*, WM_MEASUREITEM, WM_DRAWITEM):
// the control's painter does it. Returns whether the message was answered. (A skinned menu's
// items are answered for in the menu's window by the menu itself.)
bool RouteSkinMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

} // namespace vexlor::skin
