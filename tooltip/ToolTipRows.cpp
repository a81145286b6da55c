#include "tooltip/ToolTipRows.h"

#include "birthdays/Birthday.h"
#include "birthdays/BirthdayRules.h"
#include "core/DateFormat.h"
#include "core/Event.h"
#include "shell/SysInfo.h"

namespace {

// What an event lists as "no longer ahead".
constexpr int kPassed = 100;
constexpr double kTolerance = 1e-5;

std::string DaysLeftText(int days)
{
    return std::to_string(days) + " day(s) left";
}

int ClassOf(int days)
{
    return days == 0 ? rcToday : days == 1 ? rcTomorrow : rcLater;
}

}  // namespace

std::vector<TooltipRow> BuildTooltipRows(const BirthdayList& birthdays, const EventList& events, TDateTime now,
                                         int birthdayIconCount, const std::string& shortTimeFormat)
{
    const TDateTime today = DateOf(now);
    std::vector<TooltipRow> rows;
    for (int i = 0; i < birthdays.Count(); ++i) {
        const TBirthday& b = birthdays[i];
        if (!b.Enabled)
            continue;
        // Counted to next year's anniversary once this year's has passed, so
        // a birthday early in January shows in late December too.
        const int days = DaysLeft(b, today);
        if (b.ShowInTTDaysBefore < days)
            continue;
        rows.push_back(TooltipRow{birthdays.NameAt(i) + "'s birthday", b.IconIndex,
                                  days > 0 ? DaysLeftText(days) : "", ClassOf(days)});
    }
    for (int i = 0; i < events.Count(); ++i) {
        const TEvent& e = events[i];
        if (!e.Enabled)
            continue;
        const TDateTime startDay = DateOf(e.StartDateTime);
        const int days = today > startDay ? kPassed : static_cast<int>(startDay - today);
        if (e.ShowInTTDaysBefore < days)
            continue;
        TooltipRow row{e.Name, e.IconIndex + birthdayIconCount, "", ClassOf(days)};
        if (days > 0) {
            row.Second = DaysLeftText(days);
        } else {
            row.Second = FormatDateTime(shortTimeFormat, e.StartDateTime);
            if (CompareDateTimes(4, e.StartDateTime, now, kTolerance))
                row.Class = rcPassed;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

int TooltipHeight(int rows, bool zodiac)
{
    return 25 + 17 * rows + (zodiac ? 50 : 0) + (rows > 0 ? 50 : 0);
}
