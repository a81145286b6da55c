#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "core/DateFormat.h"
#include "tests/TestLocales.h"

namespace {

const FormatSettings& US()
{
    return EnglishUSFormatSettings();
}

const FormatSettings& DE()
{
    static const FormatSettings fs = GermanLikeFormatSettings();
    return fs;
}

// Tuesday 5 March 2024, 14:07:09.045.
const TDateTime kAfternoon = EncodeDateTime({2024, 3, 5}, {14, 7, 9, 45});
// The same day, 00:05:03.007.
const TDateTime kAfterMidnight = EncodeDateTime({2024, 3, 5}, {0, 5, 3, 7});
const TDateTime kNoon = EncodeDateTime({2024, 3, 5}, {12, 30, 0, 0});
const TDateTime kMidnight = EncodeDate(2024, 3, 5);

struct Row {
    const char* pattern;
    TDateTime value;
    const FormatSettings& (*locale)();
    const char* expected;
};

void RunTable(const Row* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(FormatDateTime(r.pattern, r.value, r.locale()), r.expected)
            << "pattern [" << r.pattern << "] value " << r.value;
    }
}

TEST(DateFormat, DateTokens)
{
    const Row rows[] = {
        {"d", kAfternoon, US, "5"}, {"dd", kAfternoon, US, "05"},
        {"ddd", kAfternoon, US, "Tue"}, {"dddd", kAfternoon, US, "Tuesday"},
        {"ddddd", kAfternoon, US, "3/5/2024"}, {"dddddd", kAfternoon, US, "Tuesday, March 5, 2024"},
        {"ddddddddd", kAfternoon, US, "Tuesday, March 5, 2024"}, {"ddd", kAfternoon, DE, "Di"},
        {"ddddd", kAfternoon, DE, "05.03.2024"}, {"dddddd", kAfternoon, DE, "Dienstag, 5. Maerz 2024"},
        {"m", kAfternoon, US, "3"}, {"mm", kAfternoon, US, "03"},
        {"mmm", kAfternoon, US, "Mar"}, {"mmmm", kAfternoon, US, "March"},
        {"mmmmmm", kAfternoon, US, "March"}, {"mmm", kAfternoon, DE, "Mrz"},
        {"y", kAfternoon, US, "24"}, {"yy", kAfternoon, US, "24"},
        {"yyy", kAfternoon, US, "2024"}, {"yyyy", kAfternoon, US, "2024"},
        {"yyyyyy", kAfternoon, US, "2024"}, {"yy", EncodeDate(2007, 1, 1), US, "07"},
        {"yyyy", EncodeDate(33, 1, 1), US, "0033"}, {"d/m/yy", EncodeDate(1999, 12, 31), US, "31/12/99"},
        {"dd/mm/yyyy", kAfternoon, DE, "05.03.2024"},
    };
    RunTable(rows, std::size(rows));
}

TEST(DateFormat, TimeTokens)
{
    const Row rows[] = {
        {"h", kAfternoon, US, "14"}, {"hh", kAfternoon, US, "14"},
        {"hhhh", kAfternoon, US, "14"}, {"h", kAfterMidnight, US, "0"},
        {"hh", kAfterMidnight, US, "00"}, {"n", kAfternoon, US, "7"},
        {"nn", kAfternoon, US, "07"}, {"nnn", kAfternoon, US, "07"},
        {"s", kAfternoon, US, "9"}, {"ss", kAfternoon, US, "09"},
        {"sss", kAfternoon, US, "09"}, {"z", kAfternoon, US, "45"},
        {"zz", kAfternoon, US, "45"}, {"zzz", kAfternoon, US, "045"},
        {"zzzz", kAfternoon, US, "045"}, {"z", kAfterMidnight, US, "7"},
        {"zz", kAfterMidnight, US, "07"}, {"zzz", kAfterMidnight, US, "007"},
        {"t", kAfternoon, US, "2:07 PM"}, {"tt", kAfternoon, US, "2:07:09 PM"},
        {"ttt", kAfternoon, US, "2:07:09 PM"}, {"t", kAfternoon, DE, "14:07"},
        {"tt", kAfternoon, DE, "14:07:09"}, {"hh:nn:ss.zzz", kAfternoon, US, "14:07:09.045"},
    };
    RunTable(rows, std::size(rows));
}

TEST(DateFormat, WholeMomentAndEmptyPattern)
{
    const Row rows[] = {
        {"c", kAfternoon, US, "3/5/2024 2:07:09 PM"}, {"", kAfternoon, US, "3/5/2024 2:07:09 PM"},
        {"C", kAfternoon, US, "3/5/2024 2:07:09 PM"}, {"cc", kAfternoon, US, "3/5/2024 2:07:09 PM"},
        {"c", kAfternoon, DE, "05.03.2024 14:07:09"}, {"c", kMidnight, US, "3/5/2024"},
        {"c", kMidnight, DE, "05.03.2024"},
        // Not exactly midnight: the time shows, even when it reads 00:00:00.
        {"c", kMidnight + EncodeTime(0, 0, 0, 1), DE, "05.03.2024 00:00:00"},
        {"c", kAfterMidnight, US, "3/5/2024 12:05:03 AM"}, {"c", NeverTime, US, "3/16/1626"},
        {"c", -1.25, US, "12/29/1899 6:00:00 AM"},
    };
    RunTable(rows, std::size(rows));
    EXPECT_EQ(DateTimeToString(kMidnight, DE()), "05.03.2024");
}

TEST(DateFormat, AmPmMarkers)
{
    const Row rows[] = {
        {"am/pm", kAfternoon, US, "pm"}, {"AM/PM", kAfternoon, US, "PM"},
        {"Am/pM", kAfternoon, US, "pM"}, {"aM/Pm", kAfterMidnight, US, "aM"},
        {"a/p", kAfternoon, US, "p"}, {"A/P", kAfterMidnight, US, "A"},
        {"A/p", kAfternoon, US, "p"}, {"ampm", kAfternoon, US, "PM"},
        {"AMPM", kAfterMidnight, US, "AM"}, {"ampm", kNoon, US, "PM"},
        {"ampm", kAfternoon, DE, ""},
        // A lone "a" is plain text.
        {"a", kAfternoon, US, "a"}, {"aa", kAfternoon, US, "aa"},
        {"am", kAfternoon, US, "a3"},  // the m is a month again
        {"a/", kAfternoon, US, "a/"},
    };
    RunTable(rows, std::size(rows));
}

TEST(DateFormat, TwelveHourClockWhenTheSamePatternHasAMarker)
{
    const Row rows[] = {
        {"h:nn am/pm", kAfterMidnight, US, "12:05 am"}, {"hh:nn AMPM", kAfterMidnight, US, "12:05 AM"},
        {"h:nn a/p", kNoon, US, "12:30 p"}, {"h:nn a/p", kAfternoon, US, "2:07 p"},
        {"hh:nn a/p", kAfternoon, US, "02:07 p"}, {"h:nn", kAfterMidnight, US, "0:05"},
        {"h:nn", kAfternoon, US, "14:07"},
        // The marker may stand before the hour as well.
        {"AMPM h:nn", kAfternoon, US, "PM 2:07"}, {"h (hh) am/pm", kAfternoon, US, "2 (02) pm"},
        // A marker inside quotes does not count.
        {"h 'am/pm'", kAfternoon, US, "14 am/pm"},
        // Nor does one in a locale pattern the hour does not stand in.
        {"h t", kAfternoon, US, "14 2:07 PM"}, {"h:nn", EncodeTime(23, 59, 0), US, "23:59"},
        {"h:nn ampm", EncodeTime(23, 59, 0), US, "11:59 PM"},
    };
    RunTable(rows, std::size(rows));
}

TEST(DateFormat, MinutesRightAfterAnHour)
{
    const Row rows[] = {
        {"h:m", kAfternoon, US, "14:7"}, {"hh:mm", kAfternoon, US, "14:07"},
        {"HH:MM", kAfternoon, US, "14:07"}, {"hmm", kAfternoon, US, "1407"},
        {"h mm", kAfternoon, US, "14 07"}, {"hh.mm", kAfternoon, DE, "14.07"},
        // Quoted text is not a letter of the pattern.
        {"hh'x'mm", kAfternoon, US, "14x07"},
        // A three-letter run after an hour is still minutes, two digits.
        {"hh:mmm", kAfternoon, US, "14:07"},
        // Any other letter in between breaks the rule.
        {"hh dd mm", kAfternoon, US, "14 05 03"}, {"hh:nn:mm", kAfternoon, US, "14:07:03"},
        {"hh x mm", kAfternoon, US, "14 x 03"}, {"h am/pm mm", kAfternoon, US, "2 pm 03"},
        {"mm hh", kAfternoon, US, "03 14"}, {"mm", kAfternoon, US, "03"},
        // A locale pattern does not pass its last letter back out.
        {"t mm", kAfternoon, US, "2:07 PM 03"},
    };
    RunTable(rows, std::size(rows));
}

TEST(DateFormat, QuotesSeparatorsAndPlainText)
{
    const Row rows[] = {
        {"'hh'", kAfternoon, US, "hh"}, {"\"dd\"", kAfternoon, US, "dd"},
        {"'it''s' d", kAfternoon, US, "its 5"}, {"\"it's\" d", kAfternoon, US, "it's 5"},
        {"'say \"d\"'", kAfternoon, US, "say \"d\""}, {"d 'unterminated d", kAfternoon, US, "5 unterminated d"},
        {"d \"", kAfternoon, US, "5 "}, {"''", kAfternoon, US, ""},
        {"d/m", kAfternoon, US, "5/3"}, {"d/m", kAfternoon, DE, "5.3"},
        {"'/'", kAfternoon, DE, "/"}, {"h:n", kAfternoon, DE, "14:7"},
        {"[d] #1 - b, q!", kAfternoon, US, "[5] #1 - b, q!"}, {"xyz", kAfternoon, US, "x2445"},
        {"DD-MM-YYYY", kAfternoon, US, "05-03-2024"}, {"Dd", kAfternoon, US, "05"},
        {"dDdD", kAfternoon, US, "Tuesday"}, {"\xC3\xA9 d", kAfternoon, US, "\xC3\xA9 5"},
    };
    RunTable(rows, std::size(rows));
}

TEST(DateFormat, EmptySeparatorsPrintNothing)
{
    FormatSettings fs = US();
    fs.DateSeparator = '\0';
    fs.TimeSeparator = '\0';
    EXPECT_EQ(FormatDateTime("d/m h:n", kAfternoon, fs), "53 147");
}

TEST(DateFormat, LocalePatternsExpandOneLevelOnly)
{
    // Locale patterns that name each other, or themselves, must still end.
    FormatSettings fs = US();
    fs.ShortDateFormat = "c d";
    fs.LongDateFormat = "dddddd ddddd";
    fs.ShortTimeFormat = "t";
    fs.LongTimeFormat = "tt h";
    EXPECT_EQ(FormatDateTime("c", kAfternoon, fs), " 5  14");
    EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, fs), " 5");
    EXPECT_EQ(FormatDateTime("dddddd", kAfternoon, fs), " ");
    EXPECT_EQ(FormatDateTime("t", kAfternoon, fs), "");
    EXPECT_EQ(FormatDateTime("tt", kAfternoon, fs), " 14");
    EXPECT_EQ(FormatDateTime("", kMidnight, fs), " 5");
}

TEST(DateFormat, CurrentSettingsStartAsEnglishAndCanBeReplaced)
{
    EXPECT_EQ(CurrentFormatSettings().ShortDateFormat, US().ShortDateFormat);
    EXPECT_EQ(FormatDateTime("ddddd", kAfternoon), "3/5/2024");
    SetCurrentFormatSettings(DE());
    EXPECT_EQ(FormatDateTime("ddddd", kAfternoon), "05.03.2024");
    EXPECT_EQ(DateTimeToString(kAfternoon), "05.03.2024 14:07:09");
    SetCurrentFormatSettings(US());
    EXPECT_EQ(DateTimeToString(kAfternoon), "3/5/2024 2:07:09 PM");
}

struct TranslationRow {
    const char* windows;
    char dateSeparator;
    char timeSeparator;
    const char* expected;
};

TEST(DateFormatTranslate, WindowsDatePatterns)
{
    const TranslationRow rows[] = {
        {"dd.MM.yyyy", '.', ':', "dd.mm.yyyy"}, {"M/d/yyyy", '/', ':', "m/d/yyyy"},
        {"dddd, MMMM d, yyyy", '/', ':', "dddd, mmmm d, yyyy"}, {"ddd, MMM dd yy", '/', ':', "ddd, mmm dd yy"},
        {"d' de 'MMMM' de 'yyyy", '/', ':', "d' de 'mmmm' de 'yyyy"}, {"yyyy-MM-dd", '-', ':', "yyyy-mm-dd"},
        {"y", '/', ':', "yy"}, {"yyy", '/', ':', "yyyy"},
        {"yyyyy", '/', ':', "yyyy"}, {"ddddd MMMMM", '/', ':', "dddd mmmm"},
        // The era is dropped, and the blank it leaves at an end with it.
        {"gg yyyy/M/d", '/', ':', "yyyy/m/d"}, {"d.M.yyyy g", '.', ':', "d.m.yyyy"},
        // A literal slash that is not the locale separator stays a slash.
        {"yyyy/MM/dd", '-', ':', "yyyy'/'mm'/'dd"}, {"dd/MM/yyyy", '.', ':', "dd'/'mm'/'yyyy"},
        // Letters Windows shows as text would be tokens for us: quoted.
        {"dd x MM", '/', ':', "dd 'x' mm"}, {"yyyy 'r.' d", '/', ':', "yyyy 'r.' d"},
        {"m D Y", '/', ':', "'m' 'D' 'Y'"}, {"dd''MM", '/', ':', "dd\"'\"mm"},
        {"'it''s' d", '/', ':', "'it'\"'\"'s' d"}, {"'unterminated d", '/', ':', "'unterminated d'"},
        {"d \"q\"", '/', ':', "d '\"q\"'"}, {"\xE5\xB9\xB4 d", '/', ':', "\xE5\xB9\xB4 d"},
        {"", '/', ':', ""},
    };
    for (const TranslationRow& r : rows)
        EXPECT_EQ(TranslateWindowsDatePattern(r.windows, r.dateSeparator, r.timeSeparator), r.expected)
            << "[" << r.windows << "]";
    // The defaults are the English separators.
    EXPECT_EQ(TranslateWindowsDatePattern("M/d/yyyy"), "m/d/yyyy");
}

TEST(DateFormatTranslate, WindowsTimePatterns)
{
    const TranslationRow rows[] = {
        {"HH:mm:ss", '/', ':', "hh:nn:ss"}, {"h:mm:ss tt", '/', ':', "h:nn:ss AMPM"},
        {"h:mm tt", '/', ':', "h:nn AMPM"}, {"H:mm", '/', ':', "h:nn"},
        {"tt hh:mm:ss", '/', ':', "AMPM hh:nn:ss"}, {"hh:mm:ss t", '/', ':', "hh:nn:ss AMPM"},
        {"HH.mm.ss", '.', '.', "hh.nn.ss"}, {"HH:mm", '.', '.', "hh':'nn"},
        {"H' h 'mm", '/', ':', "h' h 'nn"}, {"H 'Uhr' m", '/', ':', "h 'Uhr' n"},
        {"hhh:mmm:sss", '/', ':', "hh:nn:ss"},
        // Two hour letters in a row stay two tokens.
        {"hH", '/', ':', "h''h"},
        // Letters that are no time picture are text.
        {"HH:mm T", '/', ':', "hh:nn 'T'"}, {"HH:mm:ss d", '/', ':', "hh:nn:ss 'd'"},
        {"", '/', ':', ""},
    };
    for (const TranslationRow& r : rows)
        EXPECT_EQ(TranslateWindowsTimePattern(r.windows, r.dateSeparator, r.timeSeparator), r.expected)
            << "[" << r.windows << "]";
}

TEST(DateFormatTranslate, ShortTimeFromLongTime)
{
    struct Case {
        const char* longTime;
        const char* shortTime;
    };
    const Case cases[] = {
        {"h:nn:ss AMPM", "h:nn AMPM"}, {"hh:nn:ss", "hh:nn"},
        {"AMPM h:nn:ss", "AMPM h:nn"}, {"hh:nn:ss.zzz", "hh:nn"},
        {"h' h 'nn' min 'ss' s'", "h' h 'nn' s'"}, {"ss:nn", "nn"},
        {"hh:nn 'ss'", "hh:nn 'ss'"}, {"hh:nn", "hh:nn"},
        {"h:nn:ss am/pm", "h:nn am/pm"}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RemoveSecondsFromTimePattern(c.longTime), c.shortTime) << c.longTime;
}

}  // namespace
