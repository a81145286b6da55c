// What the event editor does that needs no window: the values its controls
// hold, the checks made before OK may close it, how its values become a
// record and a record becomes its values, the rules of its Days and Months
// menus and of its number fields, and the two commands that store the result.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/DateTime.h"
#include "editors/EditorCommon.h"

class EventList;
class TReminders;
class IniFile;
class TEvent;

// The controls of the event editor, one field each. Number fields hold their
// up-down control's position.
struct EventEditorValues {
    // General
    bool Enabled = true;
    std::string Name;
    int IconIndex = 0;                // btnIcon's Tag
    int PeriodIndex = 0;              // cbPeriod: PeriodKind
    int Minutes = 0;                  // udMin, 0..59 (Hourly)
    std::array<bool, 7> Days{};       // pmDays, Sunday first (Daily)
    std::array<bool, 12> Months{};    // pmMonths, January first (Monthly)
    TDateTime Date = 0;               // dtDate: only its date counts
    TDateTime Time = 0;               // dtTime: only its time of day counts
    bool ShowNote = true;             // cbNote
    std::string Notes;                // mmNotes, lines separated by CR LF
    // Sound
    bool PlaySound = false;           // cbSound
    std::string SoundFile;            // edSound
    // Action
    bool ActionEnabled = false;       // cbEnabledAction
    int ActionIndex = 0;              // cbAction: ActionKind
    std::string AppName;              // edAppName
    std::string AppParams;            // edParams
    int ShowModeIndex = 0;            // cbShowMode
    bool ShowWarning = true;          // cbShowWarn
    int WarningSeconds = 10;          // udShTime, 1..99
    bool CloseByForce = false;        // cbForce
    // Options
    int ExpiredIndex = 0;             // cbExpSet: ExpiredKind
    int RunAgainMinutes = 0;          // udRunAgain, 0..59
    bool DeleteOnceEvent = false;     // cbDelOnceEvent
    int TooltipDays = 0;              // udTT, 0..99
    bool ShowWhenBusy = false;        // cbShowWhenBusy
    bool SkipIfLate = false;          // cbSkipLate
    int MaxLateMinutes = 10;          // udSkipLate, 1..999 (kept while SkipIfLate is clear)

    // The date of Date plus the time of day of Time.
    TDateTime Start() const;
    // "1"/"0" per weekday from Sunday.
    std::string DaysMask() const;
    // "1"/"0" per month from January; a month counts only when ticked and it
    // has the start date's day (MonthHasDay).
    std::string MonthsMask() const;
};

// The ranges of the number fields (their up-down controls).
inline constexpr int kMinutesMax = 59;
inline constexpr int kWarningSecondsMin = 1;
inline constexpr int kWarningSecondsMax = 99;

// The checks of OK, in their order; the first that fails is returned, none
// when the values may be stored. editedName is the name of the event being
// edited (null for a new one): that event's own name, in any letter case,
// is not taken. Names compare without regard to letter case, the way the
// events file finds its sections.
std::optional<EditorRefusal> CheckEventEditor(const EventEditorValues& values, TDateTime now,
                                              const EventList& events, const std::string* editedName);

// Whether a month (1..12) has the day of the month d: 31 in the seven long
// months, 30 in the others, 28 in February (also in leap years).
bool MonthHasDay(int month, int day);

// What the select-all item of a menu does next: true when every item is
// ticked, so that it offers to clear them all.
template <std::size_t N>
bool OffersDeselectAll(const std::array<bool, N>& ticks)
{
    for (bool t : ticks)
        if (!t)
            return false;
    return true;
}

// The key filter of the minute fields: Backspace, Enter and the digits get
// through; "0" only when minutesText (edMin's text) is not empty. The regional
// decimal separator gets through once, unless it is "." or ",". Every other
// key is discarded.
bool EditorKeyAllowed(char key, char decimalSeparator, std::string_view minutesText);


// Puts a dialog's values into a record: every field the dialog holds, the
// period steps included (DifDateTime, Dif2DateTime). Only the mask of the
// chosen period is set (Daily: DaysBin, Monthly: MonthsBin); the other keeps
// what the record had, zeros in a new one. LastDateTime, SnoozeDateTime and
// the run-time flags stay as they are.
void ReadEditorIntoEvent(const EventEditorValues& values, TEvent& event);

// The values that show a record in the dialog (Edit Event).
EventEditorValues EditorValuesOf(const TEvent& event);

// New Event after OK: the record, stored and listed by the reminders, owing
// its start and nothing else (no snooze: a "Run again" delay is only for a
// start missed while the program was not running). Returns its index.
// Throws IniWriteError (or std::invalid_argument for a name that cannot be
// stored) with the list and the file unchanged.
int CommitNewEvent(TReminders& reminders, const EventEditorValues& values);

// Edit Event after OK for the event named oldName: its record takes the
// values (keeping its LastDateTime), the old section is replaced by the new
// one in one write (at the end of the file); it keeps its place in the list.
// An event gone meanwhile (it deleted itself after its run) comes back as a
// new one. Throws as CommitNewEvent, with the record and the file unchanged.
void CommitEventEdit(TReminders& reminders, const std::string& oldName, const EventEditorValues& values);
