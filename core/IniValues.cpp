#include "core/IniValues.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

int DigitValue(char c, int base)
{
    int d;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    else
        return -1;
    return d < base ? d : -1;
}

bool TryParseInt(std::string_view t, std::int32_t& out)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (t.size() - i > 2 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == t.size())
        return false;
    // Hexadecimal spells the 32-bit pattern ("$FFFFFFFF" is -1); decimal must
    // lie within the signed range.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t v = 0;
    for (; i < t.size(); ++i) {
        int d = DigitValue(t[i], base);
        if (d < 0)
            return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > limit)
            return false;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(v);
    if (negative)
        bits = 0u - bits;
    out = static_cast<std::int32_t>(bits);
    return true;
}

}  // namespace

std::string FormatFlag(bool value)
{
    return value ? "1" : "0";
}

bool ParseFlag(std::string_view text, bool def)
{
    std::int32_t v;
    return TryParseInt(text, v) ? v != 0 : def;
}

std::string FormatInt(std::int64_t value)
{
    return std::to_string(value);
}

std::int32_t ParseInt(std::string_view text, std::int32_t def)
{
    std::int32_t v;
    return TryParseInt(text, v) ? v : def;
}

std::string FormatNumber(double value, char decimalSeparator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";

    // 15 significant digits, rounded: "d.dddddddddddddde+XX".
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    std::string out;
    if (sci.front() == '-') {
        out.push_back('-');
        sci.remove_prefix(1);
    }
    std::size_t ePos = sci.find('e');
    std::string digits;
    digits.push_back(sci[0]);
    digits.append(sci.substr(2, ePos - 2));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exp10 = std::atoi(std::string(sci.substr(ePos + 1)).c_str());

    // Fixed notation from 0.0001 up to 15 integer digits, exponent form
    // outside ("1E-5", "1.5E20").
    if (exp10 < -4 || exp10 >= 15) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back(decimalSeparator);
            out.append(digits, 1);
        }
        out.push_back('E');
        out.append(std::to_string(exp10));
        return out;
    }
    int intDigits = exp10 + 1;  // digits before the separator; 0 or less for a pure fraction
    if (intDigits <= 0) {
        out.push_back('0');
        out.push_back(decimalSeparator);
        out.append(static_cast<std::size_t>(-intDigits), '0');
        out.append(digits);
    } else if (static_cast<std::size_t>(intDigits) >= digits.size()) {
        out.append(digits);
        out.append(static_cast<std::size_t>(intDigits) - digits.size(), '0');
    } else {
        out.append(digits, 0, static_cast<std::size_t>(intDigits));
        out.push_back(decimalSeparator);
        out.append(digits, static_cast<std::size_t>(intDigits));
    }
    return out;
}

char StoredDecimalSeparator(char regional)
{
    return regional == ',' ? ',' : '.';
}

double ParseNumber(std::string_view text, double def, char regional)
{
    // Another regional separator only counts when it cannot be mistaken for
    // a digit, a sign or an exponent.
    const bool otherSeparator = std::ispunct(static_cast<unsigned char>(regional)) && regional != '+' &&
                                regional != '-';
    // [sign] digits [separator digits] [E [sign] digits], with "." or "," as
    // the separator. Checked here so that from_chars never sees its own
    // extras (inf, nan, hexadecimal) and a number never ends in junk.
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            plain.push_back('-');
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        plain.push_back(text[i++]);
        ++mantissaDigits;
    }
    if (i < text.size() && (text[i] == '.' || text[i] == ',' || (otherSeparator && text[i] == regional))) {
        plain.push_back('.');
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            plain.push_back(text[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return def;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain.push_back(text[i++]);
        std::size_t expDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            plain.push_back(text[i++]);
            ++expDigits;
        }
        if (expDigits == 0)
            return def;
    }
    if (i != text.size())
        return def;

    double value = 0;
    auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value,
                               std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size() || !std::isfinite(value))
        return def;
    return value;
}

std::string EncodeNotes(std::string_view notes)
{
    std::string out;
    out.reserve(notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        char c = notes[i];
        if (c == '\r') {
            if (i + 1 < notes.size() && notes[i + 1] == '\n')
                ++i;
            out.append("<br>");
        } else if (c == '\n') {
            out.append("<br>");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string DecodeNotes(std::string_view stored)
{
    constexpr std::string_view tag = "<br>";
    std::string out;
    out.reserve(stored.size());
    std::size_t at = 0;
    for (;;) {
        std::size_t hit = stored.find(tag, at);
        if (hit == std::string_view::npos)
            break;
        out.append(stored.substr(at, hit - at));
        out.append("\r\n");
        at = hit + tag.size();
    }
    out.append(stored.substr(at));
    return out;
}
