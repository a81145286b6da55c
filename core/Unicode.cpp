#include "core/Unicode.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct CaseRun {
    std::uint16_t first, last;
    std::int32_t delta;
    std::uint16_t stride;
};

constexpr CaseRun kCaseRuns[] = {
#include "core/CaseTable.inc"
};

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Characters in the order of their UTF-16 units: those beyond the BMP are
// written with surrogates (D800-DFFF), which come before E000-FFFF.
std::uint32_t Utf16Order(char32_t c)
{
    if (c < 0xD800)
        return c;
    if (c >= 0x10000)
        return 0xD800 + (c - 0x10000);
    return c + 0x110000;
}

void AppendUnit(std::string& out, char16_t u)
{
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
}

}  // namespace

char32_t NextCodePoint(std::string_view s, std::size_t& i) noexcept
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    std::size_t len = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + len > s.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (!IsContinuation(b)) {
            ++i;
            return kReplacement;
        }
        c = c << 6 | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += len;
    return c;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c >= 0xD800 && (c <= 0xDFFF || c > 0x10FFFF))
        c = kReplacement;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsAscii(std::string_view s) noexcept
{
    // Eight bytes at a time: a file of megabytes is checked on every save.
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull)
            return false;
    }
    for (; i < s.size(); ++i) {
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    }
    return true;
}

void AppendValidUtf8(std::string& out, std::string_view s)
{
    out.reserve(out.size() + s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
        } else {
            AppendUtf8(out, NextCodePoint(s, i));
        }
    }
}

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = NextCodePoint(s, i);
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

namespace {

// Units from next(), which returns false at the end.
template <class Next>
void AppendUnitsAsUtf8(std::string& out, Next&& next)
{
    char16_t u = 0;
    bool pending = false;  // u was read ahead and not yet used
    for (;;) {
        if (!pending && !next(u))
            return;
        pending = false;
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            char16_t low = 0;
            if (next(low)) {
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
                    continue;
                }
                AppendUtf8(out, kReplacement);
                u = low;
                pending = true;
                continue;
            }
            AppendUtf8(out, kReplacement);
            return;
        }
        AppendUtf8(out, u);
    }
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    AppendUnitsAsUtf8(out, [&](char16_t& u) {
        if (i == s.size())
            return false;
        u = s[i++];
        return true;
    });
    return out;
}

void AppendUtf16BytesAsUtf8(std::string& out, std::string_view bytes, bool bigEndian)
{
    out.reserve(out.size() + bytes.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size() / 2;
    std::size_t i = 0;
    const int hi = bigEndian ? 0 : 1;
    // A big file is nearly all ASCII: four units at a time into a buffer of
    // our own, appended in pieces, until a unit that is not ASCII.
    const std::uint64_t nonAscii = bigEndian ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
    const int low = bigEndian ? 8 : 0;
    char piece[4096];
    std::size_t used = 0;
    auto flush = [&] {
        out.append(piece, used);
        used = 0;
    };
    for (;;) {
        while (i + 4 <= n) {
            std::uint64_t word;
            std::memcpy(&word, p + 2 * i, 8);
            if (word & nonAscii)
                break;
            if (used + 4 > sizeof piece)
                flush();
            for (int k = 0; k < 4; ++k)
                piece[used++] = static_cast<char>(word >> (16 * k + low));
            i += 4;
        }
        flush();
        if (i == n)
            return;
        // A few units the careful way, never stopping after the first half
        // of a pair.
        auto unit = [&](std::size_t k) { return static_cast<char16_t>(p[2 * k + hi] << 8 | p[2 * k + 1 - hi]); };
        std::size_t stop = std::min(n, i + 8);
        while (stop < n && unit(stop - 1) >= 0xD800 && unit(stop - 1) <= 0xDBFF)
            ++stop;
        AppendUnitsAsUtf8(out, [&](char16_t& u) {
            if (i >= stop)
                return false;
            u = unit(i++);
            return true;
        });
    }
}

void AppendUtf8AsUtf16Le(std::string& out, std::string_view utf8)
{
    out.reserve(out.size() + 2 * utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            out.push_back('\0');
            ++i;
            continue;
        }
        const char32_t c = NextCodePoint(utf8, i);
        if (c >= 0x10000) {
            AppendUnit(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            AppendUnit(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            AppendUnit(out, static_cast<char16_t>(c));
        }
    }
}

char32_t UpperCase(char32_t c) noexcept
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    if (c > 0xFFFF)
        return c;
    const auto run = std::upper_bound(std::begin(kCaseRuns), std::end(kCaseRuns), c,
                                      [](char32_t x, const CaseRun& r) { return x < r.first; });
    if (run == std::begin(kCaseRuns))
        return c;
    const CaseRun& r = *std::prev(run);
    if (c > r.last || (c - r.first) % r.stride != 0)
        return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + r.delta);
}

int CompareIgnoreCase(std::string_view a, std::string_view b) noexcept
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        std::uint32_t cx;
        std::uint32_t cy;
        if ((x | y) < 0x80) {
            cx = x >= 'a' && x <= 'z' ? x - ('a' - 'A') : x;
            cy = y >= 'a' && y <= 'z' ? y - ('a' - 'A') : y;
            ++i, ++j;
        } else {
            cx = Utf16Order(UpperCase(NextCodePoint(a, i)));
            cy = Utf16Order(UpperCase(NextCodePoint(b, j)));
        }
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    if (i == a.size() && j == b.size())
        return 0;
    return i == a.size() ? -1 : 1;
}

bool EqualIgnoreCase(std::string_view a, std::string_view b) noexcept
{
    if (a == b)
        return true;
    return CompareIgnoreCase(a, b) == 0;
}
