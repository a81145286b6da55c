// Moments in time as the program stores them: a double counting days since
// 30 December 1899 (local time), the fraction being the time of day.
//
// Negative values follow the platform convention: the whole-day part is
// truncated toward zero and the time of day is the absolute fractional part,
// so -1.25 is 29 December 1899 06:00. Every decoding function first rounds the
// value to the nearest millisecond (a time that rounds up to 24:00 carries
// into the next day). Values outside the years 1..9999, NaN and infinities
// decode as 0, that is 30 December 1899 00:00; nothing here throws or traps.
#pragma once

#include <cstdint>

using TDateTime = double;

// A start time that never comes (16 March 1626 00:00); the default of a
// missing or unreadable stored date.
inline constexpr TDateTime NeverTime = -100000.0;
// What the scheduler waits for when no enabled event lies ahead (a day in 2173).
inline constexpr TDateTime NoDueTime = 100000.0;
// Two moments closer than this (0.864 s) count as the same moment.
inline constexpr long double Epsilon = 1e-5L;
// Whether two moments count as the same one; the difference is taken in
// extended precision, as Epsilon itself is.
inline bool Near(TDateTime a, TDateTime b)
{
    const long double d = static_cast<long double>(a) - static_cast<long double>(b);
    return (d < 0 ? -d : d) < Epsilon;
}

// The first and last day numbers that decode: 1 January 0001 and 31 December 9999.
inline constexpr std::int32_t MinDayNumber = -693593;
inline constexpr std::int32_t MaxDayNumber = 2958465;

inline constexpr std::int64_t MillisecondsPerDay = 86'400'000;

struct DateParts {
    int year = 1899;
    int month = 12;  // 1..12
    int day = 30;    // 1..31
};

struct TimeParts {
    int hour = 0;         // 0..23
    int minute = 0;       // 0..59
    int second = 0;       // 0..59
    int millisecond = 0;  // 0..999
};

bool IsLeapYear(int year);
// Days in the month (1..12) of the year; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// True when year/month/day names a real calendar day between the years 1 and 9999.
bool IsValidDate(int year, int month, int day);

// The day number of a calendar date. Returns false (leaving result alone)
// for a date that does not exist.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// As TryEncodeDate, but an invalid date gives 0.
TDateTime EncodeDate(int year, int month, int day);
// The fraction of a day for a time of day; out-of-range parts give 0.
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
// Date plus time of day (for negative day numbers the time is subtracted, so
// that the fraction's absolute value stays the time of day). An invalid date
// counts as 30 December 1899, an invalid time as midnight.
TDateTime EncodeDateTime(const DateParts& date, const TimeParts& time);

// Calendar date of a moment: the whole-day part, truncated toward zero
// (-1.25 is 29 December 1899).
DateParts DecodeDate(TDateTime value);
// Time of day of a moment: the absolute fractional part, rounded to the
// nearest millisecond (-1.25 is 06:00).
TimeParts DecodeTime(TDateTime value);

// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime value);
// The whole-day part (truncated toward zero), of the value rounded to the
// millisecond, so that it always names the day DecodeDate gives.
TDateTime DateOf(TDateTime value);
// The time of day as a non-negative fraction, rounded to the millisecond
// (what DecodeTime gives, as a fraction of a day).
TDateTime TimeOf(TDateTime value);
// d plus the given number of calendar months: same day and time of day, cut
// back to the last day of a shorter month. A year is 12 months. The result
// differs from d by a whole number of days; a target month before January of
// the year 1 or after December 9999 is held at that limit.
TDateTime IncMonth(TDateTime value, int months);
