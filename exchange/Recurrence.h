// Repeat rules of iCalendar events (RRULE, RFC 5545 section 3.3.10): reading
// them, and finding the next time a rule gives, so that an event that
// repeats in a way the program's period kinds cannot express still comes in
// once, at its next time.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"

struct RecurrenceRule {
    enum class Freq { Secondly, Minutely, Hourly, Daily, Weekly, Monthly, Yearly };
    Freq Frequency = Freq::Daily;
    int Interval = 1;
    int Count = 0;                    // 0: no count
    std::optional<TDateTime> Until;   // local time; nothing: no end
    struct Day {
        int Ordinal = 0;  // 0: every such weekday; 1..5 or -1..-5 within the month or year
        int Weekday = 1;  // 1 = Sunday .. 7 = Saturday
        bool operator==(const Day&) const = default;
    };
    std::vector<Day> ByDay;
    std::vector<int> ByMonth;     // 1..12
    std::vector<int> ByMonthDay;  // 1..31 or -1..-31
    // Parts the program does not follow (BYSETPOS, BYWEEKNO, BYYEARDAY,
    // BYHOUR, BYMINUTE, BYSECOND): named here; NextOccurrence then gives
    // nothing and the caller takes the event's own start.
    std::string Unsupported;
};

// Reads an RRULE value. until converts its UNTIL value (a date or date-time
// text as the file holds it) to local time; it returns nothing for a text it
// cannot read. Throws ExchangeError (at line) for a rule without a readable
// FREQ, or with a part whose value cannot be read.
RecurrenceRule ParseRecurrenceRule(std::string_view value, int line,
                                   const std::function<std::optional<TDateTime>(std::string_view)>& until);

// The first time the rule gives, from start (itself the first), that lies
// after `after`; nothing when the rule ends before, or has parts the program
// does not follow. Times are local wall-clock times.
std::optional<TDateTime> NextOccurrence(const RecurrenceRule& rule, TDateTime start, TDateTime after);

// The weekday codes of RFC 5545, "SU" for 1 .. "SA" for 7.
const char* WeekdayCode(int weekday);
