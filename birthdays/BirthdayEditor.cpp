#include "birthdays/BirthdayEditor.h"

#include "core/Reminders.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "birthdays/Birthday.h"
#include "birthdays/BirthdayRules.h"
#include "core/Ini.h"
#include "core/Names.h"

namespace {

// LastStart of a birthday stored today: this year's anniversary once it has
// passed, so that it is not reported as missed at the next start.
TDateTime LastStartFor(TDateTime birthDate, TDateTime today)
{
    const TDateTime anniversary = ThisYearsAnniversary(birthDate, today);
    return today > anniversary ? anniversary : 0;
}

void Fill(TBirthday& b, const BirthdayEditorValues& v)
{
    b.Name = v.Name;
    b.Enabled = v.Enabled;
    b.EnabledSound = v.PlaySound;
    b.EnabledNote = v.ShowNote;
    b.Remind1Day = v.Remind1Day;
    b.Remind1Week = v.Remind1Week;
    b.Remind2Weeks = v.Remind2Weeks;
    b.Notes = v.Notes;
    b.SoundFile = v.SoundFile;
    b.EMail = v.EMail;
    b.Address = v.Address;
    b.Phone = v.Phone;
    b.IconIndex = v.IconIndex;
    b.ShowInTTDaysBefore = v.TooltipDays;
}

}  // namespace

std::vector<EditorRefusal> CheckBirthdayEditor(const BirthdayEditorValues& v, TDateTime today,
                                               const BirthdayList& birthdays, const std::string* editedName)
{
    std::vector<EditorRefusal> refusals;
    if (v.Name.empty())
        refusals.push_back({"Please enter name of the person", RefusalIcon::Exclamation});
    else if (!IsStorableName(v.Name))
        refusals.push_back({kUnstorableNameText, RefusalIcon::Exclamation});
    if (DateOf(v.Date) > today)
        refusals.push_back({"Selected date of birthday in future! Please select right date", RefusalIcon::Stop});
    // "Anna" and "anna" would share one section of the file.
    const bool ownName = editedName != nullptr && SameName(v.Name, *editedName);
    if (!v.Name.empty() && !ownName && birthdays.IndexOf(v.Name) >= 0)
        refusals.push_back({"Person \"" + v.Name + "\" already exists in list. Please enter another name of the person",
                            RefusalIcon::Exclamation});
    return refusals;
}

int CommitNewBirthday(TReminders& reminders, const BirthdayEditorValues& v, TDateTime today)
{
    auto record = std::make_unique<TBirthday>();
    Fill(*record, v);
    record->BirthDate = v.Date;
    record->LastStart = LastStartFor(v.Date, today);
    record->isDeleted = false;
    return reminders.AddBirthday(std::move(record));
}

void CommitBirthdayEdit(TReminders& reminders, const std::string& oldName, const BirthdayEditorValues& v,
                        TDateTime today)
{
    const TBirthday* current = reminders.Birthdays().Find(oldName);
    if (current == nullptr)
        return;
    TBirthday edited = *current;
    Fill(edited, v);
    edited.BirthDate = DateOf(v.Date);
    if (AnniversaryInYear(edited.BirthDate, 2000) != AnniversaryInYear(current->BirthDate, 2000))
        edited.LastStart = LastStartFor(edited.BirthDate, today);
    reminders.ReplaceBirthday(oldName, edited);
}

BirthdayEditorValues BirthdayValuesOf(const TBirthday& b)
{
    BirthdayEditorValues v;
    v.Enabled = b.Enabled;
    v.ShowNote = b.EnabledNote;
    v.PlaySound = b.EnabledSound;
    v.Name = b.Name;
    v.Date = DateOf(b.BirthDate) + (DateOf(b.BirthDate) < 0 ? -kPickerTimeOfDay : kPickerTimeOfDay);
    v.Remind1Day = b.Remind1Day;
    v.Remind1Week = b.Remind1Week;
    v.Remind2Weeks = b.Remind2Weeks;
    v.Notes = b.Notes;
    v.SoundFile = b.SoundFile;
    v.EMail = b.EMail;
    v.Address = b.Address;
    v.Phone = b.Phone;
    v.IconIndex = b.IconIndex;
    v.TooltipDays = std::clamp(b.ShowInTTDaysBefore & 0xFFFF, 0, kTooltipDaysMax);
    return v;
}

int PreviewCountDays(TDateTime birthDate, TDateTime now)
{
    const TDateTime today = DateOf(now);
    TDateTime anniversary = ThisYearsAnniversary(birthDate, today);
    if (today > anniversary)
        anniversary = AnniversaryInYear(birthDate, DecodeDate(today).year + 1);
    const double days = std::trunc(anniversary - now);
    return days > 0 ? static_cast<int>(days) : 0;
}

std::string PreviewText(const BirthdayEditorValues& v, TDateTime now, const std::string& dateText)
{
    return ReplaceBirthdayMacros(v.Notes, v.Name, dateText, std::to_string(PreviewCountDays(v.Date, now)));
}
