#include "shell/QuickEvent.h"

#include <array>

#include "alerts/Snooze.h"

namespace {

constexpr std::array<QuickEventItem, 20> kInItems{{
    {"3 min", 3, false},      {"5 min", 5, false},      {"15 min", 15, false},
    {"20 min", 20, false},    {"25 min", 25, false},    {"30 min", 30, false},
    {"35 min", 35, false},    {"45 min", 45, false},    {"50 min", 50, false},
    {"55 min", 55, false},    {"1 hour", 60, true},     {"3 hours", 180, false},
    {"5 hours", 300, false},  {"7 hours", 420, false},  {"10 hours", 600, false},
    {"12 hours", 720, false}, {"15 hours", 900, false}, {"18 hours", 1080, false},
    {"20 hours", 1200, false}, {"23 hours", 1380, false},
}};

constexpr std::array<QuickEventItem, 10> kOnItems{{
    {"1 day", 1, false},     {"3 days", 3, false},     {"5 days", 5, false},
    {"1 week", 7, false},    {"3 weeks", 21, false},   {"1 month", 31, true},
    {"3 months", 93, false}, {"6 months", 186, false}, {"9 months", 279, false},
    {"1 year", 372, false},
}};

constexpr std::array<QuickEventItem, 7> kNearItems{{
    {"Sunday", 1, false},   {"Monday", 2, false}, {"Tuesday", 3, false},
    {"Wednesday", 4, false}, {"Thursday", 5, false}, {"Friday", 6, false},
    {"Saturday", 7, false},
}};

constexpr long long kMsPerHour = 3'600'000;

long long MillisecondOfDay(TDateTime value)
{
    const TimeParts t = DecodeTime(value);
    return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

TDateTime AtTime(int hour, TDateTime now)
{
    if (hour < 0 || hour >= QuickAtItemCount)
        return now;
    // Compared in whole milliseconds, the resolution of the clock: at
    // 09:00:00.000 the hour 9 is still today's.
    const TDateTime today = DateOf(now);
    const TDateTime day = MillisecondOfDay(now) <= hour * kMsPerHour ? today : today + 1;
    return EncodeDateTime(DecodeDate(day), TimeParts{hour, 0, 0, 0});
}

TDateTime NearTime(int weekday, TDateTime now)
{
    if (weekday < 1 || weekday > 7)
        return now;  // no day of the week would ever match
    // Seven days hold every weekday; the bound also keeps a moment the
    // calendar cannot name from looping for ever.
    for (int days = 0; days < 7; ++days)
        if (DayOfWeek(now + days) == weekday)
            return now + days;
    return now;
}

}  // namespace

std::span<const QuickEventItem> QuickInItems() { return kInItems; }
std::span<const QuickEventItem> QuickOnItems() { return kOnItems; }
std::span<const QuickEventItem> QuickNearItems() { return kNearItems; }

std::string QuickAtCaption(int hour)
{
    return std::to_string(hour) + ":00:00";
}

TDateTime QuickEventTime(QuickEventKind kind, int tag, TDateTime now)
{
    switch (kind) {
    case QuickEventKind::In:
        return now + tag * (1.0 / 1440.0);
    case QuickEventKind::On:
        // The same days-or-months rule as a note's "Remind later" > "On".
        return SnoozeOnTime(now, tag);
    case QuickEventKind::At:
        return AtTime(tag, now);
    case QuickEventKind::Near:
        return NearTime(tag, now);
    }
    return now;
}
