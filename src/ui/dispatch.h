#pragma once

#include <string>

namespace vexlor::ui {

// The text of the exception being handled; call only inside a catch block.
std::wstring CurrentExceptionText();

// Shows the exception being handled in the default error box. Never throws.
void ReportCurrentException() noexcept;

// The one dispatch point for handlers: runs `handler`, and an exception it throws ends it there
// and goes to the default error box instead of crossing a window procedure. Returns whether the
// handler ran to its end.
template <typename Handler> bool Guard(Handler&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

} // namespace vexlor::ui
