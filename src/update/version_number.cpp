#include "update/version_number.h"

#include <charconv>
#include <string>

namespace vexlor::update {
namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Skips digits from `at`; returns how many there were.
std::size_t Digits(std::wstring_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at - start;
}

} // namespace

std::optional<double> ParseDecimal(std::wstring_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == L' ')
        ++at;
    const std::size_t start = at;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
        ++at;
    std::size_t digits = Digits(text, at);
    if (at < text.size() && text[at] == L'.') {
        ++at;
        digits += Digits(text, at);
    }
    if (digits == 0)
        return std::nullopt;
    if (at < text.size() && (text[at] == L'e' || text[at] == L'E')) {
        ++at;
        if (at < text.size() && (text[at] == L'+' || text[at] == L'-'))
            ++at;
        if (Digits(text, at) == 0)
            return std::nullopt;
    }
    const std::size_t end = at;
    while (at < text.size() && text[at] == L' ')
        ++at;
    if (at != text.size())
        return std::nullopt;
    // Only ASCII is left between start and end: narrow it for from_chars, which knows no
    // locale and no leading "+".
    std::string number(text.begin() + static_cast<std::ptrdiff_t>(start),
                       text.begin() + static_cast<std::ptrdiff_t>(end));
    if (number.front() == '+')
        number.erase(0, 1);
    double value = 0;
    const auto [last, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || last != number.data() + number.size())
        return std::nullopt;
    return value;
}

double VersionNumber(std::wstring_view text) {
    return ParseDecimal(text).value_or(1.0);
}

} // namespace vexlor::update
