// A clock with a zone's daylight-saving rules, for the tests: Central
// European time (UTC+1, and UTC+2 from the last Sunday of March to the last
// Sunday of October, changing at 01:00 UTC). It stands still until told.
#pragma once

#include "core/Clock.h"
#include "core/DateTime.h"

class ZoneClock final : public IClock {
public:
    // Starts at this local time (its first showing).
    explicit ZoneClock(TDateTime local) { SetLocal(local); }

    TDateTime Now() const override { return LocalOf(instant_); }
    double NowInstant() const override { return instant_; }
    TDateTime LocalOf(double instant) const override { return instant + Offset(instant); }
    double InstantOf(TDateTime local, bool later) const override { return InstantOfLocal(*this, local, later); }

    void SetLocal(TDateTime local) { instant_ = InstantOf(local, false); }
    void SetInstant(double instant) { instant_ = instant; }
    void Advance(double days) { instant_ += days; }

    // The instant the clocks change in a year's month (3 or 10).
    static double Change(int year, int month)
    {
        TDateTime day = EncodeDate(year, month, month == 3 ? 31 : 31);
        while (DayOfWeek(day) != 1)  // back to Sunday
            day -= 1;
        return day + 1.0 / 24;
    }

private:
    static double Offset(double instant)
    {
        const int year = DecodeDate(instant).year;
        const bool summer = instant >= Change(year, 3) && instant < Change(year, 10);
        return (summer ? 2.0 : 1.0) / 24;
    }

    double instant_ = 0;
};
