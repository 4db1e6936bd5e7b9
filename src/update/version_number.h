#pragma once
// Version numbers as the version file writes them: "1.25".

#include <optional>
#include <string_view>

namespace vexlor::update {

// The number `text` holds in this grammar and nothing else: spaces, a sign, digits with a "."
// and fraction digits, an exponent ("e" or "E", a sign, digits), spaces. Only the space
// counts as a space; "." is the separator whatever the user's locale. Nothing otherwise.
std::optional<double> ParseDecimal(std::wstring_view text);

// ParseDecimal, or 1.0 for any text that is not such a number (the empty text included).
double VersionNumber(std::wstring_view text);

} // namespace vexlor::update
