#pragma once

#include <windows.h>

#include <string>

namespace vexlor::ui {

// The hover hints of one window's controls: one tooltip control, owned by the window and
// destroyed with it, in the colours given.
class Hints {
public:
    Hints(HWND owner, COLORREF background, COLORREF text);
    void Add(HWND control, const std::wstring& text);
    std::wstring TextFor(HWND control) const;

private:
    HWND tooltip_;
    HWND owner_;
};

} // namespace vexlor::ui
