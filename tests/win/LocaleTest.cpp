#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/DateFormat.h"
#include "shell/win/WinLocale.h"

namespace {

// Tuesday 5 March 2024, 14:07:09, and the same day at 00:05:03.
const TimeParts kAfternoonTime{14, 7, 9, 0};
const TimeParts kMorningTime{0, 5, 3, 0};
const DateParts kDay{2024, 3, 5};

SYSTEMTIME ToSystemTime(const DateParts& d, const TimeParts& t)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(EncodeDate(d.year, d.month, d.day)) - 1);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    return st;
}

std::string LocaleText(LCID locale, LCTYPE type)
{
    char buffer[256] = {};
    const int n = GetLocaleInfoA(locale, type, buffer, static_cast<int>(sizeof buffer));
    return n > 0 ? std::string(buffer) : std::string();
}

std::string WindowsDate(LCID locale, DWORD flags, const SYSTEMTIME& st)
{
    char buffer[256] = {};
    const int n = GetDateFormatA(locale, flags, &st, nullptr, buffer, static_cast<int>(sizeof buffer));
    return n > 0 ? std::string(buffer) : std::string();
}

std::string WindowsTime(LCID locale, const SYSTEMTIME& st)
{
    char buffer[256] = {};
    const int n = GetTimeFormatA(locale, 0, &st, nullptr, buffer, static_cast<int>(sizeof buffer));
    return n > 0 ? std::string(buffer) : std::string();
}

// Patterns our language cannot say exactly: a one-digit year, a one-letter
// am/pm marker, a 12-hour clock without a marker or a marker on a 24-hour clock.
bool DateTranslatesExactly(const std::string& w)
{
    if (w.find('g') != std::string::npos)
        return false;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i] == 'y' && (i == 0 || w[i - 1] != 'y') && (i + 1 >= w.size() || w[i + 1] != 'y'))
            return false;
    }
    return true;
}

// Windows puts a month name beside a day number in its genitive case where
// the language has one ("5. maaliskuuta"); our names are the plain ones.
bool HasGenitiveMonthNames(LCID locale)
{
    for (int m = 0; m < 12; ++m) {
        const auto type = static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m);
        if (LocaleText(locale, type) != LocaleText(locale, type | LOCALE_RETURN_GENITIVE_NAMES))
            return true;
    }
    return false;
}

bool TimeTranslatesExactly(const std::string& w)
{
    const bool hasMarker = w.find("tt") != std::string::npos;
    const bool oneLetterMarker = !hasMarker && w.find('t') != std::string::npos;
    const bool twelveHour = w.find('h') != std::string::npos;
    return !oneLetterMarker && hasMarker == twelveHour;
}

void ExpectFormatsLikeWindows(LCID locale)
{
    const FormatSettings fs = ReadLocaleFormatSettings(locale);
    const std::string shortDate = LocaleText(locale, LOCALE_SSHORTDATE);
    const std::string longDate = LocaleText(locale, LOCALE_SLONGDATE);
    const std::string longTime = LocaleText(locale, LOCALE_STIMEFORMAT);
    for (const TimeParts& t : {kAfternoonTime, kMorningTime}) {
        const SYSTEMTIME st = ToSystemTime(kDay, t);
        const TDateTime value = EncodeDateTime(kDay, t);
        if (DateTranslatesExactly(shortDate)) {
            EXPECT_EQ(FormatDateTime("ddddd", value, fs), WindowsDate(locale, DATE_SHORTDATE, st))
                << "locale " << locale << " [" << shortDate << "] -> [" << fs.ShortDateFormat << "]";
        }
        if (DateTranslatesExactly(longDate) && !HasGenitiveMonthNames(locale)) {
            EXPECT_EQ(FormatDateTime("dddddd", value, fs), WindowsDate(locale, DATE_LONGDATE, st))
                << "locale " << locale << " [" << longDate << "] -> [" << fs.LongDateFormat << "]";
        }
        if (TimeTranslatesExactly(longTime)) {
            EXPECT_EQ(FormatDateTime("tt", value, fs), WindowsTime(locale, st))
                << "locale " << locale << " [" << longTime << "] -> [" << fs.LongTimeFormat << "]";
        }
    }
}

TEST(WinLocale, UserSettingsAreCompleteAndFormat)
{
    const FormatSettings fs = ReadUserFormatSettings();
    EXPECT_FALSE(fs.ShortDateFormat.empty());
    EXPECT_FALSE(fs.LongDateFormat.empty());
    EXPECT_FALSE(fs.ShortTimeFormat.empty());
    EXPECT_FALSE(fs.LongTimeFormat.empty());
    EXPECT_NE(fs.DateSeparator, '\0');
    EXPECT_NE(fs.TimeSeparator, '\0');
    for (const std::string& name : fs.LongMonthNames)
        EXPECT_FALSE(name.empty());
    for (const std::string& name : fs.ShortDayNames)
        EXPECT_FALSE(name.empty());

    const TDateTime value = EncodeDateTime(kDay, kAfternoonTime);
    EXPECT_FALSE(DateTimeToString(value, fs).empty());
    EXPECT_FALSE(FormatDateTime("ddddd dddddd t tt", value, fs).empty());
    // The short time is the long one's minutes: no seconds in it.
    EXPECT_EQ(FormatDateTime("t", value, fs).find("09"), std::string::npos) << fs.ShortTimeFormat;
}

TEST(WinLocale, UserSettingsFormatAsWindowsDoes)
{
    ExpectFormatsLikeWindows(LOCALE_USER_DEFAULT);
}

TEST(WinLocale, SeveralLocalesFormatAsWindowsDoes)
{
    // English (US), German, French, Spanish, Russian, Japanese, Finnish,
    // Hungarian, Dutch, English (UK), Korean, Polish.
    const LCID locales[] = {0x0409, 0x0407, 0x040C, 0x0C0A, 0x0419, 0x0411,
                            0x040B, 0x040E, 0x0413, 0x0809, 0x0412, 0x0415};
    for (const LCID locale : locales) {
        if (!IsValidLocale(locale, LCID_INSTALLED))
            continue;
        ExpectFormatsLikeWindows(locale);
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
