#include "exchange/Recurrence.h"

#include <algorithm>
#include <cmath>

#include "exchange/ContentLines.h"

namespace {

constexpr const char* kCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

bool ReadInt(std::string_view s, int& out)
{
    if (s.empty() || s.size() > 9)
        return false;
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = negative ? -v : v;
    return true;
}

std::vector<std::string_view> Split(std::string_view s, char sep)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == sep) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

// The days of a month that the rule's BYMONTHDAY and BYDAY pick (the start's
// own day when it has neither), in order.
std::vector<int> DaysInMonthPicked(const RecurrenceRule& rule, int year, int month, int startDay)
{
    const int length = DaysInMonth(year, month);
    std::vector<int> days;
    for (int d = 1; d <= length; ++d) {
        bool ok = true;
        if (!rule.ByMonthDay.empty()) {
            ok = std::any_of(rule.ByMonthDay.begin(), rule.ByMonthDay.end(),
                             [&](int md) { return md == d || (md < 0 && length + 1 + md == d); });
        }
        if (ok && !rule.ByDay.empty()) {
            const int weekday = DayOfWeek(EncodeDate(year, month, d));
            const int nth = (d - 1) / 7 + 1;
            const int nthFromEnd = -((length - d) / 7 + 1);
            ok = std::any_of(rule.ByDay.begin(), rule.ByDay.end(), [&](const RecurrenceRule::Day& bd) {
                return bd.Weekday == weekday && (bd.Ordinal == 0 || bd.Ordinal == nth || bd.Ordinal == nthFromEnd);
            });
        }
        if (ok && rule.ByMonthDay.empty() && rule.ByDay.empty())
            ok = d == startDay;
        if (ok)
            days.push_back(d);
    }
    return days;
}

bool MonthAllowed(const RecurrenceRule& rule, int month)
{
    return rule.ByMonth.empty() || std::find(rule.ByMonth.begin(), rule.ByMonth.end(), month) != rule.ByMonth.end();
}

// The days (day numbers) of period p of the rule, in order.
std::vector<TDateTime> PeriodDays(const RecurrenceRule& rule, TDateTime startDay, long p)
{
    using F = RecurrenceRule::Freq;
    std::vector<TDateTime> days;
    const DateParts s = DecodeDate(startDay);
    switch (rule.Frequency) {
    case F::Daily: {
        const TDateTime day = startDay + static_cast<double>(p) * rule.Interval;
        const DateParts d = DecodeDate(day);
        bool ok = MonthAllowed(rule, d.month);
        if (ok && !rule.ByMonthDay.empty()) {
            const int length = DaysInMonth(d.year, d.month);
            ok = std::any_of(rule.ByMonthDay.begin(), rule.ByMonthDay.end(),
                             [&](int md) { return md == d.day || (md < 0 && length + 1 + md == d.day); });
        }
        if (ok && !rule.ByDay.empty())
            ok = std::any_of(rule.ByDay.begin(), rule.ByDay.end(),
                             [&](const RecurrenceRule::Day& bd) { return bd.Weekday == DayOfWeek(day); });
        if (ok)
            days.push_back(day);
        break;
    }
    case F::Weekly: {
        // Weeks begin on Monday (the default WKST).
        const TDateTime monday = startDay - (DayOfWeek(startDay) + 5) % 7 + 7.0 * rule.Interval * static_cast<double>(p);
        for (int i = 0; i < 7; ++i) {
            const TDateTime day = monday + i;
            const int weekday = DayOfWeek(day);
            const bool picked = rule.ByDay.empty()
                                    ? weekday == DayOfWeek(startDay)
                                    : std::any_of(rule.ByDay.begin(), rule.ByDay.end(),
                                                  [&](const RecurrenceRule::Day& bd) { return bd.Weekday == weekday; });
            if (picked && MonthAllowed(rule, DecodeDate(day).month))
                days.push_back(day);
        }
        break;
    }
    case F::Monthly: {
        const long index = (static_cast<long>(s.year) * 12 + s.month - 1) + static_cast<long>(rule.Interval) * p;
        const int year = static_cast<int>(index / 12);
        const int month = static_cast<int>(index % 12) + 1;
        if (year > 9999 || !MonthAllowed(rule, month))
            break;
        for (int d : DaysInMonthPicked(rule, year, month, s.day))
            days.push_back(EncodeDate(year, month, d));
        break;
    }
    case F::Yearly: {
        const long year = s.year + static_cast<long>(rule.Interval) * p;
        if (year > 9999)
            break;
        for (int month = 1; month <= 12; ++month) {
            if (rule.ByMonth.empty() ? month != s.month : !MonthAllowed(rule, month))
                continue;
            for (int d : DaysInMonthPicked(rule, static_cast<int>(year), month, s.day))
                days.push_back(EncodeDate(static_cast<int>(year), month, d));
        }
        break;
    }
    default:
        break;
    }
    return days;
}

}  // namespace

const char* WeekdayCode(int weekday)
{
    return weekday >= 1 && weekday <= 7 ? kCodes[weekday - 1] : "";
}

RecurrenceRule ParseRecurrenceRule(std::string_view value, int line,
                                   const std::function<std::optional<TDateTime>(std::string_view)>& until)
{
    using F = RecurrenceRule::Freq;
    RecurrenceRule rule;
    bool haveFreq = false;
    auto bad = [&](std::string_view part) {
        return ExchangeError(line, "the repeat rule's part \"" + std::string(part) + "\" cannot be read");
    };
    for (std::string_view part : Split(value, ';')) {
        if (part.empty())
            continue;
        const std::size_t eq = part.find('=');
        if (eq == std::string_view::npos)
            throw bad(part);
        const std::string key = AsciiUpper(part.substr(0, eq));
        const std::string val = AsciiUpper(part.substr(eq + 1));
        if (key == "FREQ") {
            static const std::pair<const char*, F> kFreqs[] = {
                {"SECONDLY", F::Secondly}, {"MINUTELY", F::Minutely}, {"HOURLY", F::Hourly}, {"DAILY", F::Daily},
                {"WEEKLY", F::Weekly},     {"MONTHLY", F::Monthly},   {"YEARLY", F::Yearly}};
            for (const auto& [name, f] : kFreqs)
                if (val == name) {
                    rule.Frequency = f;
                    haveFreq = true;
                }
            if (!haveFreq)
                throw bad(part);
        } else if (key == "INTERVAL") {
            if (!ReadInt(val, rule.Interval) || rule.Interval < 1)
                throw bad(part);
        } else if (key == "COUNT") {
            if (!ReadInt(val, rule.Count) || rule.Count < 1)
                throw bad(part);
        } else if (key == "UNTIL") {
            rule.Until = until(part.substr(eq + 1));
            if (!rule.Until)
                throw bad(part);
        } else if (key == "BYDAY") {
            for (std::string_view d : Split(val, ',')) {
                if (d.size() < 2)
                    throw bad(part);
                RecurrenceRule::Day day;
                const std::string_view code = d.substr(d.size() - 2);
                day.Weekday = 0;
                for (int w = 1; w <= 7; ++w)
                    if (code == kCodes[w - 1])
                        day.Weekday = w;
                if (day.Weekday == 0)
                    throw bad(part);
                if (d.size() > 2 && (!ReadInt(d.substr(0, d.size() - 2), day.Ordinal) || day.Ordinal == 0 ||
                                     day.Ordinal < -53 || day.Ordinal > 53))
                    throw bad(part);
                rule.ByDay.push_back(day);
            }
        } else if (key == "BYMONTH" || key == "BYMONTHDAY") {
            auto& list = key == "BYMONTH" ? rule.ByMonth : rule.ByMonthDay;
            for (std::string_view n : Split(val, ',')) {
                int v = 0;
                const bool ok = ReadInt(n, v) && (key == "BYMONTH" ? v >= 1 && v <= 12 : v != 0 && v >= -31 && v <= 31);
                if (!ok)
                    throw bad(part);
                list.push_back(v);
            }
        } else if (key == "WKST") {
            // Only matters to weekly rules with an interval above one and
            // several days; Monday, the default, is what everyone writes.
        } else {
            rule.Unsupported += (rule.Unsupported.empty() ? "" : ", ") + key;
        }
    }
    if (!haveFreq)
        throw ExchangeError(line, "the repeat rule has no FREQ");
    std::sort(rule.ByMonth.begin(), rule.ByMonth.end());
    return rule;
}

std::optional<TDateTime> NextOccurrence(const RecurrenceRule& rule, TDateTime start, TDateTime after)
{
    using F = RecurrenceRule::Freq;
    if (!rule.Unsupported.empty())
        return std::nullopt;
    auto ended = [&](TDateTime t, long count) {
        return (rule.Count > 0 && count > rule.Count) || (rule.Until && t > *rule.Until + 1e-9);
    };
    // The start itself is always the first time.
    if (start > after)
        return start;
    if (rule.Frequency == F::Secondly || rule.Frequency == F::Minutely || rule.Frequency == F::Hourly) {
        if (!rule.ByDay.empty() || !rule.ByMonth.empty() || !rule.ByMonthDay.empty())
            return std::nullopt;
        const double unit = rule.Frequency == F::Secondly ? 1.0 / 86400 : rule.Frequency == F::Minutely ? 1.0 / 1440 : 1.0 / 24;
        const double step = unit * rule.Interval;
        const double n = std::floor((after - start) / step) + 1;
        const TDateTime t = start + n * step;
        if (ended(t, static_cast<long>(n) + 1))
            return std::nullopt;
        return t;
    }
    for (const RecurrenceRule::Day& d : rule.ByDay)
        if (d.Ordinal != 0 && (rule.Frequency == F::Daily || rule.Frequency == F::Weekly ||
                               (rule.Frequency == F::Yearly && rule.ByMonth.empty())))
            return std::nullopt;
    const TDateTime startDay = DateOf(start);
    const TDateTime time = start - startDay;
    // About where period p begins, in days from the start.
    const double periodDays = rule.Frequency == F::Daily     ? 1.0
                              : rule.Frequency == F::Weekly  ? 7.0
                              : rule.Frequency == F::Monthly ? 28.0
                                                             : 365.0;
    // A rule that gives any time at all gives one within a few decades
    // (29 February on a Monday: 28 years); four centuries past `after`, or
    // past the last day there is, it gives none.
    const double horizon = std::min(after + 146097.0, static_cast<double>(MaxDayNumber));
    long count = 1;
    for (long p = 0; startDay + periodDays * rule.Interval * static_cast<double>(p) <= horizon; ++p) {
        for (TDateTime day : PeriodDays(rule, startDay, p)) {
            const TDateTime t = day + time;
            if (t <= start + 1e-9)
                continue;
            ++count;
            if (ended(t, count))
                return std::nullopt;
            if (t > after)
                return t;
        }
    }
    return std::nullopt;
}
