// How the main window's two lists sort: a click on a column header orders the
// rows ascending by that column. The rules work on the row texts and, for the
// date columns, on the record each row stands for; no Windows here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"

class BirthdayList;
class EventList;

// <0, 0 or >0 as a sorts before, with or after b: letters without regard to
// case in every script, then by UTF-16 unit, as Windows' ordinal comparison
// with ignore-case orders them (CompareIgnoreCase in core/Unicode.h).
int CompareText(std::string_view a, std::string_view b);

// The age column's text read as a decimal integer (an optional sign, then
// digits, nothing else); 0 when it is not one or does not fit in an int.
int ParseAge(std::string_view text);

// The texts of one row as the list shows them.
struct ListRowTexts {
    std::string Caption;  // the record's name
    std::string Second;   // date (and time)
    std::string Third;    // periodicity or age
};

enum class SortRule { Text, DateTime, Integer };

// What a row is ordered by for one column.
struct RowSortKey {
    SortRule Rule = SortRule::Text;
    std::string Text;
    TDateTime Date = 0;
    int Number = 0;
};

// The three columns of either list; any other stored index sorts nothing.
inline constexpr int SortColumnCount = 3;
bool IsSortColumn(int column);

// The message written to the log when a date column finds no record for a
// row (the same text serves both lists).
inline constexpr const char* SortMissingRecordMessage = "Error in lvEventsColumnClick";

// Events: 0 the caption (text), 1 the event's StartDateTime (found by the
// caption, letter case ignored), 2 the periodicity text (text).
// Birthdays: 0 the caption (text), 1 the BirthDate, year included, 2 the age
// text as an integer.
// A date column whose record is missing uses the date 0 and writes
// SortMissingRecordMessage to the log. The column must satisfy IsSortColumn.
RowSortKey EventRowSortKey(const EventList& events, int column, const ListRowTexts& row);
RowSortKey BirthdayRowSortKey(const BirthdayList& birthdays, int column, const ListRowTexts& row);

// <0, 0 or >0; both keys must come from the same column. A date that is not a
// number (NaN) counts as 0, so the order stays total.
int CompareRowKeys(const RowSortKey& a, const RowSortKey& b);

// The positions of keys in ascending order; rows that compare equal keep the
// order they had.
std::vector<int> SortedOrder(const std::vector<RowSortKey>& keys);
