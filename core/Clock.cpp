#include "core/Clock.h"

#include <algorithm>
#include <cmath>

namespace {

// Local times and instants agree to the millisecond the clocks give.
constexpr double kMillisecond = 1.0 / 86'400'000;

}  // namespace

bool IClock::IsSecondShowing(TDateTime local, double instant) const
{
    return InstantOf(local, false) < instant - kMillisecond;
}

double InstantOfLocal(const IClock& clock, TDateTime local, bool later)
{
    auto offset = [&clock](double instant) { return clock.LocalOf(instant) - instant; };
    auto shows = [&](double instant) { return std::fabs(clock.LocalOf(instant) - local) < kMillisecond; };
    // The offsets a day before and a day after: one of them holds at the
    // moment, unless the moment lies in a skipped hour.
    const double first = local - offset(local - 1);
    const double second = local - offset(local + 1);
    const bool firstShows = shows(first);
    const bool secondShows = shows(second);
    if (firstShows && secondShows && std::fabs(first - second) > kMillisecond)
        return later ? std::max(first, second) : std::min(first, second);
    if (firstShows)
        return first;
    if (secondShows)
        return second;
    // Skipped: the first instant whose local time is at or after the moment.
    double low = std::min(first, second);
    double high = std::max(first, second);
    for (int i = 0; i < 60 && high - low > kMillisecond / 2; ++i) {
        const double middle = (low + high) / 2;
        if (clock.LocalOf(middle) < local)
            low = middle;
        else
            high = middle;
    }
    return high;
}
