// The local wall clock on Windows.
#include <windows.h>

#include "core/Clock.h"

namespace {

class WinClock final : public IClock {
public:
    TDateTime Now() const override
    {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        return EncodeDateTime({st.wYear, st.wMonth, st.wDay},
                              {st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
    }
};

}  // namespace

const IClock& SystemClock()
{
    static const WinClock clock;
    return clock;
}
