#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "registry_probe.h"
#include "settings/ole_date.h"

namespace vexlor::settings {
namespace {

using testing::MakeTime;
using testing::OleDateThroughFileTime;

// Half a microsecond, as a fraction of a day: far below the millisecond the dates must hold.
constexpr double kTolerance = 0.0005 / 86'400'000.0;

void ExpectSameTime(const SYSTEMTIME& actual, const SYSTEMTIME& expected) {
    EXPECT_EQ(actual.wYear, expected.wYear);
    EXPECT_EQ(actual.wMonth, expected.wMonth);
    EXPECT_EQ(actual.wDay, expected.wDay);
    EXPECT_EQ(actual.wHour, expected.wHour);
    EXPECT_EQ(actual.wMinute, expected.wMinute);
    EXPECT_EQ(actual.wSecond, expected.wSecond);
    EXPECT_EQ(actual.wMilliseconds, expected.wMilliseconds);
}

TEST(OleDate, KnownDatesCountDaysFromTheLastDaysOf1899) {
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(1899, 12, 30)), 0.0);
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(1899, 12, 31)), 1.0);
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(1900, 1, 1)), 2.0);
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(1900, 1, 1, 18)), 2.75);
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(1900, 3, 1)), 61.0); // 1900 is no leap year
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(2026, 12, 9, 12)), 46365.5);
    // Before the epoch the time of day moves away from zero.
    EXPECT_EQ(SystemTimeToOleDate(MakeTime(1899, 12, 29, 6)), -1.25);
}

TEST(OleDate, MillisecondsAgreeWithTheSystemsFileTime) {
    for (const SYSTEMTIME& time :
         {MakeTime(2026, 12, 9, 12, 0, 0, 1), MakeTime(2026, 12, 9, 23, 59, 59, 999),
          MakeTime(2000, 2, 29, 0, 0, 0, 1), MakeTime(2038, 1, 19, 3, 14, 7, 500),
          MakeTime(1999, 12, 31, 13, 37, 42, 123)}) {
        EXPECT_NEAR(SystemTimeToOleDate(time), OleDateThroughFileTime(time), kTolerance)
            << time.wYear << "-" << time.wMonth << "-" << time.wDay << " " << time.wHour << ":"
            << time.wMinute << ":" << time.wSecond << "." << time.wMilliseconds;
    }
    EXPECT_NEAR(SystemTimeToOleDate(MakeTime(2026, 12, 9, 12, 0, 0, 1)), 46365.5 + 1 / 86'400'000.0,
                kTolerance);
}

// `start` moved on by `milliseconds`, through the system's FILETIME arithmetic.
SYSTEMTIME AddMilliseconds(const SYSTEMTIME& start, long long milliseconds) {
    FILETIME fileTime{};
    ::SystemTimeToFileTime(&start, &fileTime);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    ticks.QuadPart += milliseconds * 10'000;
    fileTime.dwLowDateTime = ticks.LowPart;
    fileTime.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME moved{};
    ::FileTimeToSystemTime(&fileTime, &moved);
    return moved;
}

TEST(OleDate, EveryMillisecondSurvivesTheRoundTrip) {
    // Every millisecond of two seconds across midday, a year's end and the calendar's ends
    // must come back unchanged.
    for (const SYSTEMTIME& start :
         {MakeTime(2026, 12, 9, 11, 59, 59), MakeTime(2026, 12, 31, 23, 59, 59),
          MakeTime(1900, 1, 1, 0, 0, 0), MakeTime(9999, 12, 31, 23, 59, 58)}) {
        for (int step = 0; step < 2000; ++step) {
            const SYSTEMTIME time = AddMilliseconds(start, step);
            const auto back = OleDateToSystemTime(SystemTimeToOleDate(time));
            ASSERT_TRUE(back.has_value());
            ExpectSameTime(*back, time);
            EXPECT_EQ(back->wDayOfWeek, time.wDayOfWeek);
            if (::testing::Test::HasFailure())
                FAIL() << "at " << time.wYear << "-" << time.wMonth << "-" << time.wDay << " "
                       << time.wHour << ":" << time.wMinute << ":" << time.wSecond << "."
                       << time.wMilliseconds;
        }
    }
}

TEST(OleDate, ConversionBackGivesCalendarFieldsAndWeekday) {
    const auto time = OleDateToSystemTime(46365.75);
    ASSERT_TRUE(time.has_value());
    ExpectSameTime(*time, MakeTime(2026, 12, 9, 18));
    EXPECT_EQ(time->wDayOfWeek, 3); // a Wednesday

    const auto beforeEpoch = OleDateToSystemTime(-1.25);
    ASSERT_TRUE(beforeEpoch.has_value());
    ExpectSameTime(*beforeEpoch, MakeTime(1899, 12, 29, 6));
    EXPECT_EQ(beforeEpoch->wDayOfWeek, 5); // a Friday
}

TEST(OleDate, AHairBeforeMidnightRoundsIntoTheNextDay) {
    const auto time = OleDateToSystemTime(46365.0 + 86'399'999.7 / 86'400'000.0);
    ASSERT_TRUE(time.has_value());
    ExpectSameTime(*time, MakeTime(2026, 12, 10));
}

TEST(OleDate, ValuesOutsideTheCalendarAreNoDate) {
    for (double value : {std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(), -1e10, 1e10, 2958466.0})
        EXPECT_FALSE(OleDateToSystemTime(value).has_value()) << value;
    EXPECT_TRUE(OleDateToSystemTime(2958465.5).has_value()); // 31 December 9999
}

} // namespace
} // namespace vexlor::settings
