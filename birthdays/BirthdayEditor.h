// What the birthday editor does that needs no window: the values its
// controls hold, the checks of OK, the two commands that store a birthday,
// and the preview's text.
#pragma once

#include <string>
#include <vector>

#include "core/DateTime.h"
#include "editors/EditorCommon.h"

class BirthdayList;
class TReminders;
class IniFile;
class TBirthday;

// The time of day the date picker keeps, 09:35:08: a new birthday's
// BirthDate carries it, an edited one is stored as a whole day.
inline constexpr TDateTime kPickerTimeOfDay = 0.3993981481481482;

// The controls of the birthday editor, one field each.
struct BirthdayEditorValues {
    bool Enabled = true;
    std::string Name;
    int IconIndex = 0;                 // btnIcon's Tag
    TDateTime Date = kPickerTimeOfDay;  // dtDate: the day and the picker's time of day
    bool ShowNote = true;
    std::string Notes = "%PersonName has birthday on %BirthDate";
    bool PlaySound = false;
    std::string SoundFile;
    std::string Phone;
    std::string Address;
    std::string EMail;
    bool Remind2Weeks = true;
    bool Remind1Week = true;
    bool Remind1Day = true;
    int TooltipDays = 0;  // udTT, 0..99
};

// The checks of OK, each run, in their order: every refusal is shown. None
// when the values may be stored. editedName is the name of the birthday
// being edited (null for a new one): its own name, in any letter case, is not
// taken. Names compare without regard to letter case, as the file does.
std::vector<EditorRefusal> CheckBirthdayEditor(const BirthdayEditorValues& values, TDateTime today,
                                               const BirthdayList& birthdays, const std::string* editedName);

// New Birthday after OK: the record (BirthDate as the picker holds it, time
// of day included; LastStart this year's anniversary when that has passed,
// else 0) written, then appended. Returns its index. Throws IniWriteError or
// std::invalid_argument with the list and the file unchanged.
int CommitNewBirthday(TReminders& reminders, const BirthdayEditorValues& values, TDateTime today);

// Edit Birthday after OK for the record named oldName: BirthDate the whole
// day, LastStart computed again when the day of the year changed (kept
// otherwise: a reminder given today is not owed again), the old section
// replaced by the new one at the end of the file in one write, the entry
// renamed in place; isDeleted kept. Throws as CommitNewBirthday, with the
// record and the file unchanged; a record gone meanwhile changes nothing.
void CommitBirthdayEdit(TReminders& reminders, const std::string& oldName, const BirthdayEditorValues& values,
                        TDateTime today);

// The values that show a record in the dialog (the picker keeps its own time
// of day).
BirthdayEditorValues BirthdayValuesOf(const TBirthday& record);

// What the preview counts for "%CountDays" at now: whole days from now to the
// next anniversary of the date (this year's while today is not after it),
// the time of day counting. One less than the real reminder's count during
// the day, except on the birthday itself, where both are 0.
int PreviewCountDays(TDateTime birthDate, TDateTime now);

// The preview's note text: the macros replaced by the name, dateText (the
// date in the regional long date format) and PreviewCountDays.
std::string PreviewText(const BirthdayEditorValues& values, TDateTime now, const std::string& dateText);
