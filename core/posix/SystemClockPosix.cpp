// The local wall clock on POSIX systems (the native build and its tests).
#include <cmath>
#include <ctime>

#include "core/Clock.h"

namespace {

// 1 January 1970 as a day number.
constexpr double kUnixEpoch = 25569;

TDateTime LocalOfTime(std::time_t seconds, int milliseconds)
{
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return 0;
    // A leap second (tm_sec 60) is shown as the last second of the minute.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                          {local.tm_hour, local.tm_min, second, milliseconds});
}

class PosixClock final : public IClock {
public:
    TDateTime Now() const override
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        return LocalOfTime(ts.tv_sec, static_cast<int>(ts.tv_nsec / 1'000'000));
    }
    double NowInstant() const override
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        return kUnixEpoch + (static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9) / 86400;
    }
    TDateTime LocalOf(double instant) const override
    {
        const double ms = std::round((instant - kUnixEpoch) * 86'400'000);
        const double seconds = std::floor(ms / 1000);
        return LocalOfTime(static_cast<std::time_t>(seconds), static_cast<int>(ms - seconds * 1000));
    }
    double InstantOf(TDateTime local, bool later) const override { return InstantOfLocal(*this, local, later); }
};

}  // namespace

const IClock& SystemClock()
{
    static const PosixClock clock;
    return clock;
}
