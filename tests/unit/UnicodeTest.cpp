// UTF-8 inside, UTF-16 at the edges, names folded the way Windows folds them;
// dates and birthday macros with text in any script around them.
#include "core/Unicode.h"

#include <gtest/gtest.h>

#include <string>

#include "birthdays/BirthdayRules.h"
#include "core/DateFormat.h"

namespace {

TEST(Unicode, UppercaseOfEveryScriptWithCaseAndNoneElse)
{
    const std::pair<char32_t, char32_t> cases[] = {
        {U'a', U'A'}, {U'Z', U'Z'}, {U'\u00e9', U'\u00c9'}, {U'\u00ff', U'\u0178'}, {U'\u0142', U'\u0141'},
        {U'\u0101', U'\u0100'}, {U'\u0100', U'\u0100'}, {U'\u01c6', U'\u01c4'},  // Latin
        {U'\u03b1', U'\u0391'}, {U'\u03c2', U'\u03a3'}, {U'\u03ac', U'\u0386'},  // Greek, final sigma
        {U'\u0436', U'\u0416'}, {U'\u0451', U'\u0401'}, {U'\u04cf', U'\u04c0'},  // Cyrillic
        {U'\u0561', U'\u0531'}, {U'\u24d0', U'\u24b6'}, {U'\uff41', U'\uff21'},  // Armenian, circled, full-width
        {U'\u00df', U'\u00df'},  // its uppercase is two letters
        {U'\u674e', U'\u674e'}, {U'\u0644', U'\u0644'}, {U'1', U'1'},  // no case
        {U'\U00010428', U'\U00010428'},  // Deseret: beyond the BMP, as Windows leaves it
    };
    for (const auto& [c, upper] : cases)
        EXPECT_EQ(static_cast<std::uint32_t>(UpperCase(c)), static_cast<std::uint32_t>(upper))
            << std::hex << static_cast<std::uint32_t>(c);
}

TEST(Unicode, Utf8AndUtf16RoundTripAndIllFormedInputIsReplaced)
{
    const std::string text = "a\u00e9\u0416\u674e\U0001F382\U0010FFFF";
    const std::u16string wide = u"a\u00e9\u0416\u674e\U0001F382\U0010FFFF";
    EXPECT_EQ(Utf8ToUtf16(text), wide);
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    std::string le;
    AppendUtf8AsUtf16Le(le, text);
    std::string back;
    AppendUtf16BytesAsUtf8(back, le, false);
    EXPECT_EQ(back, text);

    // The file reader takes ASCII four units at a time: characters beyond the
    // BMP and others at every offset around those steps, in both byte orders.
    for (std::size_t lead = 0; lead < 12; ++lead) {
        const std::string mixed = std::string(lead, 'a') + "\U0001F382\u00e9\U0001F600" + std::string(9, 'b') + "\u674e";
        for (bool bigEndian : {false, true}) {
            std::string bytes;
            for (char16_t u : Utf8ToUtf16(mixed)) {
                const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
                bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
            }
            std::string decoded;
            AppendUtf16BytesAsUtf8(decoded, bytes, bigEndian);
            EXPECT_EQ(decoded, mixed) << lead << (bigEndian ? " BE" : " LE");
        }
    }

    const std::pair<std::string, std::u16string> broken[] = {
        {"\xC3", u"\uFFFD"},  {"\xC3(", u"\uFFFD("},   {"\xC0\xAF", u"\uFFFD\uFFFD"},  // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, {"\xFF", u"\uFFFD"},
    };
    for (const auto& [utf8, utf16] : broken)
        EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}), "a\uFFFDb");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, 0xD83D}), "\uFFFD\uFFFD");
}

TEST(Unicode, CompareIgnoringCaseInUtf16Order)
{
    struct Case { const char *a, *b; int sign; };
    const Case cases[] = {
        {"\u00c9VA", "\u00e9va", 0}, {"\u0416\u0415\u041d\u042f", "\u0436\u0435\u043d\u044f", 0},
        {"\u0131", "I", 0}, {"\u00df", "ss", 1}, {"Zo\u00eb", "ZO\u00cb!", -1},
        {"\U0001F382", "\uFFFD", -1}, {"\U0001F382", "\u674e", 1}, {"", "\u674e", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareIgnoreCase(c.a, c.b), c.sign) << c.a << " | " << c.b;
        EXPECT_EQ(CompareIgnoreCase(c.b, c.a), -c.sign) << c.b << " | " << c.a;
        EXPECT_EQ(EqualIgnoreCase(c.a, c.b), c.sign == 0) << c.a << " | " << c.b;
    }
}

// Patterns hold text in any script; names come from the user's locale.
TEST(Unicode, DatePatternsAndMacrosKeepTextInAnyScript)
{
    FormatSettings ru = EnglishUSFormatSettings();
    ru.LongMonthNames[2] = "\u043c\u0430\u0440\u0442\u0430";
    ru.ShortDayNames[2] = "\u0412\u0442";
    const TDateTime when = EncodeDateTime({2024, 3, 5}, {14, 7, 9, 0});
    const std::pair<const char*, const char*> rows[] = {
        {"ddd, d mmmm yyyy", "\u0412\u0442, 5 \u043c\u0430\u0440\u0442\u0430 2024"},
        {"\u674e d\u65e5 'hh' \U0001F382 h:nn", "\u674e 5\u65e5 hh \U0001F382 14:07"},
        {"\u00e4m \u00c4M m", "\u00e43 \u00c43 3"},
    };
    for (const auto& [pattern, expected] : rows)
        EXPECT_EQ(FormatDateTime(pattern, when, ru), expected) << pattern;

    EXPECT_EQ(ReplaceBirthdayMacros("\u041f\u0440\u0438\u0432\u0435\u0442, %PersonName! %CountDays \U0001F382",
                                    "\u674e\u96f7", "5.3.", "7"),
              "\u041f\u0440\u0438\u0432\u0435\u0442, \u674e\u96f7! 7 \U0001F382");
}

}  // namespace
