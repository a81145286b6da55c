// The date rules of the scheduler: whether a moment is one of an event's
// slots, where its start moves after a run (and back, when the clock is
// corrected), and the names of the period kinds. Pure functions: the
// reminders object (core/Reminders.h) decides when they apply and writes.
#pragma once

#include <string>
#include <string_view>

#include "core/DateTime.h"

class IClock;
class TEvent;

// Whether the event may run at now: enabled, and for Daily/Monthly the
// weekday/month of now selected in its mask.
bool CanRunNow(const TEvent& event, TDateTime now);
// Whether the event's start is one of its slots: for Daily and Monthly a day
// its mask selects; every other kind, always.
bool StartIsSlot(const TEvent& event);
// Whether a periodic event's rule gives slots at all: a step above 0, a mask
// with a day or month, a readable start. False for once events.
bool HasSlots(const TEvent& event);

// The slot after slot by the event's rule, one step, in wall-clock time
// (hourly steps as well: the reminders object takes those in real time).
// Once events and a rule without slots stay where they are.
TDateTime NextSlot(const TEvent& event, TDateTime slot);
// The slot before slot: the step back that NextSlot would have taken to
// reach it (Daily: the previous selected weekday; Monthly: the previous
// selected month, the day cut back as going forward would). Once events and
// a rule without slots stay.
TDateTime PreviousSlot(const TEvent& event, TDateTime slot);

// A periodic start that is not a slot, or lies at or behind the instant now,
// moves forward by whole steps of its own rule to its first slot after now
// (hourly steps in real time by the clock's zone rules; the other kinds keep
// their time of day); the slots missed meanwhile are not made up. Once
// events, a rule without slots and an unreadable start stay. Returns whether
// the start moved; writes nothing. StartLater follows the new start.
bool MoveStartAhead(TEvent& event, const IClock& clock, double now);

// Days to the next selected weekday after d's weekday (7 when only d's own is
// selected, 0 when none). mask[0] is Sunday.
int DaysToNextWeekday(std::string_view mask, TDateTime d);
// Days from d to the same day in the next selected month (a year when only
// d's own month is selected, 0 when none). mask[0] is January.
double DaysToNextMonth(std::string_view mask, TDateTime d);

// "Once", "Hourly", "Daily", "Weekly", "Monthly", "Annually"; "" otherwise.
std::string PeriodName(int periodInd);
