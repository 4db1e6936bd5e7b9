#pragma once

#include <windows.h>

#include <string>

namespace vexlor::ui {

// A message box that belongs to the window the user is working in: titled with the active
// window's caption and owned by it, except that a message raised over the main window is owned
// by the application window. `flags` reach MessageBoxW unchanged; its result comes back.
int ShowAppMessage(const std::wstring& text, UINT flags);

// A question with the answers Yes and No and the information icon, owned by the application
// window rather than by whichever window is active; true for Yes.
bool AskYesNo(const std::wstring& question, const std::wstring& caption);

} // namespace vexlor::ui
