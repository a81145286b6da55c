#include "core/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

namespace {

namespace chr = std::chrono;

// Day 0 of TDateTime, 30 December 1899, counted from the Unix epoch.
constexpr int kEpochOffset = -25569;

chr::sys_days ToSysDays(std::int64_t dayNumber)
{
    return chr::sys_days{chr::days{dayNumber + kEpochOffset}};
}

std::int64_t ToDayNumber(chr::sys_days d)
{
    return static_cast<std::int64_t>(d.time_since_epoch().count()) - kEpochOffset;
}

// A moment split the way every decoding function sees it: the value rounded
// to whole milliseconds, the day number truncated toward zero and the time of
// day taken from the absolute remainder. Rounding first is what lets a value a
// hair below midnight carry into the next day instead of showing 24:00.
struct Split {
    std::int64_t day = 0;
    std::int32_t msOfDay = 0;
    bool valid = false;  // false: NaN, infinite or outside the years 1..9999
};

Split SplitValue(TDateTime value)
{
    constexpr double kMsPerDay = static_cast<double>(MillisecondsPerDay);
    // Bounds as millisecond totals, open on both ends: the last representable
    // moment of 31 December 9999 and the first of 1 January 0001 (on the
    // negative side the day runs from -693593 toward -693594).
    constexpr double kHigh = (static_cast<double>(MaxDayNumber) + 1.0) * kMsPerDay;
    constexpr double kLow = (static_cast<double>(MinDayNumber) - 1.0) * kMsPerDay;
    const double ms = std::round(value * kMsPerDay);
    Split s;
    // Written so that NaN fails the test too.
    if (!(ms > kLow && ms < kHigh))
        return s;
    const auto total = static_cast<std::int64_t>(ms);
    s.day = total / MillisecondsPerDay;  // truncates toward zero
    s.msOfDay = static_cast<std::int32_t>(std::llabs(total) % MillisecondsPerDay);
    s.valid = true;
    return s;
}

bool YearInChronoRange(int year)
{
    return year >= static_cast<int>(chr::year::min()) && year <= static_cast<int>(chr::year::max());
}

}  // namespace

bool IsLeapYear(int year)
{
    if (YearInChronoRange(year))
        return chr::year{year}.is_leap();
    // chrono's year stops at +-32767; the Gregorian rule itself goes on.
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    // Only leap or not matters, so an out-of-range year borrows one of its kind.
    const int y = YearInChronoRange(year) ? year : (IsLeapYear(year) ? 2000 : 2001);
    const chr::year_month_day_last last{chr::year{y}, chr::month_day_last{chr::month{static_cast<unsigned>(month)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool IsValidDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    const chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                  chr::day{static_cast<unsigned>(day)}};
    return ymd.ok();
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (!IsValidDate(year, month, day))
        return false;
    const chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                  chr::day{static_cast<unsigned>(day)}};
    result = static_cast<TDateTime>(ToDayNumber(chr::sys_days{ymd}));
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result = 0;
    TryEncodeDate(year, month, day, result);
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return 0;
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(ms) / static_cast<double>(MillisecondsPerDay);
}

TDateTime EncodeDateTime(const DateParts& date, const TimeParts& time)
{
    const TDateTime day = EncodeDate(date.year, date.month, date.day);
    const TDateTime t = EncodeTime(time.hour, time.minute, time.second, time.millisecond);
    return day < 0 ? day - t : day + t;
}

DateParts DecodeDate(TDateTime value)
{
    const chr::year_month_day ymd{ToSysDays(SplitValue(value).day)};
    DateParts parts;
    parts.year = static_cast<int>(ymd.year());
    parts.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    parts.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    return parts;
}

TimeParts DecodeTime(TDateTime value)
{
    std::int32_t ms = SplitValue(value).msOfDay;
    TimeParts parts;
    parts.millisecond = ms % 1000;
    ms /= 1000;
    parts.second = ms % 60;
    ms /= 60;
    parts.minute = ms % 60;
    parts.hour = ms / 60;
    return parts;
}

int DayOfWeek(TDateTime value)
{
    const chr::weekday wd{ToSysDays(SplitValue(value).day)};
    return static_cast<int>(wd.c_encoding()) + 1;  // c_encoding: 0 = Sunday
}

TDateTime DateOf(TDateTime value)
{
    return static_cast<TDateTime>(SplitValue(value).day);
}

TDateTime TimeOf(TDateTime value)
{
    return static_cast<double>(SplitValue(value).msOfDay) / static_cast<double>(MillisecondsPerDay);
}

TDateTime IncMonth(TDateTime value, int months)
{
    const Split s = SplitValue(value);
    const chr::year_month_day ymd{ToSysDays(s.day)};

    // Months counted from January of the year 0, in 64 bits so that no count
    // of months overflows; the target is then held within the years 1..9999.
    std::int64_t index = static_cast<std::int64_t>(static_cast<int>(ymd.year())) * 12 +
                         (static_cast<unsigned>(ymd.month()) - 1) + static_cast<std::int64_t>(months);
    constexpr std::int64_t kFirst = 1 * 12;
    constexpr std::int64_t kLast = 9999 * 12 + 11;
    if (index < kFirst)
        index = kFirst;
    if (index > kLast)
        index = kLast;
    const chr::year y{static_cast<int>(index / 12)};
    const chr::month m{static_cast<unsigned>(index % 12 + 1)};
    const chr::day lastDay = chr::year_month_day_last{y, chr::month_day_last{m}}.day();
    const chr::day d = ymd.day() <= lastDay ? ymd.day() : lastDay;
    const std::int64_t newDay = ToDayNumber(chr::sys_days{chr::year_month_day{y, m, d}});

    // Undecodable input counts as 0, as it does for DecodeDate.
    const TDateTime base = s.valid ? value : 0.0;
    const bool negative = base < 0;
    const bool newNegative = newDay < 0 || (newDay == 0 && negative);
    if (newNegative == negative) {
        // Same side of day 0: shifting by whole days keeps the time of day.
        return base + static_cast<double>(newDay - s.day);
    }
    // Crossing day 0 flips the sign convention (the time is subtracted from a
    // negative day number), so rebuild the value from the time of day.
    const double timeOfDay = std::fabs(base - static_cast<double>(s.day));
    return newDay < 0 ? static_cast<double>(newDay) - timeOfDay : static_cast<double>(newDay) + timeOfDay;
}
