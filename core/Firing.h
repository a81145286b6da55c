// Firing an event: what happens when it falls due (note, sound, the record of
// the run, the action), in pieces the reminders object puts together, and as
// a whole for a test run.
#pragma once

#include <functional>
#include <string>

#include "core/Desktop.h"

class IClock;
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

// The note of a run: caption with the start (or now, for a snooze run), the
// text, the icon, the status line ("Missing...", "Snoozing...") and the
// "Remind later" state.
NoteRequest BuildEventNote(const TEvent& event, bool test, const FiringContext& ctx);
// Shows it; a failure is logged ("Error in TEvent.Execute") and goes no further.
void ShowEventNote(const TEvent& event, bool test, const FiringContext& ctx);

// What an event's action needs, copied out of it before the action starts
// (a modal countdown lets the user edit or delete the event meanwhile).
struct EventAction {
    bool Enabled = false;
    int Index = 0;
    std::string AppName;
    std::string AppParams;
    int ShowCommand = 0;
    int Seconds = 0;
    bool Force = false;
    bool Warn = true;
};
EventAction ActionOf(const TEvent& event);
// Opens the program, or starts the power action: with its countdown unless
// the event turns the warning off for real runs; one countdown at a time.
void RunEventAction(const EventAction& action, bool test, const FiringContext& ctx);

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
