#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vexlor::ui {

// The application as a whole: a hidden top-level window that is never shown, owns the message
// boxes that belong to no dialog and carries the requests of other threads; the main window;
// and the program window that is, or most recently was, active.
class Application {
public:
    static Application& Get();

    // Creates the hidden window.
    void Initialize(HINSTANCE instance, std::wstring title);

    HINSTANCE Instance() const { return instance_; }
    HWND Handle() const { return handle_; }
    const std::wstring& Title() const { return title_; }

    void SetMainWindow(HWND window) { mainWindow_ = window; }
    HWND MainWindow() const { return mainWindow_; }

    // The program's active window, or the one that was active last; null when none is alive.
    HWND ActiveWindow() const;
    void NoteActivated(HWND window) { lastActive_ = window; }

private:
    Application() = default;

    HINSTANCE instance_ = nullptr;
    HWND handle_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND lastActive_ = nullptr;
    std::wstring title_;
};

// For worker threads: runs `work` on the GUI thread and waits until it has returned. The GUI
// thread runs it from whatever message loop it is in: the main loop, a modal dialog's, a
// message box's, or a long operation's pump. An exception of `work` goes to the error box
// there. When the program is ending and can take no more requests, `work` does not run, and
// the call may wait until the process ends. Called on the GUI thread, `work` just runs.
void RunOnGuiThread(const std::function<void()>& work);

} // namespace vexlor::ui
