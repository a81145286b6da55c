#include "tooltip/Zodiac.h"

#include <cstddef>

namespace {

constexpr std::array<ZodiacSign, 12> kSigns = {{
    {0, "Aries", "21.03 - 19.04"},
    {1, "Taurus", "20.04 - 20.05"},
    {2, "Gemini", "21.05 - 21.06"},
    {3, "Cancer", "22.06 - 22.07"},
    {4, "Leo", "23.07 - 22.08"},
    {5, "Virgo", "23.08 - 22.09"},
    {6, "Libra", "23.09 - 22.10"},
    {7, "Scorpio", "23.10 - 21.11"},
    {8, "Sagittarius", "22.11 - 21.12"},
    {9, "Capricorn", "22.12 - 19.01"},
    {10, "Aquarius", "20.01 - 18.02"},
    {11, "Pisces", "19.02 - 20.03"},
}};

constexpr int kCapricorn = 9;

// The first and last day of every sign but Capricorn, as month * 100 + day;
// Capricorn is whatever none of them covers (it spans the turn of the year).
struct Range {
    int sign;
    int from;
    int to;
};
constexpr Range kRanges[] = {{0, 321, 419},  {1, 420, 520},   {2, 521, 621},   {3, 622, 722},
                             {4, 723, 822},  {5, 823, 922},   {6, 923, 1022},  {7, 1023, 1121},
                             {8, 1122, 1221}, {10, 120, 218}, {11, 219, 320}};

}  // namespace

const std::array<ZodiacSign, 12>& ZodiacSigns()
{
    return kSigns;
}

const ZodiacSign& ZodiacSignOf(TDateTime day)
{
    const DateParts d = DecodeDate(day);
    const int key = d.month * 100 + d.day;
    for (const Range& r : kRanges)
        if (r.from <= key && key <= r.to)
            return kSigns[static_cast<std::size_t>(r.sign)];
    return kSigns[kCapricorn];
}
