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
    // After an event scan: periodic starts that lie behind now (the events
    // that did not run, or whose one step left them behind) move ahead
    // (MoveStartsAhead).
    virtual void MoveStartsAhead(TDateTime now) = 0;
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
    // Every moment up to here has been looked at by an event scan.
    TDateTime ScannedUntil = 0;

    // A run is late, and its note says "Missing...", when it comes this long
    // after its moment (a sleep, a long countdown, the clock put forward).
    static constexpr double kLate = 1.0 / 1440;

    // The start-up values: NextDueTime from the events, TickNow now, the
    // birthday scan due at the first tick, LastFiredDue 0.
    void Start();
    // NextDueTime := ComputeNextDue at the clock's now (after an edit, a
    // snooze, a check box), unless a scan is already due.
    void RecomputeNextDue();
    // The clock was set or the computer woke up: the next scan looks at
    // every moment since the last one (none when the clock went back past
    // it), at the next tick when one has passed.
    void ClockChanged();
    // One tick: the event scan when NextDueTime is reached (or less than
    // Epsilon away), then the birthday scan once per calendar day, which ends
    // with host.RefreshTooltip(). Allocates nothing when nothing is due.
    //
    // The event scan fires, oldest first, every enabled event whose start or
    // snooze moment fell due since the previous scan and that may run now:
    // none is passed over after a sleep or a clock jump, and none fires twice
    // for one start (an event whose LastDateTime is at or after its start has
    // run for it). Then the host moves periodic starts ahead of now.
    void Tick();

private:
    void ScanEvents();
    void ScanBirthdays(TDateTime today);

    const IClock& clock_;
    EventList& events_;
    ISchedulerHost& host_;
    const IBirthdayScan* birthdays_;
};
