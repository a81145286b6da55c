// When birthdays are due, ages and days left, the note macros, the firing of
// a birthday and the missed-birthdays report.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Desktop.h"
#include "tests/unit/NullDesktop.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "shell/Log.h"
#include "tests/unit/TestFiles.h"

namespace {

using Names = std::vector<std::string>;
using RulesTempDir = testfiles::TempDir;
using testfiles::ReadBytes;

TDateTime Day(int y, int m, int d) { return EncodeDate(y, m, d); }

TBirthday Person(const std::string& name, TDateTime born, bool remind2Weeks = false, bool remind1Week = false,
                 bool remind1Day = false) {
    TBirthday b;
    b.Name = name;
    b.BirthDate = born;
    b.Remind2Weeks = remind2Weeks;
    b.Remind1Week = remind1Week;
    b.Remind1Day = remind1Day;
    return b;
}

// Every day of the given years on which the record is due.
std::vector<TDateTime> DueDays(const TBirthday& b, int firstYear, int lastYear) {
    std::vector<TDateTime> days;
    for (TDateTime d = Day(firstYear, 1, 1); d <= Day(lastYear, 12, 31); d += 1)
        if (IsDueOn(b, d)) days.push_back(d);
    return days;
}

class RecordingDesktop : public NullDesktop {
public:
    std::vector<NoteRequest> notes;
    std::vector<std::string> sounds;
    bool failNotes = false;

    void ShowNote(const NoteRequest& note) override {
        if (failNotes) throw std::runtime_error("no window");
        notes.push_back(note);
    }
    unsigned PlaySoundFile(const std::string& path) override
    {
        sounds.push_back(path);
        return 1;
    }
};

}  // namespace

// ---------------------------------------------------------------- dates

TEST(BirthdayRules, AnniversaryDaysLeftAndAge) {
    const struct {
        TDateTime born, today, anniversary;
        int daysLeft, age;
    } cases[] = {
        {Day(1980, 5, 10), Day(2026, 5, 10), Day(2026, 5, 10), 0, 46},
        {Day(1980, 5, 10), Day(2026, 5, 11), Day(2026, 5, 10), 364, 46},
        {Day(1980, 5, 10), Day(2027, 5, 11), Day(2027, 5, 10), 365, 47},  // 2028 is a leap year
        {Day(1990, 1, 3), Day(2025, 12, 27), Day(2025, 1, 3), 7, 35},
        {Day(1990, 12, 31), Day(2026, 1, 1), Day(2026, 12, 31), 364, 35},
        {NeverTime, Day(2026, 3, 15), Day(2026, 3, 16), 1, 399},
        // 29 February: 28 February in the years without that day.
        {Day(2000, 2, 29), Day(2001, 2, 28), Day(2001, 2, 28), 0, 1},
        {Day(2000, 2, 29), Day(2004, 2, 28), Day(2004, 2, 29), 1, 3},
        {Day(2000, 2, 29), Day(2004, 2, 29), Day(2004, 2, 29), 0, 4},
        {Day(2000, 2, 29), Day(2100, 2, 28), Day(2100, 2, 28), 0, 100},
        {Day(1999, 3, 1), Day(2024, 2, 29), Day(2024, 3, 1), 1, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatDateTime("yyyy-mm-dd", c.born) + " / " + FormatDateTime("yyyy-mm-dd", c.today));
        EXPECT_EQ(ThisYearsAnniversary(c.born, c.today), c.anniversary);
        EXPECT_EQ(DaysLeft(c.born, c.today), c.daysLeft);
        EXPECT_EQ(YearsSince(c.born, c.today), c.age);
    }
}

TEST(BirthdayRules, OnlyTheCalendarDayOfAStoredValueCounts) {
    const TDateTime born = Day(2000, 1, 1) + 0.3993981481;
    EXPECT_EQ(BirthDayOf(born), Day(2000, 1, 1));
    // A value a few microseconds before midnight is the next day, as a
    // formatted date shows it.
    EXPECT_EQ(BirthDayOf(Day(2000, 1, 1) - 1e-10), Day(2000, 1, 1));
    // Before 30 December 1899 the day is the whole part toward zero, with the
    // fraction as the time of day.
    EXPECT_EQ(BirthDayOf(NeverTime - 0.5), NeverTime);
}

TEST(BirthdayRules, ValuesThatNameNoDayCountAsSixteenthOfMarch1626) {
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466.0, -693594.0}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(BirthDayOf(bad), NeverTime);
        EXPECT_EQ(ThisYearsAnniversary(bad, Day(2026, 7, 1)), Day(2026, 3, 16));
        EXPECT_EQ(YearsSince(bad, Day(2026, 7, 1)), 400);
        EXPECT_EQ(DaysLeft(bad, Day(2026, 3, 16)), 0);
    }
    EXPECT_EQ(BirthDayOf(2958465.5), 2958465.0);  // 31 December 9999
    EXPECT_EQ(BirthDayOf(-693593.5), -693593.0);  // 1 January 0001
    EXPECT_EQ(BirthDayOf(2958465.9999999999), NeverTime);
}

// ---------------------------------------------------------------- due rule

TEST(BirthdayRules, DueOnlyOnTheChosenDaysAndRegardlessOfEnabled) {
    const struct {
        bool remind2Weeks, remind1Week, remind1Day;
        std::vector<int> daysBefore;  // of 10 May 2026
    } cases[] = {{false, false, false, {0}},    {true, false, false, {14, 0}},       {false, true, false, {7, 0}},
                 {false, false, true, {1, 0}}, {true, false, true, {14, 1, 0}}, {true, true, true, {14, 7, 1, 0}}};
    for (const auto& c : cases) {
        TBirthday b = Person("N", Day(1980, 5, 10), c.remind2Weeks, c.remind1Week, c.remind1Day);
        b.Enabled = false;
        std::vector<TDateTime> expected;
        for (int before : c.daysBefore) expected.push_back(Day(2026, 5, 10) - before);
        EXPECT_EQ(DueDays(b, 2026, 2026), expected) << c.daysBefore.size();
    }
}

TEST(BirthdayRules, EarlyRemindersComeInTheOldYearToo) {
    const TBirthday fifth = Person("N", Day(1990, 1, 5), true, false, false);
    EXPECT_TRUE(IsDueOn(fifth, Day(2025, 12, 22)));
    const TBirthday third = Person("N", Day(1990, 1, 3), false, true, false);
    EXPECT_EQ(DueDays(third, 2025, 2026),
              (std::vector<TDateTime>{Day(2025, 1, 3), Day(2025, 12, 27), Day(2026, 1, 3), Day(2026, 12, 27)}));
    const TBirthday first = Person("N", Day(1990, 1, 1), true, true, true);
    EXPECT_EQ(DueDays(first, 2026, 2026),
              (std::vector<TDateTime>{Day(2026, 1, 1), Day(2026, 12, 18), Day(2026, 12, 25), Day(2026, 12, 31)}));
}

TEST(BirthdayRules, TwentyNinthOfFebruaryIsRemindedEveryYear) {
    const TBirthday b = Person("Leap", Day(2000, 2, 29), false, true, true);
    EXPECT_EQ(DueDays(b, 2023, 2023), (std::vector<TDateTime>{Day(2023, 2, 21), Day(2023, 2, 27), Day(2023, 2, 28)}));
    EXPECT_EQ(DueDays(b, 2024, 2024), (std::vector<TDateTime>{Day(2024, 2, 22), Day(2024, 2, 28), Day(2024, 2, 29)}));
}

// ---------------------------------------------------------------- macros

TEST(BirthdayRules, MacrosReplacedInOrder) {
    const struct {
        const char *name, *notes, *expected;
    } cases[] = {
        {"Ann", "%PersonName on %BirthDate, in %CountDays days", "Ann on 10.05.1980, in 7 days"},
        {"Ann", "%PersonName%PersonName %CountDays/%CountDays", "AnnAnn 7/7"},
        {"Ann", "%personname %BIRTHDATE %countdays", "%personname %BIRTHDATE %countdays"},
        {"Ann", "line 1\r\n%BirthDate\r\n", "line 1\r\n10.05.1980\r\n"},
        // A name is expanded further by the later macros, but not by itself.
        {"Ann %BirthDate (%CountDays)", "Hi %PersonName", "Hi Ann 10.05.1980 (7)"},
        {"%PersonName", "%PersonName", "%PersonName"},
        // Each macro is replaced in the text the previous one produced, so a
        // name can complete a later macro.
        {"%Count", "%PersonNameDays", "7"},
        {"Ann", "%%CountDaysCountDays", "%7CountDays"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandMacros(c.notes, Person(c.name, Day(1980, 5, 10) + 0.4), Day(2026, 5, 3), "dd.mm.yyyy"),
                  c.expected);
}

TEST(BirthdayRules, CountDaysIsZeroOnTheDayAndDateIgnoresTimeOfDay) {
    const TBirthday b = Person("Ann", Day(2000, 1, 1) + 0.3993981481);
    EXPECT_EQ(ExpandMacros("%CountDays|%BirthDate", b, Day(2026, 1, 1), "dd.mm.yyyy hh:nn"), "0|01.01.2000 00:00");
}

// ---------------------------------------------------------------- firing

namespace {

struct FiringFixture {
    RulesTempDir dir;
    IniFile file{dir.File("birthdays.ini")};
    RecordingDesktop desktop;
    ManualClock clock;
    std::string dateFormat = "dd.mm.yyyy";
    BirthdayFiringContext ctx{desktop, clock, file, dateFormat};
};

}  // namespace

TEST(BirthdayFiring, CaptionShowsDaysLeft) {
    const struct {
        TDateTime now;
        const char* caption;
    } cases[] = {{Day(2026, 4, 26) + 0.00002, "Birthday! (Days Left: 14)"},
                 {Day(2026, 5, 3) + 0.5, "Birthday! (Days Left: 7)"},
                 {Day(2026, 5, 10), "Birthday!"}};
    for (const auto& c : cases) {
        FiringFixture f;
        f.clock.Set(c.now);
        TBirthday b = Person("N", Day(1980, 5, 10), true, true, true);
        b.EnabledNote = true;
        b.IconIndex = 4;
        b.Notes = "%PersonName: %CountDays";
        ExecuteBirthday(b, false, f.ctx);
        ASSERT_EQ(f.desktop.notes.size(), 1u);
        const NoteRequest& note = f.desktop.notes[0];
        EXPECT_EQ(std::tie(note.Caption, note.Text, note.RemindLater, note.IconList, note.IconIndex, note.EventName),
                  std::make_tuple(c.caption, "N: " + std::to_string(DaysLeft(b, DateOf(c.now))),
                                  RemindLaterState::Hidden, NoteIconList::Birthdays, 4, ""));
        EXPECT_TRUE(f.desktop.sounds.empty());
    }
}

TEST(BirthdayFiring, SoundFollowsItsSwitchAndTheDayIsRecordedEvenWithNothingShown) {
    for (bool sound : {false, true}) {
        FiringFixture f;
        f.clock.Set(Day(2026, 5, 10));
        TBirthday b = Person("N", Day(1980, 5, 10));
        b.EnabledSound = sound;
        b.SoundFile = "C:\\tada.wav";
        b.SaveToFile(f.file);
        std::string expected = ReadBytes(f.file.Path());
        expected.replace(expected.find("LastStart=0\r\n"), 11, "LastStart=46152");
        b.Phone = "only in memory";  // only LastStart is written
        ExecuteBirthday(b, false, f.ctx);
        EXPECT_TRUE(f.desktop.notes.empty());
        EXPECT_EQ(f.desktop.sounds, sound ? Names{"C:\\tada.wav"} : Names{});
        EXPECT_EQ(b.LastStart, Day(2026, 5, 10));
        EXPECT_EQ(ReadBytes(f.file.Path()), expected);
    }
}

TEST(BirthdayFiring, UnwritableFileIsReported) {
    FiringFixture f;
    IniFile nowhere(f.dir.File("missing-folder/birthdays.ini"));
    BirthdayFiringContext ctx{f.desktop, f.clock, nowhere, f.dateFormat};
    f.clock.Set(Day(2026, 5, 10));
    TBirthday b = Person("N", Day(1980, 5, 10));
    b.EnabledNote = true;
    EXPECT_THROW(ExecuteBirthday(b, false, ctx), IniWriteError);
    EXPECT_EQ(f.desktop.notes.size(), 1u);
    EXPECT_NO_THROW(ExecuteBirthday(b, true, ctx));
}

TEST(BirthdayFiring, FailingNoteIsLoggedAndTheRestFollows) {
    FiringFixture f;
    const std::string logPath = f.dir.File("log.txt");
    ConfigureLog(logPath, &f.clock);
    f.clock.Set(Day(2026, 5, 10) + 0.5);
    f.desktop.failNotes = true;
    TBirthday b = Person("N", Day(1980, 5, 10));
    b.EnabledNote = b.EnabledSound = true;
    b.SoundFile = "s.wav";
    EXPECT_NO_THROW(ExecuteBirthday(b, false, f.ctx));
    ConfigureLog("", nullptr);
    EXPECT_EQ(f.desktop.sounds.size(), 1u);
    EXPECT_EQ(b.LastStart, Day(2026, 5, 10));
    EXPECT_NE(ReadBytes(logPath).find(" Error in TBirthday\r\n"), std::string::npos);
}

// ---------------------------------------------------------------- report

namespace {

struct ReportFixture {
    RulesTempDir dir;
    IniFile file{dir.File("birthdays.ini")};
    BirthdayList list;
    std::vector<std::string> boxes;

    void Add(TBirthday b) {
        b.SaveToFile(file);
        list.Add(std::make_unique<TBirthday>(std::move(b)));
    }
    std::vector<std::string> Report(TDateTime today, bool showBox = true) {
        return ReportMissedBirthdays(list, file, today, showBox,
                                     [this](const std::string& text) { boxes.push_back(text); });
    }
};

}  // namespace

TEST(BirthdayReport, MissedBirthdayIsReportedOncePerYear) {
    ReportFixture f;
    TBirthday n = Person("N", Day(1980, 5, 10));
    n.LastStart = Day(2025, 5, 10);
    f.Add(n);

    EXPECT_EQ(f.Report(Day(2026, 5, 12)), Names{"N"});
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], "Some birthdays of following persons were missed: \r\nN\r\n");
    // Recorded as the day it stands for.
    EXPECT_EQ(f.list[0].LastStart, Day(2026, 5, 10));
    EXPECT_EQ(f.file.ReadString("N", "LastStart", ""), "46152");

    // The second start of the year lists nothing, and shows no box.
    EXPECT_TRUE(f.Report(Day(2026, 8, 1)).empty());
    EXPECT_EQ(f.boxes.size(), 1u);

    // Next year it is reported again.
    EXPECT_EQ(f.Report(Day(2027, 5, 11)), Names{"N"});
}

TEST(BirthdayReport, OverTheTurnOfTheYearAfterAnEarlyReminderAndNotAtTheCostOfToday) {
    ReportFixture f;
    // Reminded the day before 31 December, then off until 2 January.
    TBirthday eve = Person("Eve", Day(1990, 12, 31));
    eve.LastStart = Day(2026, 12, 30);
    f.Add(eve);
    // Never reminded of last year's day: nothing shows the program ran then.
    f.Add(Person("Old", Day(1990, 12, 20)));
    EXPECT_EQ(f.Report(Day(2027, 1, 2)), Names{"Eve"});
    EXPECT_EQ(f.list[0].LastStart, Day(2026, 12, 31));

    // Reported on 31 December for last January: the reminder of tomorrow's
    // birthday due today is still owed.
    ReportFixture g;
    TBirthday jan = Person("Jan", Day(1990, 1, 1));
    jan.Remind1Day = true;
    g.Add(jan);
    EXPECT_EQ(g.Report(Day(2026, 12, 31)), Names{"Jan"});
    EXPECT_LT(g.list[0].LastStart, Day(2026, 12, 31));
}

TEST(BirthdayReport, WhichBirthdaysCount) {
    ReportFixture f;
    const TDateTime today = Day(2026, 5, 12);
    TBirthday disabled = Person("Disabled", Day(1980, 5, 1));
    disabled.Enabled = false;
    f.Add(disabled);
    f.Add(Person("Today", Day(1980, 5, 12)));
    f.Add(Person("Tomorrow", Day(1980, 5, 13)));
    TBirthday reminded = Person("Reminded", Day(1980, 5, 11));
    reminded.LastStart = Day(2026, 5, 11);
    f.Add(reminded);
    TBirthday created = Person("Created after", Day(1980, 3, 1));
    created.LastStart = Day(2026, 3, 1);  // as the editor sets it
    f.Add(created);
    f.Add(Person("Never", Day(1980, 1, 1)));  // LastStart 0
    f.Add(Person("No date", NeverTime));
    TBirthday future = Person("Late record", Day(1980, 1, 2));
    future.LastStart = Day(2030, 1, 1);
    f.Add(future);

    const std::vector<std::string> expected = {"Disabled", "Never", "No date"};
    EXPECT_EQ(f.Report(today), expected);
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0], "Some birthdays of following persons were missed: \r\nDisabled\r\nNever\r\nNo date\r\n");
    EXPECT_EQ(f.list[1].LastStart, 0);
    EXPECT_EQ(f.list[3].LastStart, Day(2026, 5, 11));
    EXPECT_EQ(f.file.ReadString("Today", "LastStart", ""), "0");
    EXPECT_EQ(f.file.ReadString("Disabled", "LastStart", ""), "46143");
}

TEST(BirthdayReport, TwentyNinthOfFebruaryIsMissedOnTheFirstOfMarch) {
    ReportFixture f;
    f.Add(Person("Leap", Day(2000, 2, 29)));
    EXPECT_TRUE(f.Report(Day(2023, 2, 28)).empty());
    EXPECT_EQ(f.Report(Day(2023, 3, 1)), Names{"Leap"});
    EXPECT_TRUE(f.Report(Day(2024, 2, 29)).empty());
    EXPECT_EQ(f.Report(Day(2024, 3, 1)), Names{"Leap"});
}

TEST(BirthdayReport, WithoutTheBoxTheDayIsStillRecordedAndNothingMissedWritesNothing) {
    ReportFixture f;
    f.Add(Person("N", Day(1980, 5, 10)));
    const std::string before = ReadBytes(f.file.Path());
    EXPECT_TRUE(f.Report(Day(2026, 5, 1)).empty());
    EXPECT_EQ(ReadBytes(f.file.Path()), before);
    EXPECT_EQ(f.Report(Day(2026, 5, 12), false), Names{"N"});
    EXPECT_EQ(f.file.ReadString("N", "LastStart", ""), "46152");
    EXPECT_TRUE(f.Report(Day(2026, 6, 1), true).empty());
    EXPECT_TRUE(f.boxes.empty());
}

TEST(BirthdayReport, UnwritableFileStillShowsTheNamesThenReportsTheError) {
    RulesTempDir dir;
    IniFile nowhere(dir.File("missing-folder/birthdays.ini"));
    BirthdayList list;
    list.Add(std::make_unique<TBirthday>(Person("A", Day(1980, 1, 1))));
    list.Add(std::make_unique<TBirthday>(Person("B", Day(1980, 2, 1))));
    std::vector<std::string> boxes;
    EXPECT_THROW(ReportMissedBirthdays(list, nowhere, Day(2026, 5, 1), true,
                                       [&](const std::string& text) { boxes.push_back(text); }),
                 IniWriteError);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Some birthdays of following persons were missed: \r\nA\r\nB\r\n");
    EXPECT_EQ(list[1].LastStart, Day(2026, 2, 1));
}

TEST(BirthdayReport, CaptionFollowsTheApplicationTitle) {
    EXPECT_EQ(MissedBirthdaysCaption("Vellomir"), "Vellomir. Attention!");
}

