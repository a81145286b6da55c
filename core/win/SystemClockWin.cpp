// The local wall clock on Windows, with the zone's daylight-saving rules of
// each year.
#include <windows.h>

#include <cmath>
#include <map>
#include <mutex>

#include "core/Clock.h"

namespace {

// FILETIME counts 100 ns from 1 January 1601; day 0 is 30 December 1899.
constexpr double kTicksPerDay = 864'000'000'000.0;
constexpr double kDays1601To1899 = 109205;

TDateTime FromSystemTime(const SYSTEMTIME& st)
{
    return EncodeDateTime({st.wYear, st.wMonth, st.wDay}, {st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

// The zone's rules of one year. Reading them goes to the registry each time
// (slow: a start with thousands of events converts tens of thousands of
// moments), so they are kept for a few seconds; a zone changed in Settings
// is followed that much later.
class ZoneRules {
public:
    bool ForYear(WORD year, TIME_ZONE_INFORMATION& out)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const ULONGLONG now = ::GetTickCount64();
        if (now - readAt_ > kKeepMs) {
            years_.clear();
            readAt_ = now;
        }
        auto it = years_.find(year);
        if (it == years_.end()) {
            DYNAMIC_TIME_ZONE_INFORMATION zone{};
            TIME_ZONE_INFORMATION rules{};
            if (::GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID ||
                !::GetTimeZoneInformationForYear(year, &zone, &rules))
                return false;
            it = years_.emplace(year, rules).first;
        }
        out = it->second;
        return true;
    }

private:
    static constexpr ULONGLONG kKeepMs = 5000;
    std::mutex mutex_;
    ULONGLONG readAt_ = 0;
    std::map<WORD, TIME_ZONE_INFORMATION> years_;
};

class WinClock final : public IClock {
public:
    TDateTime Now() const override
    {
        SYSTEMTIME st{};
        ::GetLocalTime(&st);
        return FromSystemTime(st);
    }
    double NowInstant() const override
    {
        FILETIME ft{};
        ::GetSystemTimeAsFileTime(&ft);
        const auto ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return static_cast<double>(ticks) / kTicksPerDay - kDays1601To1899;
    }
    TDateTime LocalOf(double instant) const override
    {
        const double ticks = std::round((instant + kDays1601To1899) * kTicksPerDay / 10'000) * 10'000;
        if (!(ticks > 0))
            return instant;
        const auto value = static_cast<unsigned long long>(ticks);
        FILETIME ft{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
        SYSTEMTIME utc{};
        SYSTEMTIME local{};
        TIME_ZONE_INFORMATION year{};
        // The rules of the instant's own year, not of today's.
        if (!::FileTimeToSystemTime(&ft, &utc) || !rules_.ForYear(utc.wYear, year) ||
            !::SystemTimeToTzSpecificLocalTime(&year, &utc, &local))
            return instant;
        return FromSystemTime(local);
    }
    double InstantOf(TDateTime local, bool later) const override { return InstantOfLocal(*this, local, later); }

private:
    mutable ZoneRules rules_;
};

}  // namespace

const IClock& SystemClock()
{
    static const WinClock clock;
    return clock;
}
