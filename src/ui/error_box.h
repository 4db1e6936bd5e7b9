#pragma once

#include <windows.h>

#include <string>

namespace vexlor::ui {

// The text the default error box shows: a full stop is added when the last character's code is
// above that of the full stop (a letter or a digit, say), so sentences end properly.
std::wstring ErrorBoxText(const std::wstring& text);

// The default error box for every error no handler catches: owned by the active window (the
// application window when none is), captioned with the application title, OK and the stop
// icon. The program's other windows stay disabled while it is open.
void ShowErrorBox(const std::wstring& text);

// A message box that, like a modal dialog, keeps every other window of the program disabled
// while it is open and hands activation back when it closes.
int ShowModalMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                        UINT flags);

} // namespace vexlor::ui
