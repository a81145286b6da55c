#include "core/Occurrence.h"

#include <cmath>
#include <vector>

#include "core/Event.h"
#include "core/Ini.h"

namespace {

// Moments closer than Epsilon are the same moment. The difference is taken in
// extended precision, as the constant itself is.
bool Near(TDateTime a, TDateTime b)
{
    return std::fabs(static_cast<long double>(a) - static_cast<long double>(b)) < Epsilon;
}

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

TDateTime ComputeNextDue(const EventList& list, TDateTime now)
{
    if (list.Empty())
        return 0;
    TDateTime best = NoDueTime;
    // A moment counts when it is ahead of now or less than Epsilon behind it;
    // start and snooze moments compete on equal terms.
    auto consider = [&](TDateTime t) {
        if ((t > now || Near(t, now)) && t < best)
            best = t;
    };
    for (int i = 0; i < list.Count(); ++i) {
        const TEvent& e = list[i];
        if (!e.Enabled)
            continue;
        consider(e.StartDateTime);
        consider(e.SnoozeDateTime);
    }
    return best;
}

TDateTime EarliestMomentAfter(const EventList& list, TDateTime after)
{
    if (list.Empty())
        return 0;
    TDateTime best = NoDueTime;
    for (int i = 0; i < list.Count(); ++i) {
        const TEvent& e = list[i];
        if (!e.Enabled)
            continue;
        for (TDateTime t : {e.StartDateTime, e.SnoozeDateTime})
            if (t > after && t < best)
                best = t;
    }
    return best;
}

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

void AdvanceStart(TEvent& event, IniFile& file, IEventRows* rows)
{
    switch (event.PeriodInd) {
    case pkHourly:
    case pkWeekly:
    case pkAnnually:
        event.StartDateTime += event.DifDateTime;
        break;
    case pkDaily:
        event.StartDateTime += DaysToNextWeekday(event.DaysBin, event.StartDateTime);
        break;
    case pkMonthly:
        event.StartDateTime += DaysToNextMonth(event.MonthsBin, event.StartDateTime);
        break;
    default:
        break;
    }
    if (IsPeriodic(event.PeriodInd) && rows != nullptr)
        rows->StartChanged(event);
    event.WriteKey(file, "StartDateTime");
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

namespace {

// A fixed step can be many steps behind (an hourly event after a month off):
// jump close, then step.
TDateTime StepsAhead(TDateTime start, double step, TDateTime now)
{
    const double behind = now - start;
    if (behind > step)
        start += std::floor(behind / step - 1) * step;
    while (!(start > now || Near(start, now)))
        start += step;
    return start;
}

bool OnAllowedDay(const TEvent& e)
{
    if (e.PeriodInd == pkDaily)
        return Selected(e.DaysBin, DayOfWeek(e.StartDateTime));
    if (e.PeriodInd == pkMonthly)
        return Selected(e.MonthsBin, DecodeDate(e.StartDateTime).month);
    return true;
}

}  // namespace

bool MoveStartAhead(TEvent& e, TDateTime now)
{
    if (!IsPeriodic(e.PeriodInd) || e.StartDateTime == NeverTime || !InCalendar(e.StartDateTime))
        return false;
    const TDateTime before = e.StartDateTime;
    switch (e.PeriodInd) {
    case pkHourly:
    case pkWeekly:
    case pkAnnually:
        if (e.DifDateTime > 0 && e.StartDateTime < now && !Near(e.StartDateTime, now))
            e.StartDateTime = StepsAhead(e.StartDateTime, e.DifDateTime, now);
        break;
    case pkDaily:
    case pkMonthly: {
        auto step = [&e] {
            return e.PeriodInd == pkDaily ? static_cast<double>(DaysToNextWeekday(e.DaysBin, e.StartDateTime))
                                          : DaysToNextMonth(e.MonthsBin, e.StartDateTime);
        };
        if (step() <= 0)
            break;  // nothing selected: never runs, as before
        if (!OnAllowedDay(e))
            e.StartDateTime += step();
        // Whole weeks keep the weekday; the rest goes day by day (at most a
        // week) or month by month.
        if (e.PeriodInd == pkDaily && now - e.StartDateTime > 7)
            e.StartDateTime += 7 * std::floor((now - e.StartDateTime) / 7);
        while (!(e.StartDateTime > now || Near(e.StartDateTime, now)) && InCalendar(e.StartDateTime))
            e.StartDateTime += step();
        break;
    }
    default:
        break;
    }
    return e.StartDateTime != before;
}

void MoveStartsAhead(EventList& list, IniFile& file, TDateTime now, IEventRows* rows)
{
    std::vector<const TEvent*> moved;
    for (int i = 0; i < list.Count(); ++i) {
        TEvent& e = list[i];
        if (!MoveStartAhead(e, now))
            continue;
        moved.push_back(&e);
        if (rows != nullptr)
            rows->StartChanged(e);
    }
    if (moved.empty())
        return;
    // One write for all of them: after a week off there may be thousands.
    file.Edit([&](IniText& text) {
        for (const TEvent* e : moved)
            text.Write(e->Name, "StartDateTime", e->KeyText("StartDateTime"));
    });
}

void ProcessMissedEvents(EventList& list, IniFile& file, TDateTime now, IEventRows* rows)
{
    // From the end down, so that removing entry i leaves the indexes still to
    // visit as they were.
    for (int i = list.Count() - 1; i >= 0; --i) {
        TEvent& e = list[i];
        if (!(e.StartDateTime < now))
            continue;
        switch (e.ExpiredInd) {
        case ekDelete:
            // The file first: when it cannot be written the event stays in
            // the list, matching what is on disk.
            e.EraseFromFile(file);
            if (rows != nullptr)
                rows->Removing(i, e);
            list.Delete(i);
            break;
        case ekRunAgain:
            if (e.StartDateTime > e.LastDateTime) {
                e.MissedRun = true;
                e.SnoozeDateTime = now + e.Dif2DateTime;
            }
            break;
        default:
            break;
        }
    }
    // Left where they were, they would never run again.
    MoveStartsAhead(list, file, now, rows);
}

std::string PeriodName(int periodInd)
{
    static const char* const names[] = {"Once", "Hourly", "Daily", "Weekly", "Monthly", "Annually"};
    if (periodInd < 0 || periodInd > 5)
        return {};
    return names[periodInd];
}
