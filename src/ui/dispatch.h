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

// For window procedures, subclass procedures and hooks: `handler`'s result, or, when it threw
// (its error shown), `fallback`'s, so that the system still gets an answer.
template <typename Handler, typename Fallback>
auto GuardOr(Handler&& handler, Fallback&& fallback) noexcept -> decltype(handler()) {
    decltype(handler()) result{};
    if (Guard([&] { result = handler(); }))
        return result;
    return fallback();
}

} // namespace vexlor::ui
