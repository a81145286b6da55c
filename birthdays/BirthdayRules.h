// When a birthday is due, how old a person is and what a birthday note says.
// Every date here is a whole day: only the year, month and day of a stored
// value count, whatever fraction of a day it carries.
#pragma once

#include <string>
#include <string_view>

#include "core/DateFormat.h"
#include "core/DateTime.h"

class TBirthday;

// The calendar day a stored birth date stands for: its whole-day part, or
// NeverTime (16 March 1626) for a value that names no day of the years
// 1..9999 (NaN, infinities, numbers far out of range in a hand-edited file).
TDateTime BirthDayOf(TDateTime birthDate);

// The anniversary of a birth date in the given calendar year. A birthday on
// 29 February falls on 28 February in a year without that day, so such a
// person is reminded and grows a year older every year.
TDateTime AnniversaryInYear(TDateTime birthDate, int year);

// The anniversary in the calendar year of today (never rolled over to the
// next year).
TDateTime ThisYearsAnniversary(TDateTime birthDate, TDateTime today);
TDateTime ThisYearsAnniversary(const TBirthday& record, TDateTime today);

// Whole days from today to the next anniversary: 0 on the day itself, and
// after this year's anniversary the days to next year's (at most 365).
int DaysLeft(TDateTime birthDate, TDateTime today);
int DaysLeft(const TBirthday& record, TDateTime today);

// Completed years from the date to today: year(today) - year(date), less one
// while today is before this year's anniversary. Negative for a date after today.
int YearsSince(TDateTime date, TDateTime today);

// A birthday whose year nobody knows (an address book's "--05-10") is kept
// in this year: a leap year, so that 29 February stays a day, and one the
// birthday editor's date picker can show, so that editing keeps it. Such a
// person has no age: the list shows "?" and "%BirthDate" leaves the year out.
inline constexpr int kUnknownBirthYear = 1804;
bool BirthYearKnown(TDateTime birthDate);
// The age as the list shows it: YearsSince, or "?" for an unknown year.
std::string AgeText(TDateTime birthDate, TDateTime today);
// A date pattern with its year taken out, with the separator that joined it
// ("dd.mm.yyyy" -> "dd.mm", "mmmm d, yyyy" -> "mmmm d"); "c", "ddddd" and
// "dddddd" are first replaced by the short or long date pattern of fs.
std::string DatePatternWithoutYear(std::string_view pattern, const FormatSettings& fs);

// How many days before a birthday its earliest reminder comes (Remind2Weeks).
inline constexpr int kEarliestReminderDays = 14;

// Whether a reminder for the record falls on today: the next anniversary A
// (today's, or the first after it, next year's once this year's has passed)
// is today, or A - 14 / A - 7 / A - 1 is today with Remind2Weeks /
// Remind1Week / Remind1Day. Enabled is not looked at (the daily scan checks it).
bool IsDueOn(const TBirthday& record, TDateTime today);

// The note macros, each replaced in this order at every occurrence (exact,
// case-sensitive), every step working on the result of the step before:
// "%PersonName" by name, "%BirthDate" by dateText, "%CountDays" by countDays.
std::string ReplaceBirthdayMacros(std::string_view notes, std::string_view name,
                                  std::string_view dateText, std::string_view countDays);

// The note text of the record on today: Notes with "%PersonName" = Name,
// "%BirthDate" = the birth day formatted with dateFormat (the "DateFormat"
// setting) in the current regional settings, without the year when it is
// not known, "%CountDays" = DaysLeft.
std::string ExpandMacros(std::string_view notes, const TBirthday& record, TDateTime today,
                         std::string_view dateFormat);
