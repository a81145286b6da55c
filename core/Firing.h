// Firing an event: what happens when it falls due (note, sound, the record of
// the run, the action) and what the main window does with the event afterwards
// (delete a once event that deletes itself, or move a periodic start ahead).
#pragma once

#include <functional>
#include <string>

class EventList;
class IClock;
class IDesktop;
class IEventRows;
class IniFile;
class TEvent;

// Everything a firing needs besides the event itself. Built by the caller for
// each firing, so the date and time patterns are the settings of that moment.
struct FiringContext {
    IDesktop& Desktop;
    const IClock& Clock;
    IniFile& EventsFile;
    std::string DateFormat;  // the "DateFormat" setting
    std::string TimeFormat;  // the "TimeFormat" setting
    // Tells the upcoming-reminders window to rebuild; may be empty.
    std::function<void()> RefreshTooltip;
};

// The action words and ExitWindowsEx flags of the three power actions
// (ActionIndex 1, 2, 3); EWX_FORCE (4) is added when forced.
const char* PowerActionName(int actionIndex);
unsigned PowerActionFlags(int actionIndex, bool force);

// Fires the event once: the note (a failure there is logged as
// "Error in TEvent.Execute" and the firing goes on), the sound, the record of
// the run ("LastDateTime", not for a test run) and the action; then clears
// SnoozeRun and MissedRun. A power action of a test run always shows its
// countdown, also when the event turns the warning window off.
//
// A failure to write "LastDateTime" (IniWriteError) does not cut the firing
// short: the action still runs, the flags are still cleared, and the error is
// rethrown at the end so that the caller can report it. Once the action has
// begun the event is no longer touched, because a modal countdown lets the
// user edit or delete it meanwhile.
void ExecuteEvent(TEvent& event, bool test, const FiringContext& ctx);

// The handler of a due event (regular run, or snooze run when snooze): runs
// ExecuteEvent on the event at index, then erases a once event with
// DeleteAfterRun from the file, the rows and the list, or after a regular run
// advances a periodic start; finally asks the tooltip to rebuild. An index
// outside the list does nothing.
//
// After ExecuteEvent the event is looked up again by name, since the user may
// have deleted or renamed it while a countdown was showing; when it is gone
// there is nothing left to do. A write failure anywhere is rethrown after the
// remaining steps have run, so the schedule in memory always moves on: the
// first IniWriteError wins. A once event whose section cannot be erased stays
// in the list, matching the file.
void FireEvent(EventList& list, int index, bool snooze, const FiringContext& ctx,
               IEventRows* rows);
