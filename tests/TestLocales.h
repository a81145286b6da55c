// A second locale for the formatting tests and the fuzzer: 24-hour time, '.'
// between the parts of a date and ',' as decimal point, in the spirit of
// German; names kept ASCII.
#pragma once

#include "core/DateFormat.h"

inline FormatSettings GermanLikeFormatSettings()
{
    FormatSettings fs;
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    fs.DecimalSeparator = ',';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongDateFormat = "dddd, d. mmmm yyyy";
    fs.ShortTimeFormat = "hh:nn";
    fs.LongTimeFormat = "hh:nn:ss";
    fs.ShortMonthNames = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    fs.LongMonthNames = {"Januar", "Februar", "Maerz",     "April",   "Mai",      "Juni",
                         "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    fs.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    fs.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    return fs;
}
