// The event editor's rules without its window: the OK checks, the record its
// values make, the two commands that store them, its key filter and its
// menus' month rule; and the grid of the icons picker.
#include "editors/EventEditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>

#include "core/Event.h"
#include "core/Ini.h"
#include "editors/IconGrid.h"
#include "core/Reminders.h"
#include "tests/unit/NullDesktop.h"
#include "core/Clock.h"
#include "tests/unit/TestFiles.h"

namespace {

using testfiles::ReadBytes;

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

// Friday 15 March 2024, 10:00.
const TDateTime kNow = At(2024, 3, 15, 10, 0);

EventEditorValues Values(const std::string& name, TDateTime start, int period = pkOnce)
{
    EventEditorValues v;
    v.Name = name;
    v.Date = DateOf(start);
    v.Time = TimeOf(start);
    v.PeriodIndex = period;
    return v;
}

EventList ListOf(std::initializer_list<const char*> names)
{
    EventList list;
    for (const char* name : names) {
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        list.Add(std::move(e));
    }
    return list;
}

TEST(EventEditorChecks, RefuseInTheirOrder)
{
    const EventList events = ListOf({"Dentist", "Gym"});
    const std::string dentist = "Dentist";
    const std::string emptyName = "Please enter name of the current event!";
    const std::string badName = "The name cannot contain ] and cannot begin or end with a blank.";
    const std::string past =
        "The date and time which you ve set up for this event is in the past. Please check your settings!";
    const std::string wrongStart = "Start date is wrong. Please choose correct start date! ";
    const TDateTime later = kNow + 1.0 / 24;
    auto daily = [&](TDateTime start, bool monday, bool friday) {
        EventEditorValues v = Values("Walk", start, pkDaily);
        v.Days[1] = monday;
        v.Days[5] = friday;
        return v;
    };
    auto monthly = [&](bool january) {
        EventEditorValues v = Values("Rent", At(2025, 1, 31, 9), pkMonthly);
        v.Months[0] = january;
        v.Months[1] = true;
        return v;
    };
    const struct {
        const char* what;
        EventEditorValues values;
        const std::string* edited;
        std::optional<EditorRefusal> expected;
    } cases[] = {
        {"empty name, even in the past", Values("", kNow - 1), nullptr, EditorRefusal{emptyName}},
        {"a bracket", Values("a]b", later), nullptr, EditorRefusal{badName}},
        {"a blank first", Values(" Gym2", later), nullptr, EditorRefusal{badName}},
        {"blanks only", Values("   ", later), nullptr, EditorRefusal{badName}},
        {"a line break", Values("a\r\nb", later), nullptr, EditorRefusal{badName}},
        {"start equal to now", Values("New", kNow), nullptr, EditorRefusal{past, RefusalIcon::Stop}},
        {"start in the past", Values("Gym", kNow - 1.0 / 1440), nullptr, EditorRefusal{past, RefusalIcon::Stop}},
        {"taken in another case", Values("dentist", later), nullptr,
         EditorRefusal{"Name \"dentist\" already exists. Please enter another name of the event"}},
        {"another event's name in an edit", Values("GYM", later), &dentist,
         EditorRefusal{"Name \"GYM\" already exists. Please enter another name of the event"}},
        {"its own name in another case", Values("DENTIST", later), &dentist, std::nullopt},
        {"Monday and Friday, a Monday start", daily(At(2024, 3, 18, 9), true, true), nullptr, std::nullopt},
        {"Monday and Friday, a Tuesday start", daily(At(2024, 3, 19, 9), true, true), nullptr,
         EditorRefusal{wrongStart}},
        {"January start without January", monthly(false), nullptr, EditorRefusal{wrongStart}},
        {"January start with January", monthly(true), nullptr, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckEventEditor(c.values, kNow, events, c.edited), c.expected);
    }
}

TEST(EventEditorRecord, PeriodStepsAndMasks)
{
    auto read = [](EventEditorValues v) {
        TEvent e;
        ReadEditorIntoEvent(v, e);
        return e;
    };
    EventEditorValues hourly = Values("H", At(2024, 3, 15, 11), pkHourly);
    hourly.Minutes = 15;
    hourly.ExpiredIndex = ekRunAgain;
    hourly.RunAgainMinutes = 5;
    const TEvent h = read(hourly);
    EXPECT_DOUBLE_EQ(h.DifDateTime, 0.0520833333333333);
    EXPECT_DOUBLE_EQ(h.Dif2DateTime, 5.0 / 1440);
    EXPECT_EQ(std::tie(h.DaysBin, h.MonthsBin), std::make_tuple("0000000", "000000000000"));
    EXPECT_DOUBLE_EQ(h.StartDateTime, At(2024, 3, 15, 11));

    EventEditorValues daily = Values("D", At(2024, 3, 18, 9), pkDaily);  // a Monday
    daily.Days[1] = daily.Days[5] = true;
    daily.RunAgainMinutes = 5;  // not "Run again": no delay stored
    const TEvent d = read(daily);
    EXPECT_EQ(d.DaysBin, "0100010");
    EXPECT_DOUBLE_EQ(d.DifDateTime, 4);  // Monday to Friday
    EXPECT_DOUBLE_EQ(d.Dif2DateTime, 0);

    // The 31st: the months without one are stored as not selected.
    EventEditorValues monthly = Values("M", At(2024, 1, 31, 9), pkMonthly);
    monthly.Months.fill(true);
    EXPECT_EQ(read(monthly).MonthsBin, "101010110101");

    const struct {
        TDateTime start;
        int period;
        double step;
    } steps[] = {{At(2023, 3, 1), pkAnnually, 366}, {At(2024, 3, 1), pkAnnually, 365},
                 {At(2024, 2, 29), pkAnnually, 365}, {At(2024, 3, 1), pkWeekly, 7}, {At(2024, 3, 1), pkOnce, 0}};
    for (const auto& s : steps)
        EXPECT_EQ(read(Values("S", s.start, s.period)).DifDateTime, s.step) << s.start;

    // An edited record keeps the mask of the period it does not use.
    TEvent kept;
    kept.MonthsBin = "111111111111";
    ReadEditorIntoEvent(daily, kept);
    EXPECT_EQ(kept.MonthsBin, "111111111111");
}

TEST(EventEditorRecord, ValuesOfARecordGiveTheRecordBack)
{
    EventEditorValues v = Values("Round trip", At(2024, 4, 2, 7, 45, 30), pkHourly);
    v.Enabled = false;
    v.IconIndex = 17;
    v.Minutes = 20;
    v.ShowNote = false;
    v.Notes = "a\r\nb";
    v.PlaySound = true;
    v.SoundFile = "C:\\chime.wav";
    v.ActionEnabled = true;
    v.ActionIndex = akRestart;
    v.ShowWarning = false;
    v.WarningSeconds = 30;
    v.CloseByForce = true;
    v.ExpiredIndex = ekRunAgain;
    v.RunAgainMinutes = 5;
    v.DeleteOnceEvent = true;
    v.TooltipDays = 7;
    v.ShowWhenBusy = true;
    v.SkipIfLate = true;
    v.MaxLateMinutes = 45;
    v.Days[3] = true;
    v.Months[11] = true;
    TEvent e;
    e.DaysBin = "0001000";
    e.MonthsBin = "000000000001";
    ReadEditorIntoEvent(v, e);
    const EventEditorValues back = EditorValuesOf(e);
    auto fields = [](const EventEditorValues& x) {
        return std::tie(x.Enabled, x.Name, x.IconIndex, x.PeriodIndex, x.Minutes, x.Days, x.Months, x.ShowNote,
                        x.Notes, x.PlaySound, x.SoundFile, x.ActionEnabled, x.ActionIndex, x.ShowWarning,
                        x.WarningSeconds, x.CloseByForce, x.ExpiredIndex, x.RunAgainMinutes, x.DeleteOnceEvent,
                        x.TooltipDays, x.ShowWhenBusy, x.SkipIfLate, x.MaxLateMinutes);
    };
    EXPECT_EQ(fields(back), fields(v));
    EXPECT_DOUBLE_EQ(back.Date + back.Time, v.Start());
    EXPECT_EQ(e.MaxLateMinutes, 45);

    // Unticked, the limit is 0 (never skip) whatever the field shows, and
    // the field offers a sensible number again.
    v.SkipIfLate = false;
    ReadEditorIntoEvent(v, e);
    EXPECT_EQ(e.MaxLateMinutes, 0);
    EXPECT_FALSE(EditorValuesOf(e).SkipIfLate);
    EXPECT_EQ(EditorValuesOf(e).MaxLateMinutes, EventEditorValues{}.MaxLateMinutes);
}

class EventEditorCommit : public ::testing::Test {
protected:
    EventEditorCommit()
    {
        RemindersOptions o;
        o.EventsPath = dir.File("events.ini");
        o.BirthdaysPath = dir.File("birthdays.ini");
        o.Clock = &clock;
        o.Desktop = &desktop;
        reminders = std::make_unique<TReminders>(o);
    }
    testfiles::TempDir dir;
    IniFile file{dir.File("events.ini")};
    ManualClock clock{At(2024, 3, 15, 10)};
    NullDesktop desktop;
    std::unique_ptr<TReminders> reminders;
};

TEST_F(EventEditorCommit, NewEventIsWrittenThenListedOwingOnlyItsStart)
{
    EventEditorValues v = Values("Dentist", At(2024, 3, 16, 9));
    v.ExpiredIndex = ekRunAgain;
    v.RunAgainMinutes = 5;
    ASSERT_EQ(CommitNewEvent(*reminders, v), 0);
    EventList stored;
    LoadEvents(file, stored);
    ASSERT_EQ(stored.Count(), 1);
    EXPECT_EQ(std::make_tuple(stored[0].SnoozeDateTime, stored[0].LastDateTime), std::make_tuple(0.0, 0.0));
    EXPECT_NEAR(stored[0].Dif2DateTime, 5.0 / 1440, 1e-12);

    // A name that would not read back is refused before anything is written.
    const std::string before = ReadBytes(file.Path());
    EXPECT_THROW(CommitNewEvent(*reminders, Values("x]y", At(2024, 3, 16))), std::invalid_argument);
    EXPECT_EQ(ReadBytes(file.Path()), before);
    EXPECT_EQ(reminders->Events().Count(), 1);
}

TEST_F(EventEditorCommit, EditReplacesTheSectionAtTheEndInOneWrite)
{
    CommitNewEvent(*reminders, Values("Dentist", At(2024, 3, 16, 9)));
    CommitNewEvent(*reminders, Values("Gym", At(2024, 3, 17, 9)));
    reminders->Snooze("Dentist", At(2024, 3, 15, 11));

    CommitEventEdit(*reminders, "dentist", Values("Doctor", At(2024, 3, 20, 9)));
    const TEvent& e = reminders->Events()[0];
    EXPECT_EQ(e.Name, "Doctor");  // keeps its place in the list
    EXPECT_EQ(e.SnoozeDateTime, 0) << "an edit drops the snooze";
    EXPECT_EQ(file.ReadSections(), (std::vector<std::string>{"Gym", "Doctor"}));

    // Only the letter case changes: the section takes the new spelling.
    CommitEventEdit(*reminders, "Doctor", Values("DOCTOR", At(2024, 3, 20, 9)));
    EXPECT_EQ(file.ReadSections(), (std::vector<std::string>{"Gym", "DOCTOR"}));

    // A refused write changes neither the file nor the record.
    const std::string before = ReadBytes(file.Path());
    EXPECT_THROW(CommitEventEdit(*reminders, "Doctor", Values(" Doc", At(2024, 3, 20))), std::invalid_argument);
    EXPECT_EQ(ReadBytes(file.Path()), before);
    EXPECT_EQ(reminders->Events()[0].Name, "DOCTOR");
    // Gone meanwhile (it deleted itself after its run): it comes back.
    reminders->DeleteEvent("Gym");
    CommitEventEdit(*reminders, "Gym", Values("Gym", At(2024, 3, 21, 9)));
    EXPECT_EQ(file.ReadSections(), (std::vector<std::string>{"DOCTOR", "Gym"}));
}

TEST(EventEditorFields, KeyFilterAndNumbers)
{
    const struct {
        char key;
        char separator;
        const char* minutes;
        bool allowed;
    } keys[] = {{'5', '.', "", true},   {'0', '.', "", false},  {'0', '.', "1", true},  {'\b', '.', "", true},
                {'\r', '.', "", true},  {'.', '.', "", false},  {',', ',', "", false},  {'-', '.', "", false},
                {'a', '.', "", false},  {' ', '.', "", false},  {';', ';', "1", true},  {';', ';', "1;", false},
                {'\x16', '.', "", false}};
    for (const auto& k : keys)
        EXPECT_EQ(EditorKeyAllowed(k.key, k.separator, k.minutes), k.allowed)
            << "key " << int(k.key) << " after \"" << k.minutes << "\"";

    const struct {
        const char* text;
        int value;
    } numbers[] = {{"15", 15}, {"", 0}, {"x", 0}, {" 7", 7}, {"99", 59}, {"12;5", 12}, {"99999999999", 59}};
    for (const auto& n : numbers)
        EXPECT_EQ(NumberFieldValue(n.text, 0, 59), n.value) << n.text;
    EXPECT_EQ(NumberFieldValue("0", 1, 99), 1);
}

TEST(EventEditorFields, MonthsThatHaveADay)
{
    std::string with29, with30, with31;
    for (int m = 1; m <= 12; ++m) {
        with29 += MonthHasDay(m, 29) ? '1' : '0';
        with30 += MonthHasDay(m, 30) ? '1' : '0';
        with31 += MonthHasDay(m, 31) ? '1' : '0';
    }
    EXPECT_EQ(std::tie(with29, with30, with31), std::make_tuple("101111111111", "101111111111", "101010110101"));
    EXPECT_TRUE(MonthHasDay(2, 28));
}

TEST(IconGrid, SizesOfTheGrid)
{
    const struct {
        int count;
        int columns, rows, viewWidth, viewHeight;
        bool scrolls;
    } cases[] = {
        {1, 2, 1, 104, 52, false},
        {20, 5, 4, 260, 208, false},  // 208 does not exceed the four rows
        {30, 6, 5, 312, 260, false},  // taller, but not wider: no scrolling
        {54, 6, 9, 327, 208, true},   // every icon in six columns
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        const IconGridLayout g = LayoutIconGrid(c.count, 32, 32, 10, 15);
        EXPECT_EQ(std::make_tuple(g.ColCount, g.RowCount, g.ViewWidth, g.ViewHeight, g.Scrolls),
                  std::make_tuple(c.columns, c.rows, c.viewWidth, c.viewHeight, c.scrolls));
        EXPECT_GE(g.ColCount * g.RowCount, c.count);
    }
    const IconGridLayout g = LayoutIconGrid(54, 32, 32, 10, 15);
    EXPECT_EQ(std::make_tuple(g.CellLeft(53), g.CellTop(53), g.GridHeight), std::make_tuple(270, 426, 468));
}

}  // namespace
