#include "core/Scheduler.h"

#include <cmath>

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
    NextDueTime = ComputeNextDue(events_, now);
    TickNow = now;
    // Yesterday, so that the first tick runs the birthday scan.
    LastBirthdayScanDate = DateOf(now) - 1;
    LastFiredDue = 0;
}

void Scheduler::RecomputeNextDue()
{
    NextDueTime = ComputeNextDue(events_, clock_.Now());
}

void Scheduler::Tick()
{
    // The idle path, taken nearly every second: two comparisons, no scan.
    TickNow = clock_.Now();
    TDateTime today = DateOf(TickNow);
    if (TickNow > NextDueTime || Near(TickNow, NextDueTime)) {
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
    bool fired = false;
    // From the last index down: a firing may delete the event it fires, and
    // the entries still to visit then keep their indexes.
    for (int i = events_.Count() - 1; i >= 0; --i) {
        // The host may have removed more than the fired entry (the window
        // stays usable while a countdown runs), so the index is checked anew.
        if (i >= events_.Count())
            continue;
        const TEvent& e = events_[i];
        const bool notYetFiredAtThisMoment = !Near(NextDueTime, LastFiredDue);
        if (Near(e.StartDateTime, NextDueTime) && !Near(TickNow, e.LastDateTime) &&
            notYetFiredAtThisMoment && CanRunNow(e, TickNow)) {
            host_.FireEvent(i, false);
            fired = true;
            // No snooze test for this index: it may now hold another event.
            continue;
        }
        if (Near(e.SnoozeDateTime, NextDueTime) && !Near(e.SnoozeDateTime, e.LastDateTime) &&
            notYetFiredAtThisMoment && CanRunNow(e, TickNow)) {
            host_.FireEvent(i, true);
            fired = true;
        }
    }
    if (fired)
        LastFiredDue = NextDueTime;
    NextDueTime = ComputeNextDue(events_, clock_.Now());
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
