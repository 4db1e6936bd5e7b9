#pragma once

#include <exception>
#include <string>

namespace vexlor {

// The one exception type of the program: it carries the text the user is shown.
class Error : public std::exception {
public:
    explicit Error(std::wstring text) : text_(std::move(text)) {}
    const std::wstring& Text() const noexcept { return text_; }
    const char* what() const noexcept override { return "vexlor::Error"; }

private:
    std::wstring text_;
};

// The system's own text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

// Throws an Error built from `context` and the system's text for GetLastError().
[[noreturn]] void ThrowLastError(const std::wstring& context);

} // namespace vexlor
