// The date-time pattern language of the "DateFormat", "TimeFormat" and
// "TTDateFormat" settings, and the locale data it draws names and separators from.
//
// Tokens (letters case-insensitive; a run of the same letter, in any mix of
// cases, is one token):
//   c        short date, a blank, long time; the time is left out when the
//            moment is exactly midnight (to the millisecond)
//   d dd     day of the month without / with a leading zero
//   ddd      abbreviated day name; dddd full day name
//   ddddd    the short date pattern; dddddd (or more d) the long date pattern
//   m mm     month without / with a leading zero; minutes instead when the
//            nearest letter before them (same pattern, outside quoted text,
//            separators in between allowed) is an h
//   mmm      abbreviated month name; mmmm (or more m) full month name
//   y yy     two-digit year; yyy yyyy (or more y) four-digit year
//   h hh     hour without / with a leading zero; 12-hour clock when the same
//            pattern holds an am/pm token anywhere outside quoted text
//   n nn     minute; s ss second (a longer run counts as two letters)
//   z zz zzz millisecond, padded to one, two or three digits
//   t        the short time pattern; tt (or more t) the long time pattern
//   am/pm    "am" or "pm", spelt with the pattern's own letters ("AM/PM" gives AM)
//   a/p      "a" or "p", likewise
//   ampm     the locale's TimeAMString or TimePMString
//   /  :     the locale's date and time separators
//   '...' "..." the text between the quotes, without them
// Anything else is copied. The patterns named by c, ddddd, dddddd, t and tt
// are expanded one level deep only: a token in them that would expand again
// gives nothing, so a locale whose short date pattern contains c still ends.
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
    std::string ShortDateFormat;  // e.g. "m/d/yyyy"
    std::string LongDateFormat;   // e.g. "dddd, mmmm d, yyyy"
    std::string ShortTimeFormat;  // e.g. "h:nn AMPM"
    std::string LongTimeFormat;   // e.g. "h:nn:ss AMPM"
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
// program installs the user's own at start-up (before any second thread runs;
// the setter is not synchronised).
const FormatSettings& CurrentFormatSettings();
void SetCurrentFormatSettings(const FormatSettings& settings);

// Formats a moment with a pattern (letters case-insensitive, quoted text
// copied without its quotes, any other character copied). Never throws; an
// unterminated quote runs to the end of the pattern; an empty pattern formats
// as "c". Undecodable values (NaN, out of range) format as 30 December 1899.
std::string FormatDateTime(std::string_view pattern, TDateTime value,
                           const FormatSettings& fs = CurrentFormatSettings());

// Translates a Windows locale pattern (LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT
// and friends: "dd.MM.yyyy", "HH:mm:ss", "h:mm:ss tt") into the pattern
// language above. Date patterns know d M y g (the era g/gg is dropped; a
// single y, the last digit of the year, becomes yy), time patterns h H m s t
// (t and tt both become AMPM, the locale's own marker texts). Windows quoted
// text stays quoted; a literal "/" or ":" is kept as the separator token only
// when it equals the given locale separator and is quoted otherwise, as is any
// letter Windows treats as plain text.
std::string TranslateWindowsDatePattern(std::string_view windowsPattern, char dateSeparator = '/',
                                        char timeSeparator = ':');
std::string TranslateWindowsTimePattern(std::string_view windowsPattern, char dateSeparator = '/',
                                        char timeSeparator = ':');

// A time pattern without its seconds (and milliseconds): each s or z token is
// removed together with the separator text that led up to it, so
// "h:nn:ss AMPM" becomes "h:nn AMPM". For locales that name no short time.
std::string RemoveSecondsFromTimePattern(std::string_view pattern);

// The text of a moment in the locale's short date and long time, the time left
// out at exactly midnight (the "c" pattern); what the log uses.
std::string DateTimeToString(TDateTime value, const FormatSettings& fs = CurrentFormatSettings());
