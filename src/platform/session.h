#pragma once

#include <windows.h>

#include <string>

namespace vexlor::platform {

// From construction to destruction, the reason shown to a user who logs off or shuts down
// while the program is busy; the window also has to refuse WM_QUERYENDSESSION meanwhile.
class ShutdownBlock {
public:
    ShutdownBlock(HWND window, const std::wstring& reason);
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;
    ~ShutdownBlock();

private:
    HWND window_;
    bool created_;
};

} // namespace vexlor::platform
