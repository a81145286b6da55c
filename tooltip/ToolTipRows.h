// What the upcoming-reminders window lists and how tall it is.
#pragma once

#include <string>
#include <vector>

#include "core/DateTime.h"

class BirthdayList;
class EventList;

// The colour class of a row.
enum TooltipRowClass {
    rcToday = 0,     // due today
    rcTomorrow = 1,  // due tomorrow
    rcLater = 2,     // due later
    rcPassed = 3,    // an event due today whose time has come
};

struct TooltipRow {
    std::string Caption;
    int Image = 0;        // in the window's list: birthday icons, then event icons
    std::string Second;   // "N day(s) left", a start time, or empty
    int Class = rcLater;
    bool operator==(const TooltipRow&) const = default;
};

// The rows at now: first every enabled birthday whose next anniversary (this
// year's, or next year's once it has passed) is no further away than its
// ShowInTTDaysBefore, then every enabled event whose start day is today or
// later and no further away than its ShowInTTDaysBefore, each list in its own
// order. birthdayIconCount offsets the events' icons; shortTimeFormat shows
// the start of an event due today.
std::vector<TooltipRow> BuildTooltipRows(const BirthdayList& birthdays, const EventList& events, TDateTime now,
                                         int birthdayIconCount, const std::string& shortTimeFormat);

// The window's height at 96 DPI: the title bar (25), 17 per row, the zodiac
// panel (50) when shown and the list panel (50) when there are rows.
int TooltipHeight(int rows, bool zodiac);
