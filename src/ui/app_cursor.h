#pragma once

#include <windows.h>

namespace vexlor::ui {

// The application-wide cursor: while set, every window of the program shows it.
void SetAppCursor(LPCWSTR systemCursor);
void ClearAppCursor();
bool AppCursorIsWait();

// Shows the hand cursor over `control`, as over a link.
void MarkHandCursor(HWND control);
bool WantsHandCursor(HWND control);

// WM_SETCURSOR for a window of the program: the application-wide cursor first, then the hand
// over controls marked for it. Returns true when the cursor was set.
bool HandleSetCursor(WPARAM wParam, LPARAM lParam);

// The hourglass from construction to destruction, on every path out of the scope; one that
// was already on (a run, when files are added from the menu meanwhile) stays on after it.
class WaitCursor {
public:
    WaitCursor() : alreadyWaiting_(AppCursorIsWait()) { SetAppCursor(IDC_WAIT); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() {
        if (!alreadyWaiting_)
            ClearAppCursor();
    }

private:
    bool alreadyWaiting_;
};

} // namespace vexlor::ui
