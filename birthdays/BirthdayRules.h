// When a birthday is due, how old a person is and what a birthday note says.
// Every date here is a whole day: only the year, month and day of a stored
// value count, whatever fraction of a day it carries.
#pragma once

#include <string>
#include <string_view>

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
// setting) in the current regional settings, "%CountDays" = DaysLeft.
std::string ExpandMacros(std::string_view notes, const TBirthday& record, TDateTime today,
                         std::string_view dateFormat);
