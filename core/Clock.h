// The source of "now". Everything that asks for the time takes a clock so that
// tests can set it; the program uses the system's local clock.
#pragma once

#include "core/DateTime.h"

class IClock {
public:
    virtual ~IClock() = default;
    // Local date and time with millisecond resolution.
    virtual TDateTime Now() const = 0;
    TDateTime Today() const { return DateOf(Now()); }
};

// The local wall clock of this computer.
const IClock& SystemClock();

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
