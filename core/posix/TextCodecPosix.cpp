// The native build's ANSI code page: Windows-1252, the one of English and
// Western European Windows, so that the tests see what most users' files hold.
#include "core/TextCodec.h"

#include <algorithm>
#include <iterator>

#include "core/Unicode.h"

namespace {

// 0x80-0x9F; the gaps (81, 8D, 8F, 90, 9D) are the C1 controls of the same
// number, as Windows converts them.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

void AppendAnsiAsUtf8(std::string& out, std::string_view ansi)
{
    for (char ch : ansi) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.push_back(ch);
        else
            AppendUtf8(out, b < 0xA0 ? kHigh[b - 0x80] : b);
    }
}

bool AppendUtf8AsAnsi(std::string& out, std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        const char32_t c = NextCodePoint(utf8, i);
        if (c >= 0xA0 && c <= 0xFF) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        const auto at = std::find(std::begin(kHigh), std::end(kHigh), c);
        if (at == std::end(kHigh))
            return false;
        out.push_back(static_cast<char>(0x80 + (at - std::begin(kHigh))));
    }
    return true;
}

std::FILE* OpenFileUtf8(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}
