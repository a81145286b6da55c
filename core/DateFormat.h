// The date-time pattern language of the "DateFormat", "TimeFormat" and
// "TTDateFormat" settings, and the locale data it draws names and separators from.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/DateTime.h"

// What the user's regional settings say about dates, times and numbers,
// already translated into the program's pattern language.
struct FormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    std::string ShortDateFormat;  // e.g. "M/d/yyyy"
    std::string LongDateFormat;   // e.g. "dddd, MMMM d, yyyy"
    std::string ShortTimeFormat;  // e.g. "h:mm AMPM"
    std::string LongTimeFormat;   // e.g. "h:mm:ss AMPM"
    std::string TimeAMString;     // e.g. "AM"
    std::string TimePMString;     // e.g. "PM"
    std::array<std::string, 12> ShortMonthNames;  // [0] = January
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 7> ShortDayNames;  // [0] = Sunday
    std::array<std::string, 7> LongDayNames;
};

// English (United States), fixed; the locale of the native build and its tests.
const FormatSettings& EnglishUSFormatSettings();

// The process-wide regional settings: English (United States) until the
// program installs the user's own at start-up.
const FormatSettings& CurrentFormatSettings();
void SetCurrentFormatSettings(const FormatSettings& settings);

// Formats a moment with a pattern (letters case-insensitive, quoted text
// copied without its quotes, any other character copied). Never throws; an
// unterminated quote runs to the end of the pattern.
std::string FormatDateTime(std::string_view pattern, TDateTime value,
                           const FormatSettings& fs = CurrentFormatSettings());

// Translates a Windows locale pattern (LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT
// and friends: "dd.MM.yyyy", "HH:mm:ss", "h:mm:ss tt") into the pattern
// language above.
std::string TranslateWindowsDatePattern(std::string_view windowsPattern);
std::string TranslateWindowsTimePattern(std::string_view windowsPattern);

// The text of a moment in the locale's short date and long time, the time left
// out at exactly midnight (the "c" pattern); what the log uses.
std::string DateTimeToString(TDateTime value, const FormatSettings& fs = CurrentFormatSettings());
