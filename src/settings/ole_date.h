#pragma once
// Dates as OLE Automation dates: days since 30 December 1899, the time of day as the fraction.

#include <windows.h>

#include <optional>

namespace vexlor::settings {

// Exact to the millisecond in both directions.
double SystemTimeToOleDate(const SYSTEMTIME& time);
// Empty for a value that is not a date between the years 100 and 9999.
std::optional<SYSTEMTIME> OleDateToSystemTime(double date);

} // namespace vexlor::settings
