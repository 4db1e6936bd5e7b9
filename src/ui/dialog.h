#pragma once
// Modal dialogs: top-level windows owned by another window, centred over it, with a dialog's
// keyboard (Tab and Shift+Tab between the controls, Enter for the default button, Esc to
// cancel), shown in one call that returns how the dialog ended.

#include <windows.h>

#include <string>

#include "ui/window.h"

namespace vexlor::ui {

class Dialog : public Window {
public:
    // Shows the dialog and runs until it ends. The owner is disabled meanwhile and enabled
    // again, with the focus, before the dialog goes; a quit request that arrives during the
    // run is kept for the main loop. Returns the result EndModal gave, IDCANCEL for Esc and
    // the close box.
    int ShowModal();

protected:
    // A fixed frame with the close box only; the client area `clientSize` 96-dpi pixels.
    void CreateDialogWindow(const wchar_t* className, const std::wstring& caption, SIZE clientSize,
                            HWND owner);
    void EndModal(int result);
    // The button that Enter presses, by its command identifier.
    void SetDefaultButton(int id) { defaultButton_ = id; }

    // Commands of the dialog's controls (also those inside its panels).
    virtual void OnCommand(int id, int notification);
    // After the DPI changed and the controls were made again at it: what the dialog places in
    // device pixels itself.
    virtual void OnDpiChanged() {}
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND FindDescendant(int id) const;

    int defaultButton_ = 0;
    int result_ = IDCANCEL;
    bool running_ = false;
};

} // namespace vexlor::ui
