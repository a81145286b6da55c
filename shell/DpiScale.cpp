#include "shell/DpiScale.h"

#include <cstdint>
#include <cstdlib>

namespace {

// value * num / den rounded to the nearest, halves away from zero.
int MulDivRound(int value, int num, int den) noexcept
{
    const std::int64_t product = static_cast<std::int64_t>(value) * num;
    const std::int64_t magnitude = (std::llabs(product) + den / 2) / den;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

int Valid(int dpi) noexcept
{
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int ToDpi(int units, int dpi) noexcept
{
    return MulDivRound(units, Valid(dpi), kBaseDpi);
}

int To96(int pixels, int dpi) noexcept
{
    return MulDivRound(pixels, kBaseDpi, Valid(dpi));
}

int OuterToDpi(int outer96, int frame96, int frameAtDpi, int dpi) noexcept
{
    return ToDpi(outer96 - frame96, dpi) + frameAtDpi;
}

int OuterTo96(int outerPixels, int frame96, int frameAtDpi, int dpi) noexcept
{
    return To96(outerPixels - frameAtDpi, dpi) + frame96;
}

int PictureSize(std::span<const int> made, int size96, int dpi) noexcept
{
    if (made.empty())
        return 0;
    const int wanted = ToDpi(size96, dpi);
    int best = made.front();
    for (int size : made)
        if (size <= wanted)
            best = size;
    return best;
}
