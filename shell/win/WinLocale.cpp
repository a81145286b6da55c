#include "shell/win/WinLocale.h"

#include <windows.h>

#include <string>
#include <utility>

#include "core/win/Text.h"

namespace {

// One locale string (a day name in the user's language, a pattern) as UTF-8;
// empty when Windows has none.
std::string LocaleString(LCID locale, LCTYPE type)
{
    const int size = ::GetLocaleInfoW(locale, type, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int written = ::GetLocaleInfoW(locale, type, text.data(), size);
    if (written <= 0)
        return {};
    // The count includes the terminating zero.
    text.resize(static_cast<std::size_t>(written - 1));
    return Narrow(text);
}

void ReadString(LCID locale, LCTYPE type, std::string& target)
{
    std::string text = LocaleString(locale, type);
    if (!text.empty())
        target = std::move(text);
}

// Our settings hold a separator as one byte: the first character Windows
// gives, when it is ASCII. Any other stays the default; the locale's
// patterns still show it, as their own text.
void ReadSeparator(LCID locale, LCTYPE type, char& target)
{
    const std::string text = LocaleString(locale, type);
    if (!text.empty() && static_cast<unsigned char>(text.front()) < 0x80)
        target = text.front();
}

void ReadPattern(LCID locale, LCTYPE type, std::string& target, bool isDate, char dateSeparator,
                 char timeSeparator)
{
    const std::string windowsPattern = LocaleString(locale, type);
    if (windowsPattern.empty())
        return;
    std::string translated = isDate ? TranslateWindowsDatePattern(windowsPattern, dateSeparator, timeSeparator)
                                    : TranslateWindowsTimePattern(windowsPattern, dateSeparator, timeSeparator);
    if (!translated.empty())
        target = std::move(translated);
}

}  // namespace

FormatSettings ReadUserFormatSettings()
{
    return ReadLocaleFormatSettings(LOCALE_USER_DEFAULT);
}

FormatSettings ReadLocaleFormatSettings(LCID locale)
{
    FormatSettings fs = EnglishUSFormatSettings();
    ReadSeparator(locale, LOCALE_SDATE, fs.DateSeparator);
    ReadSeparator(locale, LOCALE_STIME, fs.TimeSeparator);
    ReadSeparator(locale, LOCALE_SDECIMAL, fs.DecimalSeparator);

    ReadPattern(locale, LOCALE_SSHORTDATE, fs.ShortDateFormat, true, fs.DateSeparator, fs.TimeSeparator);
    ReadPattern(locale, LOCALE_SLONGDATE, fs.LongDateFormat, true, fs.DateSeparator, fs.TimeSeparator);
    ReadPattern(locale, LOCALE_STIMEFORMAT, fs.LongTimeFormat, false, fs.DateSeparator, fs.TimeSeparator);
    // Windows 7 and later name a short time; before that it is the long one
    // without its seconds.
    fs.ShortTimeFormat = RemoveSecondsFromTimePattern(fs.LongTimeFormat);
    ReadPattern(locale, LOCALE_SSHORTTIME, fs.ShortTimeFormat, false, fs.DateSeparator, fs.TimeSeparator);
    if (fs.ShortTimeFormat.empty())
        fs.ShortTimeFormat = fs.LongTimeFormat;

    // A locale without 12-hour markers has empty texts here, which is right:
    // an "ampm" token then prints nothing.
    fs.TimeAMString = LocaleString(locale, LOCALE_S1159);
    fs.TimePMString = LocaleString(locale, LOCALE_S2359);

    for (int m = 0; m < 12; ++m) {
        const auto index = static_cast<std::size_t>(m);
        ReadString(locale, static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m), fs.ShortMonthNames[index]);
        ReadString(locale, static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + m), fs.LongMonthNames[index]);
    }
    // Windows counts day names from Monday (DAYNAME1) to Sunday (DAYNAME7);
    // ours start with Sunday.
    for (int d = 0; d < 7; ++d) {
        const auto index = static_cast<std::size_t>((d + 1) % 7);
        ReadString(locale, static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + d), fs.ShortDayNames[index]);
        ReadString(locale, static_cast<LCTYPE>(LOCALE_SDAYNAME1 + d), fs.LongDayNames[index]);
    }
    return fs;
}
