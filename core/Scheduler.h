// The once-a-second scheduler tick as a unit that needs no window: it decides
// which events and birthdays are due and hands each one to its host, which
// fires it and returns when the firing is over.
#pragma once

#include "core/DateTime.h"

class EventList;
class IClock;

// The side that fires what the tick finds due (the main window).
class ISchedulerHost {
public:
    virtual ~ISchedulerHost() = default;
    // Fire the event at this index of the list; snooze: a snooze (or missed)
    // run rather than a regular one. Returns when the firing is over; the
    // event may have been removed from the list by then.
    virtual void FireEvent(int index, bool snooze) = 0;
    // Fire the birthday at this position of the birthday list.
    virtual void FireBirthday(int index) = 0;
    // The day changed: the upcoming-reminders window should rebuild.
    virtual void RefreshTooltip() = 0;
};

// The birthdays as the daily scan sees them.
class IBirthdayScan {
public:
    virtual ~IBirthdayScan() = default;
    virtual int BirthdayCount() const = 0;
    // Whether the birthday at this position is enabled and due on today (the
    // day itself or one of its chosen early reminders).
    virtual bool BirthdayDueOn(int index, TDateTime today) const = 0;
};

// The scheduler state and its tick. Not thread-safe by itself: whoever drives
// Tick from a timer thread must keep the event list from changing under it
// (or run the tick on the thread that owns the list).
class Scheduler {
public:
    Scheduler(const IClock& clock, EventList& events, ISchedulerHost& host,
              const IBirthdayScan* birthdays = nullptr);

    TDateTime NextDueTime = 0;
    TDateTime TickNow = 0;
    TDateTime LastFiredDue = 0;
    TDateTime LastBirthdayScanDate = 0;

    // The start-up values: NextDueTime from the events, TickNow now, the
    // birthday scan due at the first tick, LastFiredDue 0.
    void Start();
    // NextDueTime := ComputeNextDue at the clock's now.
    void RecomputeNextDue();
    // One tick: the event scan when NextDueTime is reached (or less than
    // Epsilon away), then the birthday scan once per calendar day, which ends
    // with host.RefreshTooltip(). Allocates nothing when nothing is due.
    void Tick();

private:
    void ScanEvents();
    void ScanBirthdays(TDateTime today);

    const IClock& clock_;
    EventList& events_;
    ISchedulerHost& host_;
    const IBirthdayScan* birthdays_;
};
