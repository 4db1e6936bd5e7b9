#pragma once

#include <windows.h>

#include <string>

namespace vexlor::ui {

// A message box that belongs to the window the user is working in: titled with the active
// window's caption and owned by it, except that a message raised over the main window is owned
// by the application window. `flags` reach MessageBoxW unchanged; its result comes back.
int ShowAppMessage(const std::wstring& text, UINT flags);

} // namespace vexlor::ui
