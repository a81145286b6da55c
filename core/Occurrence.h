// The date rules of the scheduler: the next moment to wait for, whether an
// event may run now, where its start moves after a run, and the start-up pass
// over events whose start has passed.
#pragma once

#include <string>
#include <string_view>

#include "core/DateTime.h"

class EventList;
class IniFile;
class TEvent;

// What the rules tell the event list on screen; the window implements it,
// tests record the calls.
class IEventRows {
public:
    virtual ~IEventRows() = default;
    // The start of this event changed (its date column must follow).
    virtual void StartChanged(const TEvent& event) = 0;
    // The event at this index of the list is about to be removed; the row
    // with its name goes too (the row above a selected one becomes selected).
    virtual void Removing(int index, const TEvent& event) = 0;
};

// The earliest start or snooze moment of an enabled event that is not yet
// past (less than Epsilon behind now counts as ahead); NoDueTime when none,
// 0 when the list is empty.
TDateTime ComputeNextDue(const EventList& list, TDateTime now);
// The earliest start or snooze moment of an enabled event strictly after
// after (which may lie behind now); NoDueTime when none, 0 when the list is
// empty.
TDateTime EarliestMomentAfter(const EventList& list, TDateTime after);

// Whether the event may run at now: enabled, and for Daily/Monthly the
// weekday/month of now selected in its mask.
bool CanRunNow(const TEvent& event, TDateTime now);

// One step of a periodic event's start (no catching up); writes
// "StartDateTime" for every kind and tells rows for periodic kinds.
void AdvanceStart(TEvent& event, IniFile& file, IEventRows* rows);

// Days to the next selected weekday after d's weekday (7 when only d's own is
// selected, 0 when none). mask[0] is Sunday.
int DaysToNextWeekday(std::string_view mask, TDateTime d);
// Days from d to the same day in the next selected month (a year when only
// d's own month is selected, 0 when none). mask[0] is January.
double DaysToNextMonth(std::string_view mask, TDateTime d);

// Start-up pass over events whose start is before now: "Delete" erases them
// from file and list, "Run again" arms a snooze run Dif2DateTime from now;
// then the periodic ones ("Keep" and "Run again") move their start ahead of
// now (MoveStartsAhead), so that they go on running.
void ProcessMissedEvents(EventList& list, IniFile& file, TDateTime now, IEventRows* rows);

// A periodic event whose start has passed without a run moves forward by
// whole steps of its own rule to the first moment ahead of now (less than
// Epsilon behind counts as ahead); the runs missed meanwhile are not made
// up. A Daily or Monthly start on a day its mask excludes first moves to the
// first day the mask allows. Once events, an empty mask, a step of 0 or less
// and an unreadable start (NeverTime) stay. Returns whether the start moved;
// writes nothing.
bool MoveStartAhead(TEvent& event, TDateTime now);
// MoveStartAhead for every event of the list, telling rows for each one that
// moved and writing their "StartDateTime" in one write. Throws IniWriteError
// (the starts in memory have moved all the same).
void MoveStartsAhead(EventList& list, IniFile& file, TDateTime now, IEventRows* rows);

// "Once", "Hourly", "Daily", "Weekly", "Monthly", "Annually"; "" otherwise.
std::string PeriodName(int periodInd);
