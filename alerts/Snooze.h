// Snoozing a reminder from its note: the choices the note offers, the time
// each one gives, the keyboard shortcuts, and writing the new time into the
// event. No Windows here; the note window (alerts/win/Note.h) draws on it.
#pragma once

#include <span>
#include <string>

#include "core/DateTime.h"

class EventList;
class IClock;
class IniFile;

// One entry of the "Remind later" submenus. Tag is the number the entry
// carries: minutes for "In", days or a month key for "On".
struct SnoozeChoice {
    const char* Name;      // the item's name, e.g. "pmi1min"
    const char* Caption;   // e.g. "1 min"
    int Tag;
    const char* Shortcut;  // shown after a tab, or empty
    bool NewColumn;        // the submenu breaks into a new column here
};

// "In": now plus Tag minutes. "On": now plus Tag days, or calendar months
// for the month keys (see SnoozeOnTime).
std::span<const SnoozeChoice> SnoozeInChoices();
std::span<const SnoozeChoice> SnoozeOnChoices();

// tagMinutes real minutes from now, as a local time (over a daylight-saving
// night 15 minutes are 15 minutes, whatever the clock on the wall shows).
TDateTime SnoozeInTime(const IClock& clock, int tagMinutes);
// Tags 31, 93, 186, 279 and 372 are keys for 1, 3, 6, 9 and 12 calendar
// months (the day cut back to the end of a shorter month, the time kept);
// any other tag is a number of days.
TDateTime SnoozeOnTime(TDateTime now, int tag);

// What a key pressed in a note asks for.
enum class NoteKeyCommand {
    None,
    Close,      // Esc
    OpenMenu,   // Space
    StopMusic,  // End
    In1Min,     // Ctrl+1
    In3Min,     // Ctrl+3
    In5Min,     // Ctrl+5
    On1Day,     // Shift+1
    On3Days,    // Shift+3
    On5Days,    // Shift+5
};

// The note's keyboard rules: Esc, Space and End whatever the modifiers; then
// the digits 1, 3, 5 (main keyboard) with Ctrl, or else with Shift. Ctrl
// wins over Shift. virtualKey is a Windows virtual-key code.
NoteKeyCommand NoteKeyAction(int virtualKey, bool ctrl, bool shift);
