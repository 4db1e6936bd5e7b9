#pragma once

#include <windows.h>

#include <string>

namespace vexlor::ui {

// The application as a whole: a hidden top-level window that is never shown, owns the message
// boxes that belong to no dialog and carries the program's internal messages; the main window;
// and the program window that is, or most recently was, active.
class Application {
public:
    static Application& Get();

    // Registers the window classes of the framework and creates the hidden window.
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

} // namespace vexlor::ui
