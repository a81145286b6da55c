#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "core/DateTime.h"

namespace {

namespace chr = std::chrono;

constexpr chr::sys_days kDayZero = chr::sys_days{chr::year{1899} / 12 / 30};

std::int64_t DayNumberOf(chr::sys_days d)
{
    return (d - kDayZero).count();
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return EncodeDateTime({y, mo, d}, {h, mi, s, ms});
}

void ExpectDate(TDateTime value, int y, int mo, int d)
{
    const DateParts p = DecodeDate(value);
    EXPECT_EQ(p.year, y) << "value " << value;
    EXPECT_EQ(p.month, mo) << "value " << value;
    EXPECT_EQ(p.day, d) << "value " << value;
}

void ExpectTime(TDateTime value, int h, int mi, int s, int ms)
{
    const TimeParts p = DecodeTime(value);
    EXPECT_EQ(p.hour, h) << "value " << value;
    EXPECT_EQ(p.minute, mi) << "value " << value;
    EXPECT_EQ(p.second, s) << "value " << value;
    EXPECT_EQ(p.millisecond, ms) << "value " << value;
}

TEST(DateTimeCalendar, LeapYears)
{
    struct Row {
        int year;
        bool leap;
    };
    const Row rows[] = {{1, false},    {4, true},     {100, false},  {400, true},   {1600, true},
                        {1899, false}, {1900, false}, {2000, true},  {2023, false}, {2024, true},
                        {2100, false}, {9996, true},  {9999, false}, {0, true},     {-4, true}};
    for (const Row& r : rows)
        EXPECT_EQ(IsLeapYear(r.year), r.leap) << r.year;
    // Beyond chrono's year range the rule still holds.
    EXPECT_FALSE(IsLeapYear(INT_MAX));
    EXPECT_TRUE(IsLeapYear(INT_MIN));  // divisible by 400
    EXPECT_EQ((std::vector<int>{DaysInMonth(2023, 2), DaysInMonth(2024, 2), DaysInMonth(1900, 2), DaysInMonth(2024, 4),
                                DaysInMonth(2024, 12), DaysInMonth(2024, 0), DaysInMonth(2024, 13)}),
              (std::vector<int>{28, 29, 28, 30, 31, 0, 0}));
}

TEST(DateTimeCalendar, ValidDates)
{
    const struct {
        int y, m, d;
        bool valid;
    } rows[] = {{1, 1, 1, true},      {9999, 12, 31, true},  {2024, 2, 29, true},  {2023, 2, 29, false},
                {0, 1, 1, false},     {10000, 1, 1, false},  {2024, 0, 1, false},  {2024, 13, 1, false},
                {2024, 4, 31, false}, {2024, 1, 0, false},   {2024, 1, 32, false}, {2024, 1, INT_MAX, false},
                {INT_MIN, INT_MIN, INT_MIN, false}};
    for (const auto& r : rows)
        EXPECT_EQ(IsValidDate(r.y, r.m, r.d), r.valid) << r.y << "-" << r.m << "-" << r.d;
}

TEST(DateTimeEncode, KnownDays)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(EncodeDate(2024, 3, 15), 45366.0);
    EXPECT_EQ(EncodeDate(1626, 3, 16), NeverTime);
    EXPECT_EQ(EncodeDate(2173, 10, 14), NoDueTime);
    EXPECT_EQ(EncodeDate(1, 1, 1), MinDayNumber);
    EXPECT_EQ(EncodeDate(9999, 12, 31), MaxDayNumber);
}

TEST(DateTimeEncode, InvalidDateLeavesResultOrGivesZero)
{
    TDateTime result = 123.5;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, result));
    EXPECT_EQ(result, 123.5);
    EXPECT_TRUE(TryEncodeDate(2023, 2, 28, result));
    EXPECT_EQ(result, 44985.0);
    EXPECT_EQ(EncodeDate(2023, 2, 29), 0.0);
}

TEST(DateTimeEncode, TimeOfDay)
{
    EXPECT_EQ(EncodeTime(0, 0, 0, 0), 0.0);
    EXPECT_EQ(EncodeTime(6, 0, 0), 0.25);
    EXPECT_EQ(EncodeTime(12, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
    // Out-of-range parts give 0.
    const TimeParts bad[] = {{24, 0, 0, 0}, {-1, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {0, 0, 0, -1}};
    for (const TimeParts& t : bad)
        EXPECT_EQ(EncodeTime(t.hour, t.minute, t.second, t.millisecond), 0.0) << t.hour << ":" << t.minute;
}

TEST(DateTimeEncode, NegativeDaysSubtractTheTime)
{
    EXPECT_EQ(At(1899, 12, 29, 6), -1.25);
    EXPECT_EQ(At(1899, 12, 28, 18), -2.75);
    EXPECT_EQ(At(1899, 12, 30, 6), 0.25);  // day 0 counts as positive
}

TEST(DateTimeDecode, NegativeValuesFollowThePlatform)
{
    ExpectDate(-1.25, 1899, 12, 29);
    ExpectTime(-1.25, 6, 0, 0, 0);
    ExpectDate(-0.5, 1899, 12, 30);  // truncated toward zero: day 0
    ExpectTime(-0.5, 12, 0, 0, 0);
    ExpectDate(NeverTime, 1626, 3, 16);
    ExpectTime(NeverTime, 0, 0, 0, 0);
    ExpectDate(NoDueTime, 2173, 10, 14);
    EXPECT_EQ(DateOf(-1.25), -1.0);
    EXPECT_EQ(TimeOf(-1.25), 0.25);
    EXPECT_EQ(DayOfWeek(-1.25), 6);  // Friday
}

TEST(DateTimeDecode, RoundsToTheNearestMillisecond)
{
    ExpectDate(45366.3541666667, 2024, 3, 15);
    ExpectTime(45366.3541666667, 8, 30, 0, 0);
    // 0.4 ms rounds down, 0.6 ms up.
    ExpectTime(45366.0 + 0.4 / 86400000.0, 0, 0, 0, 0);
    ExpectTime(45366.0 + 0.6 / 86400000.0, 0, 0, 0, 1);
}

TEST(DateTimeDecode, RoundingUpToMidnightCarriesIntoTheNextDay)
{
    const TDateTime almost = 45366.0 + 86399999.7 / 86400000.0;
    ExpectDate(almost, 2024, 3, 16);
    ExpectTime(almost, 0, 0, 0, 0);
    EXPECT_EQ(DateOf(almost), 45367.0);
    EXPECT_EQ(TimeOf(almost), 0.0);
    EXPECT_EQ(DayOfWeek(almost), DayOfWeek(45367.0));

    ExpectDate(0.99999999999, 1899, 12, 31);
    ExpectTime(0.99999999999, 0, 0, 0, 0);
    // On the negative side the carry goes away from zero as well.
    ExpectDate(-1.99999999999, 1899, 12, 28);
    ExpectTime(-1.99999999999, 0, 0, 0, 0);
    // The last millisecond that does not round up stays on its day.
    const TDateTime last = 45366.0 + 86399999.0 / 86400000.0;
    ExpectDate(last, 2024, 3, 15);
    ExpectTime(last, 23, 59, 59, 999);
}

TEST(DateTimeDecode, EveryDayOfA400YearCycleRoundTrips)
{
    // 400 Gregorian years repeat the calendar exactly, weekdays included.
    const chr::sys_days first{chr::year{2000} / 1 / 1};
    const chr::sys_days end{chr::year{2400} / 1 / 1};
    std::int64_t checked = 0;
    for (chr::sys_days d = first; d < end; d += chr::days{1}) {
        const chr::year_month_day ymd{d};
        const int y = static_cast<int>(ymd.year());
        const int m = static_cast<int>(static_cast<unsigned>(ymd.month()));
        const int day = static_cast<int>(static_cast<unsigned>(ymd.day()));
        const TDateTime encoded = EncodeDate(y, m, day);
        ASSERT_EQ(encoded, static_cast<double>(DayNumberOf(d))) << y << "-" << m << "-" << day;
        const DateParts back = DecodeDate(encoded + 0.75);
        ASSERT_TRUE(back.year == y && back.month == m && back.day == day) << y << "-" << m << "-" << day;
        ASSERT_EQ(DayOfWeek(encoded + 0.75), static_cast<int>(chr::weekday{d}.c_encoding()) + 1);
        ++checked;
    }
    EXPECT_EQ(checked, 146097);
}

TEST(DateTimeDecode, GarbageDecodesAsDayZero)
{
    using L = std::numeric_limits<double>;
    const double garbage[] = {L::quiet_NaN(), L::infinity(),      -L::infinity(),     1e300, -1e300,
                              L::max(),       L::lowest(),        MaxDayNumber + 1.0, MinDayNumber - 1.0, 3e6};
    for (const double g : garbage) {
        ExpectDate(g, 1899, 12, 30);
        ExpectTime(g, 0, 0, 0, 0);
        EXPECT_EQ(DayOfWeek(g), 7) << g;
        EXPECT_EQ(DateOf(g), 0.0) << g;
        EXPECT_EQ(TimeOf(g), 0.0) << g;
        const TDateTime moved = IncMonth(g, 1);
        EXPECT_TRUE(std::isfinite(moved)) << g;
        ExpectDate(moved, 1900, 1, 30);
    }
    // The ends of the range still decode.
    ExpectDate(MaxDayNumber + 0.5, 9999, 12, 31);
    ExpectTime(MaxDayNumber + 0.5, 12, 0, 0, 0);
    ExpectDate(MinDayNumber - 0.5, 1, 1, 1);
    ExpectTime(MinDayNumber - 0.5, 12, 0, 0, 0);
    // Tiny values are plain midnight of day 0.
    ExpectDate(std::numeric_limits<double>::denorm_min(), 1899, 12, 30);
    ExpectDate(-std::numeric_limits<double>::denorm_min(), 1899, 12, 30);
}

TEST(DateTimeIncMonth, StatedExamples)
{
    struct Row {
        DateParts from;
        int months;
        DateParts to;
    };
    const Row rows[] = {
        {{2023, 1, 31}, 1, {2023, 2, 28}},  {{2024, 1, 31}, 1, {2024, 2, 29}},
        {{2024, 2, 29}, 12, {2025, 2, 28}}, {{2024, 2, 29}, 48, {2028, 2, 29}},
        {{2024, 1, 31}, 2, {2024, 3, 31}},  {{2024, 3, 31}, 10, {2025, 1, 31}},
        {{2024, 3, 31}, -1, {2024, 2, 29}}, {{2024, 1, 15}, -1, {2023, 12, 15}},
        {{2024, 12, 31}, 1, {2025, 1, 31}}, {{2024, 5, 31}, 0, {2024, 5, 31}},
        {{2000, 1, 31}, -12 * 100 + 1, {1900, 2, 28}},
    };
    for (const Row& r : rows) {
        const TDateTime from = EncodeDateTime(r.from, {10, 15, 30, 250});
        const TDateTime to = IncMonth(from, r.months);
        ExpectDate(to, r.to.year, r.to.month, r.to.day);
        ExpectTime(to, 10, 15, 30, 250);
    }
}

TEST(DateTimeIncMonth, NegativeValuesAndCrossingDayZero)
{
    // 29 Dec 1899 06:00 plus a month is 29 Jan 1900 06:00.
    EXPECT_DOUBLE_EQ(IncMonth(-1.25, 1), 30.25);
    // 30 Dec 1899 06:00 minus a month is 30 Nov 1899 06:00.
    EXPECT_DOUBLE_EQ(IncMonth(0.25, -1), -30.25);
    // Staying on the negative side keeps the sign convention.
    ExpectDate(IncMonth(NeverTime, 1), 1626, 4, 16);
    EXPECT_EQ(IncMonth(NeverTime, 0), NeverTime);
    EXPECT_EQ(IncMonth(-0.25, 0), -0.25);
    ExpectTime(IncMonth(-0.25, 1), 6, 0, 0, 0);
    ExpectDate(IncMonth(-0.25, 1), 1900, 1, 30);
}

TEST(DateTimeIncMonth, HeldWithinTheYears1To9999)
{
    ExpectDate(IncMonth(EncodeDate(9999, 12, 15), 1), 9999, 12, 15);
    ExpectDate(IncMonth(EncodeDate(9999, 11, 30), 5), 9999, 12, 30);
    ExpectDate(IncMonth(EncodeDate(1, 1, 15), -1), 1, 1, 15);
    ExpectDate(IncMonth(EncodeDate(2024, 5, 31), INT_MAX), 9999, 12, 31);
    ExpectDate(IncMonth(EncodeDate(2024, 5, 31), INT_MIN), 1, 1, 31);
    ExpectTime(IncMonth(At(2024, 5, 31, 13), INT_MIN), 13, 0, 0, 0);
}

}  // namespace
