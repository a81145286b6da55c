#include "core/Scheduler.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Event.h"
#include "core/Occurrence.h"

namespace {

bool Near(TDateTime a, TDateTime b)
{
    return std::fabs(static_cast<long double>(a) - static_cast<long double>(b)) < Epsilon;
}

}  // namespace

Scheduler::Scheduler(const IClock& clock, EventList& events, ISchedulerHost& host,
                     const IBirthdayScan* birthdays)
    : clock_(clock), events_(events), host_(host), birthdays_(birthdays)
{
}

void Scheduler::Start()
{
    const TDateTime now = clock_.Now();
    TickNow = now;
    // Moments less than Epsilon behind now still count as ahead.
    ScannedUntil = now - static_cast<double>(Epsilon);
    NextDueTime = EarliestMomentAfter(events_, ScannedUntil);
    // Yesterday, so that the first tick runs the birthday scan.
    LastBirthdayScanDate = DateOf(now) - 1;
    LastFiredDue = 0;
}

void Scheduler::RecomputeNextDue()
{
    // Everything after the last scan is still to come, also what a sleep or
    // a long firing has left behind now.
    NextDueTime = EarliestMomentAfter(events_, ScannedUntil);
}

void Scheduler::ClockChanged()
{
    const TDateTime now = clock_.Now();
    // Set back: the moments after now are ahead again.
    if (now < ScannedUntil)
        ScannedUntil = now - static_cast<double>(Epsilon);
    RecomputeNextDue();
}

void Scheduler::Tick()
{
    // The idle path, taken nearly every second: a few comparisons, no scan.
    TickNow = clock_.Now();
    if (TickNow < ScannedUntil - static_cast<double>(Epsilon))
        ClockChanged();
    TDateTime today = DateOf(TickNow);
    if (!(TickNow > NextDueTime || Near(TickNow, NextDueTime))) {
        // Nothing was due up to now.
        ScannedUntil = std::max(ScannedUntil, TickNow - static_cast<double>(Epsilon));
    } else {
        ScanEvents();
        // A firing can take long (a modal countdown); the day is the one the
        // firing ended in.
        today = clock_.Today();
    }
    if (today != LastBirthdayScanDate)
        ScanBirthdays(today);
}

void Scheduler::ScanEvents()
{
    const TDateTime from = ScannedUntil;
    const TDateTime until = TickNow + static_cast<double>(Epsilon);
    auto due = [&](TDateTime t) { return t > from && t <= until && !Near(t, LastFiredDue); };
    struct Run {
        TDateTime moment;
        int index;
        bool snooze;
        std::string name;
    };
    std::vector<Run> runs;
    for (int i = 0; i < events_.Count(); ++i) {
        const TEvent& e = events_[i];
        if (!e.Enabled)
            continue;
        // Run for this start already (also before the clock was set back).
        const bool ranForStart = e.LastDateTime > e.StartDateTime || Near(e.LastDateTime, e.StartDateTime);
        if (due(e.StartDateTime) && !ranForStart)
            runs.push_back(Run{e.StartDateTime, i, false, e.Name});
        else if (e.SnoozeDateTime != 0 && due(e.SnoozeDateTime) && !Near(e.SnoozeDateTime, e.LastDateTime))
            runs.push_back(Run{e.SnoozeDateTime, i, true, e.Name});
    }
    // Oldest first; at one moment the event later in the file first.
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return a.moment != b.moment ? a.moment < b.moment : a.index > b.index;
    });
    bool fired = false;
    for (const Run& run : runs) {
        // A firing may remove or move events (a once event deleting itself,
        // the user during a countdown): the event is found again by name.
        const int index = events_.IndexOf(run.name);
        if (index < 0)
            continue;
        TEvent& e = events_[index];
        const TDateTime now = clock_.Now();
        // The weekday and month masks are checked when the run happens.
        if (!CanRunNow(e, now))
            continue;
        if (run.moment < now - kLate)
            e.MissedRun = true;
        host_.FireEvent(index, run.snooze);
        fired = true;
    }
    ScannedUntil = until;
    if (fired)
        LastFiredDue = NextDueTime;
    // Only as far as the scan looked: what fell due during a long firing is
    // the next scan's.
    host_.MoveStartsAhead(until);
    RecomputeNextDue();
}

void Scheduler::ScanBirthdays(TDateTime today)
{
    if (birthdays_ != nullptr) {
        // The count is read on every round: a firing cannot be trusted to
        // leave the list as it was.
        for (int i = 0; i < birthdays_->BirthdayCount(); ++i)
            if (birthdays_->BirthdayDueOn(i, today))
                host_.FireBirthday(i);
    }
    LastBirthdayScanDate = today;
    host_.RefreshTooltip();
}
