#include "settings/ole_date.h"

#include <chrono>
#include <cmath>

namespace vexlor::settings {
namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr long long kMillisecondsPerDay = 86'400'000;
constexpr sys_days kOleEpoch = year{1899} / 12 / 30;
// 1 January 100 and the first day after 31 December 9999, the range OLE dates cover.
constexpr double kFirstDate = (sys_days{year{100} / 1 / 1} - kOleEpoch).count();
constexpr double kPastLastDate = (sys_days{year{10000} / 1 / 1} - kOleEpoch).count();

long long MillisecondOfDay(const SYSTEMTIME& time) {
    return ((time.wHour * 60LL + time.wMinute) * 60 + time.wSecond) * 1000 + time.wMilliseconds;
}

SYSTEMTIME ToSystemTime(sys_days date, long long millisecond) {
    const year_month_day civil{date};
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(static_cast<int>(civil.year()));
    time.wMonth = static_cast<WORD>(static_cast<unsigned>(civil.month()));
    time.wDay = static_cast<WORD>(static_cast<unsigned>(civil.day()));
    time.wDayOfWeek = static_cast<WORD>(std::chrono::weekday{date}.c_encoding());
    time.wHour = static_cast<WORD>(millisecond / 3'600'000);
    time.wMinute = static_cast<WORD>(millisecond / 60'000 % 60);
    time.wSecond = static_cast<WORD>(millisecond / 1000 % 60);
    time.wMilliseconds = static_cast<WORD>(millisecond % 1000);
    return time;
}

} // namespace

double SystemTimeToOleDate(const SYSTEMTIME& time) {
    const sys_days date = year{time.wYear} / month{time.wMonth} / day{time.wDay};
    const double wholeDays = static_cast<double>((date - kOleEpoch).count());
    const double fraction =
        static_cast<double>(MillisecondOfDay(time)) / static_cast<double>(kMillisecondsPerDay);
    // Before the epoch the day count is negative while the time still runs forward, so the
    // fraction moves away from zero: -1.25 is 29 December 1899, 06:00.
    return wholeDays >= 0 ? wholeDays + fraction : wholeDays - fraction;
}

std::optional<SYSTEMTIME> OleDateToSystemTime(double date) {
    if (!(date > kFirstDate - 1 && date < kPastLastDate))
        return std::nullopt;
    const double wholeDays = std::trunc(date);
    // Rounding, not truncation: 12:00:00.001 is stored as a double a hair below it.
    long long millisecond =
        std::llround(std::fabs(date - wholeDays) * static_cast<double>(kMillisecondsPerDay));
    sys_days civil = kOleEpoch + days{static_cast<long long>(wholeDays)};
    if (millisecond >= kMillisecondsPerDay) {
        millisecond -= kMillisecondsPerDay;
        civil += days{1};
    }
    if (civil < sys_days{year{100} / 1 / 1} || civil >= sys_days{year{10000} / 1 / 1})
        return std::nullopt;
    return ToSystemTime(civil, millisecond);
}

} // namespace vexlor::settings
