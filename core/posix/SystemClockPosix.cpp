// The local wall clock on POSIX systems (the native build and its tests).
#include <ctime>

#include "core/Clock.h"

namespace {

class PosixClock final : public IClock {
public:
    TDateTime Now() const override
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        std::tm local{};
        if (localtime_r(&ts.tv_sec, &local) == nullptr)
            return 0;
        // A leap second (tm_sec 60) is shown as the last second of the minute.
        const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
        const auto ms = static_cast<int>(ts.tv_nsec / 1'000'000);
        return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                              {local.tm_hour, local.tm_min, second, ms});
    }
};

}  // namespace

const IClock& SystemClock()
{
    static const PosixClock clock;
    return clock;
}
