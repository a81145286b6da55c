#include "core/Occurrence.h"

#include <cmath>

#include "core/Event.h"
#include "core/Clock.h"

namespace {

// Position is 1-based (1 = Sunday or January). Anything but "1", and any
// position past the end of a short mask, is "not selected".
bool Selected(std::string_view mask, int position)
{
    return position >= 1 && static_cast<size_t>(position) <= mask.size() &&
           mask[static_cast<size_t>(position) - 1] == '1';
}

// The calendar only covers the years 1 to 9999; a moment outside (a garbage
// value in a hand-edited file) has no weekday or month to step from.
bool InCalendar(TDateTime d)
{
    // The whole-day part is truncated toward zero, so the first day's moments
    // reach down to MinDayNumber - 1 (exclusive).
    return d > MinDayNumber - 1.0 && d < MaxDayNumber + 1.0;
}

bool IsPeriodic(int periodInd)
{
    return periodInd >= pkHourly && periodInd <= pkAnnually;
}

}  // namespace

bool CanRunNow(const TEvent& event, TDateTime now)
{
    if (!event.Enabled)
        return false;
    switch (event.PeriodInd) {
    case pkDaily:
        return InCalendar(now) && Selected(event.DaysBin, DayOfWeek(now));
    case pkMonthly:
        return InCalendar(now) && Selected(event.MonthsBin, DecodeDate(now).month);
    default:
        return true;
    }
}

int DaysToNextWeekday(std::string_view mask, TDateTime d)
{
    if (!InCalendar(d))
        return 0;
    const int w = DayOfWeek(d);
    for (int k = 1; k <= 7; ++k)
        if (Selected(mask, ((w - 1 + k) % 7) + 1))
            return k;
    return 0;
}

double DaysToNextMonth(std::string_view mask, TDateTime d)
{
    if (!InCalendar(d))
        return 0;
    const int m = DecodeDate(d).month;
    // The step is a whole number of days; rounding keeps the start's time of
    // day exact instead of collecting the rounding error of each month.
    auto step = [d](int months) {
        const TDateTime target = IncMonth(d, months);
        return InCalendar(target) ? std::round(target - d) : 0.0;
    };
    for (int k = 1; k <= 11; ++k)
        if (Selected(mask, ((m - 1 + k) % 12) + 1))
            return step(k);
    if (Selected(mask, m))
        return step(12);
    return 0;
}

bool StartIsSlot(const TEvent& e)
{
    if (!InCalendar(e.StartDateTime))
        return e.PeriodInd != pkDaily && e.PeriodInd != pkMonthly;
    if (e.PeriodInd == pkDaily)
        return Selected(e.DaysBin, DayOfWeek(e.StartDateTime));
    if (e.PeriodInd == pkMonthly)
        return Selected(e.MonthsBin, DecodeDate(e.StartDateTime).month);
    return true;
}

bool HasSlots(const TEvent& e)
{
    if (!IsPeriodic(e.PeriodInd) || e.StartDateTime == NeverTime || !InCalendar(e.StartDateTime))
        return false;
    switch (e.PeriodInd) {
    case pkDaily:
        return DaysToNextWeekday(e.DaysBin, e.StartDateTime) > 0;
    case pkMonthly:
        return DaysToNextMonth(e.MonthsBin, e.StartDateTime) > 0;
    default:
        return e.DifDateTime > 0;
    }
}

TDateTime NextSlot(const TEvent& e, TDateTime slot)
{
    switch (e.PeriodInd) {
    case pkHourly:
    case pkWeekly:
    case pkAnnually:
        return e.DifDateTime > 0 ? slot + e.DifDateTime : slot;
    case pkDaily:
        return slot + DaysToNextWeekday(e.DaysBin, slot);
    case pkMonthly:
        return slot + DaysToNextMonth(e.MonthsBin, slot);
    default:
        return slot;
    }
}

TDateTime PreviousSlot(const TEvent& e, TDateTime slot)
{
    if (!InCalendar(slot))
        return slot;
    switch (e.PeriodInd) {
    case pkHourly:
    case pkWeekly:
    case pkAnnually:
        return e.DifDateTime > 0 ? slot - e.DifDateTime : slot;
    case pkDaily: {
        const int w = DayOfWeek(slot);
        for (int k = 1; k <= 7; ++k)
            if (Selected(e.DaysBin, ((w - 1 - k + 14) % 7) + 1))
                return slot - k;
        return slot;
    }
    case pkMonthly: {
        const int m = DecodeDate(slot).month;
        for (int k = 1; k <= 12; ++k) {
            if (!Selected(e.MonthsBin, ((m - 1 - k + 24) % 12) + 1))
                continue;
            const TDateTime back = IncMonth(slot, -k);
            return InCalendar(back) ? slot - std::round(slot - back) : slot;
        }
        return slot;
    }
    default:
        return slot;
    }
}

bool MoveStartAhead(TEvent& e, const IClock& clock, double now)
{
    if (!HasSlots(e))
        return false;
    const TDateTime before = e.StartDateTime;
    const bool laterBefore = e.StartLater;
    if (!StartIsSlot(e)) {
        e.StartDateTime = NextSlot(e, e.StartDateTime);
        e.StartLater = false;
    }
    if (e.PeriodInd == pkHourly) {
        // Real hours: an autumn night's repeated hour has its run, and a
        // spring night's missing hour is no slot.
        double instant = clock.InstantOf(e.StartDateTime, e.StartLater);
        if (instant <= now) {
            instant += std::floor((now - instant) / e.DifDateTime) * e.DifDateTime;
            while (instant <= now)
                instant += e.DifDateTime;
            e.StartDateTime = clock.LocalOf(instant);
            e.StartLater = clock.IsSecondShowing(e.StartDateTime, instant);
        }
    } else {
        // Whole steps close to now first (a weekly event after years off),
        // then one slot at a time, each kind keeping its time of day.
        const TDateTime local = clock.LocalOf(now);
        const double behind = local - e.StartDateTime;
        if (e.PeriodInd == pkDaily && behind > 7)
            e.StartDateTime += 7 * std::floor(behind / 7 - 1);
        else if ((e.PeriodInd == pkWeekly || e.PeriodInd == pkAnnually) && behind > e.DifDateTime)
            e.StartDateTime += e.DifDateTime * std::floor(behind / e.DifDateTime - 1);
        while (clock.InstantOf(e.StartDateTime) <= now && InCalendar(e.StartDateTime)) {
            e.StartDateTime = NextSlot(e, e.StartDateTime);
            e.StartLater = false;
        }
    }
    return e.StartDateTime != before || e.StartLater != laterBefore;
}

std::string PeriodName(int periodInd)
{
    static const char* const names[] = {"Once", "Hourly", "Daily", "Weekly", "Monthly", "Annually"};
    if (periodInd < 0 || periodInd > 5)
        return {};
    return names[periodInd];
}
