#include "birthdays/BirthdayRules.h"

#include <cmath>

#include "birthdays/Birthday.h"
#include "core/DateFormat.h"

namespace {

// Day numbers of 1 January 0001 and 31 December 9999: the days a stored
// value can name. Anything else comes from a damaged or hand-edited file.
constexpr double FirstDay = -693593.0;
constexpr double LastDay = 2958465.0;

DateParts DayParts(TDateTime value) { return DecodeDate(BirthDayOf(value)); }

int YearOf(TDateTime day) { return DayParts(day).year; }

}  // namespace

TDateTime BirthDayOf(TDateTime birthDate) {
    // Written so that NaN fails the tests as well.
    if (!(birthDate > FirstDay - 2.0 && birthDate < LastDay + 2.0)) return NeverTime;
    // Rounded to the millisecond first, as every date decoding in the program
    // does, so that the day named here is the day a formatted date shows.
    const double day = std::trunc(std::round(birthDate * 86400000.0) / 86400000.0);
    if (!(day >= FirstDay && day <= LastDay)) return NeverTime;
    return day;
}

TDateTime AnniversaryInYear(TDateTime birthDate, int year) {
    const DateParts born = DayParts(birthDate);
    int day = born.day;
    if (born.month == 2 && day == 29 && !IsLeapYear(year)) day = 28;
    return EncodeDate(year, born.month, day);
}

TDateTime ThisYearsAnniversary(TDateTime birthDate, TDateTime today) {
    return AnniversaryInYear(birthDate, YearOf(today));
}

TDateTime ThisYearsAnniversary(const TBirthday& record, TDateTime today) {
    return ThisYearsAnniversary(record.BirthDate, today);
}

int DaysLeft(TDateTime birthDate, TDateTime today) {
    const TDateTime day = BirthDayOf(today);
    TDateTime next = ThisYearsAnniversary(birthDate, day);
    if (day > next) next = AnniversaryInYear(birthDate, YearOf(day) + 1);
    return static_cast<int>(next - day);
}

int DaysLeft(const TBirthday& record, TDateTime today) { return DaysLeft(record.BirthDate, today); }

int YearsSince(TDateTime date, TDateTime today) {
    const TDateTime day = BirthDayOf(today);
    int years = YearOf(day) - DayParts(date).year;
    if (day < ThisYearsAnniversary(date, day)) --years;
    return years;
}

bool IsDueOn(const TBirthday& record, TDateTime today) {
    const TDateTime day = BirthDayOf(today);
    // The next anniversary, so that 22 December reminds of 5 January.
    const TDateTime a = day + DaysLeft(record, day);
    return (record.Remind2Weeks && a - 14 == day) || (record.Remind1Week && a - 7 == day) ||
           (record.Remind1Day && a - 1 == day) || a == day;
}

namespace {

std::string ReplaceAll(std::string_view text, std::string_view macro, std::string_view value) {
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(macro); at != std::string_view::npos; at = text.find(macro, from)) {
        result.append(text.substr(from, at - from));
        result.append(value);
        from = at + macro.size();
    }
    result.append(text.substr(from));
    return result;
}

}  // namespace

std::string ReplaceBirthdayMacros(std::string_view notes, std::string_view name,
                                  std::string_view dateText, std::string_view countDays) {
    std::string text = ReplaceAll(notes, "%PersonName", name);
    text = ReplaceAll(text, "%BirthDate", dateText);
    return ReplaceAll(text, "%CountDays", countDays);
}

std::string ExpandMacros(std::string_view notes, const TBirthday& record, TDateTime today,
                         std::string_view dateFormat) {
    const std::string dateText =
        BirthYearKnown(record.BirthDate)
            ? FormatDateTime(dateFormat, BirthDayOf(record.BirthDate))
            : FormatDateTime(DatePatternWithoutYear(dateFormat, CurrentFormatSettings()), BirthDayOf(record.BirthDate));
    return ReplaceBirthdayMacros(notes, record.Name, dateText,
                                 std::to_string(DaysLeft(record, today)));
}

bool BirthYearKnown(TDateTime birthDate) { return YearOf(birthDate) != kUnknownBirthYear; }

std::string AgeText(TDateTime birthDate, TDateTime today) {
    return BirthYearKnown(birthDate) ? std::to_string(YearsSince(birthDate, today)) : "?";
}

namespace {

bool IsPatternLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The pattern with "c", "ddddd" and "dddddd" replaced by the date patterns
// they stand for (one level, as the formatter does).
std::string ExpandDateTokens(std::string_view pattern, const FormatSettings& fs) {
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            const size_t end = pattern.find(c, i + 1);
            const size_t stop = end == std::string_view::npos ? pattern.size() : end + 1;
            out.append(pattern.substr(i, stop - i));
            i = stop;
            continue;
        }
        size_t run = i;
        while (run < pattern.size() && Lower(pattern[run]) == Lower(c)) ++run;
        const size_t length = run - i;
        if (Lower(c) == 'c' && length == 1)
            out += fs.ShortDateFormat;
        else if (Lower(c) == 'd' && length == 5)
            out += fs.ShortDateFormat;
        else if (Lower(c) == 'd' && length >= 6)
            out += fs.LongDateFormat;
        else
            out.append(pattern.substr(i, length));
        i = run;
    }
    return out;
}

}  // namespace

std::string DatePatternWithoutYear(std::string_view pattern, const FormatSettings& fs) {
    const std::string full = ExpandDateTokens(pattern.empty() ? std::string_view("c") : pattern, fs);
    std::string out;
    bool dropSeparator = false;  // the year began the pattern: drop what follows it
    for (size_t i = 0; i < full.size();) {
        const char c = full[i];
        if (c == '\'' || c == '"') {
            const size_t end = full.find(c, i + 1);
            const size_t stop = end == std::string::npos ? full.size() : end + 1;
            out.append(full, i, stop - i);
            i = stop;
            dropSeparator = false;
            continue;
        }
        if (Lower(c) == 'y') {
            while (i < full.size() && Lower(full[i]) == 'y') ++i;
            // The separator before the year goes with it.
            size_t keep = out.size();
            while (keep > 0 && !IsPatternLetter(out[keep - 1]) && out[keep - 1] != '\'' && out[keep - 1] != '"')
                --keep;
            dropSeparator = keep == 0;
            out.resize(keep);
            continue;
        }
        if (dropSeparator && !IsPatternLetter(c)) {
            ++i;
            continue;
        }
        dropSeparator = false;
        out += c;
        ++i;
    }
    return out;
}
