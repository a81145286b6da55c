// Text inside the program is UTF-8. Here: stepping through its characters,
// converting it to and from UTF-16 (the form of Windows and of Unicode data
// files), and comparing names without regard to letter case the way Windows'
// ordinal comparison does (each UTF-16 unit uppercased on its own), in every
// script, so that the native build and the Windows program agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The character at s[i], advancing i past it. A byte that does not start a
// well-formed sequence reads as U+FFFD and advances by one.
char32_t NextCodePoint(std::string_view s, std::size_t& i) noexcept;
void AppendUtf8(std::string& out, char32_t c);

// Whether every byte is below 0x80: text that reads the same in UTF-8 and in
// every ANSI code page.
bool IsAscii(std::string_view s) noexcept;

// The text with every ill-formed sequence replaced by U+FFFD, appended to out.
void AppendValidUtf8(std::string& out, std::string_view s);

// Ill-formed input (an unpaired surrogate, a stray byte) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// UTF-16 file bytes (no byte-order mark) as UTF-8, appended to out; an odd
// last byte is dropped.
void AppendUtf16BytesAsUtf8(std::string& out, std::string_view bytes, bool bigEndian);
// UTF-8 text as UTF-16 LE bytes, appended to out.
void AppendUtf8AsUtf16Le(std::string& out, std::string_view utf8);

// The simple uppercase of a character of the Basic Multilingual Plane
// (Latin, Greek, Cyrillic, Armenian, Georgian, ...); any other character,
// and one whose uppercase is longer (ß), is itself.
char32_t UpperCase(char32_t c) noexcept;

// The character at s[i] uppercased, advancing i past it; ASCII goes the
// short way.
inline char32_t NextUpper(std::string_view s, std::size_t& i) noexcept
{
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return static_cast<char32_t>(b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b);
    }
    return UpperCase(NextCodePoint(s, i));
}

// Calls fn(c) with each character of s uppercased; ASCII goes the short way.
template <class Fn>
inline void ForEachUpper(std::string_view s, Fn&& fn)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            fn(static_cast<char32_t>(b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b));
            ++i;
        } else {
            fn(UpperCase(NextCodePoint(s, i)));
        }
    }
}

// True when a and b are the same text without regard to letter case.
bool EqualIgnoreCase(std::string_view a, std::string_view b) noexcept;
// <0, 0 or >0: the order of the uppercased texts by UTF-16 units, which is
// how CompareStringOrdinal with ignore-case orders them.
int CompareIgnoreCase(std::string_view a, std::string_view b) noexcept;
