#include "editors/EventEditor.h"

#include "core/Reminders.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Event.h"
#include "core/Names.h"
#include "core/Ini.h"
#include "core/Occurrence.h"

namespace {

// A mask character by position; a short mask counts its missing positions
// as not selected.
bool MaskBit(const std::string& mask, std::size_t i)
{
    return i < mask.size() && mask[i] == '1';
}

int MinuteOf(double days)
{
    return DecodeTime(days).minute;
}

// The days from start to the same date a year later: 365 or 366.
double YearStep(TDateTime start)
{
    const TDateTime day = DateOf(start);
    return std::round(IncMonth(day, 12) - day);
}

}  // namespace

TDateTime EventEditorValues::Start() const
{
    const TDateTime day = DateOf(Date);
    // Dates before 1899 count their time of day backwards from the day number.
    return day < 0 ? day - TimeOf(Time) : day + TimeOf(Time);
}

std::string EventEditorValues::DaysMask() const
{
    std::string mask(Days.size(), '0');
    for (std::size_t i = 0; i < Days.size(); ++i)
        mask[i] = Days[i] ? '1' : '0';
    return mask;
}

std::string EventEditorValues::MonthsMask() const
{
    const int day = DecodeDate(Date).day;
    std::string mask(Months.size(), '0');
    for (std::size_t i = 0; i < Months.size(); ++i)
        mask[i] = Months[i] && MonthHasDay(static_cast<int>(i) + 1, day) ? '1' : '0';
    return mask;
}

bool MonthHasDay(int month, int day)
{
    switch (month) {
    case 2:
        return day <= 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return day <= 30;
    default:
        return day <= 31;
    }
}

std::optional<EditorRefusal> CheckEventEditor(const EventEditorValues& v, TDateTime now, const EventList& events,
                                              const std::string* editedName)
{
    if (v.Name.empty())
        return EditorRefusal{"Please enter name of the current event!", RefusalIcon::Exclamation};
    // A section header ends at its first "]" and loses surrounding blanks, so
    // such a name would come back as another one after the next start.
    if (!IsStorableName(v.Name))
        return EditorRefusal{kUnstorableNameText, RefusalIcon::Exclamation};
    const TDateTime start = v.Start();
    if (!(start > now))
        return EditorRefusal{
            "The date and time which you ve set up for this event is in the past. Please check your settings!",
            RefusalIcon::Stop};
    // Two names that differ only in letter case would share one section.
    const bool ownName = editedName != nullptr && SameName(v.Name, *editedName);
    if (!ownName && events.IndexOf(v.Name) >= 0)
        return EditorRefusal{"Name \"" + v.Name + "\" already exists. Please enter another name of the event",
                             RefusalIcon::Exclamation};
    const EditorRefusal wrongStart{"Start date is wrong. Please choose correct start date! ",
                                   RefusalIcon::Exclamation};
    if (v.PeriodIndex == pkDaily && !v.Days[static_cast<std::size_t>(DayOfWeek(v.Date) - 1)])
        return wrongStart;
    if (v.PeriodIndex == pkMonthly && !v.Months[static_cast<std::size_t>(DecodeDate(v.Date).month - 1)])
        return wrongStart;
    return std::nullopt;
}

bool EditorKeyAllowed(char key, char decimalSeparator, std::string_view minutesText)
{
    const bool digit = key >= '0' && key <= '9';
    if (!(key == 8 || key == 13 || digit || key == decimalSeparator))
        return false;
    if (key == decimalSeparator && minutesText.find(decimalSeparator) != std::string_view::npos)
        return false;
    if (key == '-' || key == '.' || key == ',')
        return false;
    if (key == '0' && minutesText.empty())
        return false;
    return true;
}

void ReadEditorIntoEvent(const EventEditorValues& v, TEvent& e)
{
    const TDateTime start = v.Start();
    if (v.PeriodIndex == pkDaily)
        e.DaysBin = v.DaysMask();
    else if (v.PeriodIndex == pkMonthly)
        e.MonthsBin = v.MonthsMask();
    switch (v.PeriodIndex) {
    case pkHourly:
        e.DifDateTime = 1.0 / 24 + v.Minutes / 1440.0;
        break;
    case pkDaily:
        e.DifDateTime = DaysToNextWeekday(e.DaysBin, start);
        break;
    case pkWeekly:
        e.DifDateTime = 7;
        break;
    case pkMonthly:
        e.DifDateTime = DaysToNextMonth(e.MonthsBin, start);
        break;
    case pkAnnually:
        e.DifDateTime = YearStep(start);
        break;
    default:
        e.DifDateTime = 0;
        break;
    }
    e.Dif2DateTime = v.ExpiredIndex == ekRunAgain ? v.RunAgainMinutes / 1440.0 : 0;
    e.Name = v.Name;
    e.Enabled = v.Enabled;
    e.EnabledSound = v.PlaySound;
    e.EnabledNote = v.ShowNote;
    e.EnabledAction = v.ActionEnabled;
    e.StartDateTime = start;
    e.PeriodInd = v.PeriodIndex;
    e.Notes = v.Notes;
    e.SoundFile = v.SoundFile;
    e.ExpiredInd = v.ExpiredIndex;
    e.IconIndex = v.IconIndex;
    e.DeleteAfterRun = v.DeleteOnceEvent;
    e.ActionIndex = v.ActionIndex;
    e.RunAppName = v.AppName;
    e.RunAppParams = v.AppParams;
    e.RunAppCmdInd = v.ShowModeIndex;
    e.ShtShowingSec = v.WarningSeconds;
    e.ShtCloseByForce = v.CloseByForce;
    e.ShtShowWarning = v.ShowWarning;
    e.ShowInTTDaysBefore = v.TooltipDays;
    e.ShowWhenBusy = v.ShowWhenBusy;
    e.MaxLateMinutes = v.SkipIfLate ? std::clamp(v.MaxLateMinutes, 1, kMaxLateMinutesMax) : 0;
}

EventEditorValues EditorValuesOf(const TEvent& e)
{
    EventEditorValues v;
    v.Enabled = e.Enabled;
    v.Name = e.Name;
    v.IconIndex = e.IconIndex;
    v.PeriodIndex = e.PeriodInd;
    if (e.PeriodInd == pkHourly)
        v.Minutes = MinuteOf(e.DifDateTime);
    for (std::size_t i = 0; i < v.Days.size(); ++i)
        v.Days[i] = MaskBit(e.DaysBin, i);
    for (std::size_t i = 0; i < v.Months.size(); ++i)
        v.Months[i] = MaskBit(e.MonthsBin, i);
    v.Date = DateOf(e.StartDateTime);
    v.Time = TimeOf(e.StartDateTime);
    v.ShowNote = e.EnabledNote;
    v.Notes = e.Notes;
    v.PlaySound = e.EnabledSound;
    v.SoundFile = e.SoundFile;
    v.ActionEnabled = e.EnabledAction;
    v.ActionIndex = e.ActionIndex;
    v.AppName = e.RunAppName;
    v.AppParams = e.RunAppParams;
    v.ShowModeIndex = e.RunAppCmdInd;
    v.ShowWarning = e.ShtShowWarning;
    v.WarningSeconds = std::clamp(e.ShtShowingSec, kWarningSecondsMin, kWarningSecondsMax);
    v.CloseByForce = e.ShtCloseByForce;
    v.ExpiredIndex = e.ExpiredInd;
    if (e.ExpiredInd == ekRunAgain)
        v.RunAgainMinutes = MinuteOf(e.Dif2DateTime);
    v.DeleteOnceEvent = e.DeleteAfterRun;
    v.TooltipDays = std::clamp(e.ShowInTTDaysBefore, 0, kTooltipDaysMax);
    v.ShowWhenBusy = e.ShowWhenBusy;
    v.SkipIfLate = e.MaxLateMinutes > 0;
    if (v.SkipIfLate)
        v.MaxLateMinutes = std::min(e.MaxLateMinutes, kMaxLateMinutesMax);
    return v;
}

int CommitNewEvent(TReminders& reminders, const EventEditorValues& values)
{
    auto event = std::make_unique<TEvent>();
    ReadEditorIntoEvent(values, *event);
    return reminders.AddEvent(std::move(event));
}

void CommitEventEdit(TReminders& reminders, const std::string& oldName, const EventEditorValues& values)
{
    const TEvent* current = reminders.Events().Find(oldName);
    TEvent edited = current ? *current : TEvent();
    ReadEditorIntoEvent(values, edited);
    reminders.ReplaceEvent(oldName, edited);
}
