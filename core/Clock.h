// The source of "now" and the zone's rules. Everything that asks for the time
// takes a clock so that tests can set it; the program uses the system's.
//
// Stored moments (TDateTime) are local wall-clock times, as the files hold
// them. Where real time matters (an hourly event over a daylight-saving
// night, a snooze of 15 minutes, telling a clock set back from an hour
// repeated in autumn), moments are compared as instants: days since
// 30 December 1899 in UTC.
#pragma once

#include "core/DateTime.h"

class IClock {
public:
    virtual ~IClock() = default;
    // Local date and time with millisecond resolution.
    virtual TDateTime Now() const = 0;
    TDateTime Today() const { return DateOf(Now()); }

    // Now as an instant. Without zone rules local time is the instant.
    virtual double NowInstant() const { return Now(); }
    // The local time of an instant.
    virtual TDateTime LocalOf(double instant) const { return instant; }
    // The instant of a local time. A time the clocks skip (spring forward)
    // is the instant they jump to; a time they show twice (fall back) is
    // its first showing, or its second when later.
    virtual double InstantOf(TDateTime local, bool later = false) const
    {
        static_cast<void>(later);
        return local;
    }
    // Whether local is the second showing of a time the clocks show twice.
    bool IsSecondShowing(TDateTime local, double instant) const;
};

// The local wall clock of this computer.
const IClock& SystemClock();

// InstantOf for a clock that can only turn instants into local times: the
// two offsets around the moment are tried, and a skipped time is searched
// for. Assumes at most one change of offset within a day of the moment.
double InstantOfLocal(const IClock& clock, TDateTime local, bool later);

// A clock that stands still until told otherwise; for tests and benchmarks.
class ManualClock final : public IClock {
public:
    explicit ManualClock(TDateTime now = 0) : now_(now) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }
    void Advance(TDateTime days) { now_ += days; }

private:
    TDateTime now_;
};
