// Firing a birthday reminder and the report of birthdays missed while the
// program was not running.
#include <exception>
#include <optional>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/Ini.h"
#include "shell/Log.h"

namespace {

NoteRequest BirthdayNote(const TBirthday& record, TDateTime today, const std::string& dateFormat) {
    NoteRequest note;
    note.Caption = "Birthday!";
    const int daysLeft = DaysLeft(record, today);
    if (daysLeft > 0) note.Caption += " (Days Left: " + std::to_string(daysLeft) + ")";
    note.Text = ExpandMacros(record.Notes, record, today, dateFormat);
    note.RemindLater = RemindLaterState::Hidden;
    note.IconList = NoteIconList::Birthdays;
    note.IconIndex = record.IconIndex;
    note.PersonName = record.Name;
    return note;
}

}  // namespace

void ExecuteBirthday(TBirthday& record, bool test, BirthdayFiringContext& ctx) {
    const TDateTime today = ctx.Day != 0 ? ctx.Day : ctx.Clock.Today();
    if (record.EnabledNote) {
        // A note that cannot be built must not cost the person the sound or
        // the record of the day.
        try {
            ctx.Desktop.ShowNote(BirthdayNote(record, today, ctx.DateFormat));
        } catch (...) {
            WriteLog("Error in TBirthday");
        }
    }
    if (record.EnabledSound) ctx.Desktop.PlaySoundFile(record.SoundFile);
    if (!test) {
        record.LastStart = today;
        record.WriteKey(ctx.File, "LastStart");
    }
}

std::string MissedBirthdaysCaption(std::string_view appTitle) {
    return std::string(appTitle) + ". Attention!";
}

std::string MissedBirthdaysText(const std::vector<std::string>& names) {
    std::string text = "Some birthdays of following persons were missed: \r\n";
    for (const std::string& name : names) text += name + "\r\n";
    return text;
}

std::vector<std::string> ReportMissedBirthdays(BirthdayList& list, IniFile& file, TDateTime today,
                                               bool showBox,
                                               const std::function<void(const std::string& text)>& showMessage) {
    const TDateTime day = BirthDayOf(today);
    std::vector<std::string> names;
    std::vector<const TBirthday*> missed;
    for (int i = 0; i < list.Count(); ++i) {
        TBirthday& record = list[i];
        const TDateTime reminded = BirthDayOf(record.LastStart);
        TDateTime anniversary = ThisYearsAnniversary(record, day);
        if (!(day > anniversary)) {
            // Last year's, over the turn of the year: missed when an early
            // reminder for it came (the program ran before the day) and the
            // day itself did not.
            anniversary = AnniversaryInYear(record.BirthDate, DecodeDate(day).year - 1);
            if (!(reminded >= anniversary - kEarliestReminderDays)) continue;
        }
        // Reminded on the day (or reported) already; an early reminder
        // before the day does not count for the day itself.
        if (!(reminded < anniversary)) continue;
        names.push_back(list.NameAt(i));
        // The day it stands for, not today: a reminder for the next birthday
        // that falls on today is still owed.
        record.LastStart = anniversary;
        missed.push_back(&record);
    }
    // After a long absence many are missed at once: one write records them
    // all. Should it fail, the user still sees the names.
    std::optional<IniWriteError> failure;
    if (!missed.empty()) {
        try {
            file.Edit([&](IniText& text) {
                for (const TBirthday* record : missed) text.Write(record->Name, "LastStart", record->KeyText("LastStart"));
            });
        } catch (const IniWriteError& error) {
            failure = error;
        }
    }
    if (!names.empty() && showBox && showMessage) showMessage(MissedBirthdaysText(names));
    if (failure) throw *failure;
    return names;
}
