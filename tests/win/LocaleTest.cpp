#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/DateFormat.h"
#include "core/win/Text.h"
#include "shell/win/WinLocale.h"

namespace {

// Tuesday 5 March 2024, at 14:07:09 and at 00:05:03.
const DateParts kDay{2024, 3, 5};
const TimeParts kAfternoonTime{14, 7, 9, 0};

// What a Windows call writes into a buffer, or "" when it fails.
template <typename Call>
std::string Ask(Call call)
{
    wchar_t buffer[256] = {};
    return call(buffer, static_cast<int>(std::size(buffer))) > 0 ? Narrow(buffer) : std::string();
}

std::string LocaleText(LCID locale, LCTYPE type)
{
    return Ask([&](wchar_t* b, int n) { return GetLocaleInfoW(locale, type, b, n); });
}

// Patterns our language cannot say exactly: an era, a one-digit year.
bool DateTranslatesExactly(const std::string& w)
{
    for (std::size_t i = 0; i < w.size(); ++i)
        if (w[i] == 'g' || (w[i] == 'y' && (i == 0 || w[i - 1] != 'y') && (i + 1 >= w.size() || w[i + 1] != 'y')))
            return false;
    return true;
}

// A one-letter am/pm marker, a 12-hour clock without a marker or a marker on
// a 24-hour clock.
bool TimeTranslatesExactly(const std::string& w)
{
    const bool hasMarker = w.find("tt") != std::string::npos;
    return (hasMarker || w.find('t') == std::string::npos) && hasMarker == (w.find('h') != std::string::npos);
}

// Windows puts a month name beside a day number in its genitive case where
// the language has one ("5. maaliskuuta"); our names are the plain ones.
bool HasGenitiveMonthNames(LCID locale)
{
    for (int m = 0; m < 12; ++m) {
        const auto type = static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m);
        if (LocaleText(locale, type) != LocaleText(locale, type | LOCALE_RETURN_GENITIVE_NAMES)) return true;
    }
    return false;
}

TEST(WinLocale, UserSettingsAreCompleteAndFormat)
{
    const FormatSettings fs = ReadUserFormatSettings();
    for (const std::string* s : {&fs.ShortDateFormat, &fs.LongDateFormat, &fs.ShortTimeFormat, &fs.LongTimeFormat})
        EXPECT_FALSE(s->empty());
    for (const std::string& name : fs.LongMonthNames) EXPECT_FALSE(name.empty());
    for (const std::string& name : fs.ShortDayNames) EXPECT_FALSE(name.empty());
    EXPECT_NE(fs.DateSeparator, '\0');
    EXPECT_NE(fs.TimeSeparator, '\0');
    const TDateTime value = EncodeDateTime(kDay, kAfternoonTime);
    EXPECT_FALSE(DateTimeToString(value, fs).empty());
    EXPECT_FALSE(FormatDateTime("ddddd dddddd t tt", value, fs).empty());
    // The short time is the long one's minutes: no seconds in it.
    EXPECT_EQ(FormatDateTime("t", value, fs).find("09"), std::string::npos) << fs.ShortTimeFormat;
}

TEST(WinLocale, UserAndSeveralLocalesFormatAsWindowsDoes)
{
    // The user's, English (US), German, French, Spanish, Russian, Japanese,
    // Finnish, Hungarian, Dutch, English (UK), Korean, Polish.
    for (const LCID locale : {LCID(LOCALE_USER_DEFAULT), LCID(0x0409), LCID(0x0407), LCID(0x040C), LCID(0x0C0A),
                              LCID(0x0419), LCID(0x0411), LCID(0x040B), LCID(0x040E), LCID(0x0413), LCID(0x0809),
                              LCID(0x0412), LCID(0x0415)}) {
        if (locale != LOCALE_USER_DEFAULT && !IsValidLocale(locale, LCID_INSTALLED)) continue;
        const FormatSettings fs = ReadLocaleFormatSettings(locale);
        const std::string shortDate = LocaleText(locale, LOCALE_SSHORTDATE);
        const std::string longDate = LocaleText(locale, LOCALE_SLONGDATE);
        const std::string longTime = LocaleText(locale, LOCALE_STIMEFORMAT);
        for (const TimeParts& t : {kAfternoonTime, TimeParts{0, 5, 3, 0}}) {
            SCOPED_TRACE(testing::Message() << "locale " << locale << " hour " << t.hour);
            const SYSTEMTIME st{WORD(kDay.year), WORD(kDay.month),
                                WORD(DayOfWeek(EncodeDate(kDay.year, kDay.month, kDay.day)) - 1),
                                WORD(kDay.day), WORD(t.hour), WORD(t.minute), WORD(t.second), 0};
            const TDateTime value = EncodeDateTime(kDay, t);
            auto date = [&](DWORD flags) {
                return Ask([&](wchar_t* b, int n) { return GetDateFormatW(locale, flags, &st, nullptr, b, n); });
            };
            if (DateTranslatesExactly(shortDate)) {
                EXPECT_EQ(FormatDateTime("ddddd", value, fs), date(DATE_SHORTDATE)) << shortDate;
            }
            if (DateTranslatesExactly(longDate) && !HasGenitiveMonthNames(locale)) {
                EXPECT_EQ(FormatDateTime("dddddd", value, fs), date(DATE_LONGDATE)) << longDate;
            }
            if (TimeTranslatesExactly(longTime)) {
                const std::string windows =
                    Ask([&](wchar_t* b, int n) { return GetTimeFormatW(locale, 0, &st, nullptr, b, n); });
                EXPECT_EQ(FormatDateTime("tt", value, fs), windows) << longTime;
            }
        }
    }
}

TEST(WinLocale, DayAndMonthNamesLineUp)
{
    const FormatSettings fs = ReadLocaleFormatSettings(0x0409);
    EXPECT_EQ(fs.LongDayNames[0], "Sunday");
    EXPECT_EQ(fs.LongDayNames[1], "Monday");
    EXPECT_EQ(fs.ShortDayNames[6], "Sat");
    EXPECT_EQ(fs.LongMonthNames[0], "January");
    EXPECT_EQ(fs.ShortMonthNames[11], "Dec");
    EXPECT_EQ(fs.TimeAMString, "AM");
    EXPECT_EQ(fs.ShortDateFormat, "m/d/yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "h:nn:ss AMPM");
    EXPECT_EQ(fs.ShortTimeFormat, "h:nn AMPM");
}

}  // namespace
