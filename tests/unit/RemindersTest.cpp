// The reminders object as the program drives it: ticks, sleeps, restarts,
// clock changes and the user's edits, with a zone clock and real files. The
// simulation in tests/sim covers the space; these are the rules a reader
// should see, each as the case that once went wrong.
#include "core/Reminders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "alerts/Snooze.h"
#include "birthdays/Birthday.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "shell/Log.h"
#include "tests/unit/LockableFiles.h"
#include "tests/unit/NullDesktop.h"
#include "tests/unit/TestFiles.h"
#include "tests/unit/ZoneClock.h"

namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr double kMinute = 1.0 / 1440;
constexpr double kHour = 1.0 / 24;
// Moments come back from the file to a ten-thousandth of a second.
constexpr double kStored = 1e-9;

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

// What the user saw: each note by its event or person, with its status line.
class SeenDesktop final : public NullDesktop {
public:
    struct Note {
        std::string Name;
        std::string Status;  // empty when the status line is hidden
        TDateTime At;        // local
        bool operator==(const Note&) const = default;
    };
    explicit SeenDesktop(const IClock& clock) : clock_(clock) {}

    void ShowNote(const NoteRequest& n) override
    {
        notes.push_back({n.EventName.empty() ? n.PersonName : n.EventName, n.StatusVisible ? n.Status : "",
                         clock_.Now()});
    }
    void RunCountdown(const std::string& action, unsigned, int) override
    {
        actions.push_back("countdown " + action);
        if (duringCountdown)
            duringCountdown();
    }
    void ShowMissedSummary(const std::vector<MissedReminder>& runs) override { summaries.push_back(runs); }
    unsigned PlaySoundFile(const std::string& path) override
    {
        sounds.push_back(path);
        return 1;
    }
    bool UserBusy() const override { return busy; }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Note& n : notes)
            names.push_back(n.Name);
        return names;
    }

    std::vector<Note> notes;
    std::vector<std::string> actions;
    std::vector<std::vector<MissedReminder>> summaries;
    std::vector<std::string> sounds;
    std::function<void()> duringCountdown;
    bool busy = false;  // a presentation or a full-screen program

private:
    const IClock& clock_;
};

class SeenView final : public IRemindersView {
public:
    void EventRemoved(const std::string& name) override { removed.push_back(name); }
    void EventAdded(const TEvent& e) override { added.push_back(e.Name); }
    void EventChanged(const std::string& name, const TEvent&) override { changed.push_back(name); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowMissedBirthdays(const std::string& text, const std::string&) override { missedBirthdays.push_back(text); }
    void FilesState(const std::string& text) override { filesState = text; }
    void ListsReloaded() override { ++reloads; }
    std::vector<std::string> removed, added, changed, errors, missedBirthdays;
    std::string filesState;
    int reloads = 0;
};

class RemindersTest : public ::testing::Test {
protected:
    // Monday 11 January 2027, 9:00, winter time.
    RemindersTest() : clock(At(2027, 1, 11, 9)), desktop(clock) { ConfigureLog(dir.File("log.txt"), &clock); }
    ~RemindersTest() override { ConfigureLog("", nullptr); }

    static TEvent Make(const std::string& name, TDateTime start, int period = pkOnce, double step = 0)
    {
        TEvent e;
        e.Name = name;
        e.StartDateTime = start;
        e.LastDateTime = 0;
        e.PeriodInd = period;
        e.DifDateTime = step;
        e.EnabledNote = true;
        return e;
    }
    void Store(const std::vector<TEvent>& events)
    {
        IniFile file(dir.File("events.ini"));
        for (const TEvent& e : events)
            e.SaveToFile(file);
    }
    void StoreBirthday(const std::string& name, TDateTime born, bool week, TDateTime lastStart = 0)
    {
        TBirthday b;
        b.Name = name;
        b.BirthDate = born;
        b.Remind1Week = week;
        b.EnabledNote = true;
        b.LastStart = lastStart;
        b.SaveToFile(*std::make_unique<IniFile>(dir.File("birthdays.ini")));
    }
    // The program starts (again) on the files as they are.
    TReminders& Start()
    {
        r.reset();
        RemindersOptions o;
        o.EventsPath = dir.File("events.ini");
        o.BirthdaysPath = dir.File("birthdays.ini");
        o.Clock = &clock;
        o.Desktop = &desktop;
        o.Files = &files;
        o.View = &view;
        r = std::make_unique<TReminders>(o);
        r->Load();
        r->StartUp();
        return *r;
    }
    // Time passes with the program running, a tick each step.
    void Pass(double days, double step = 10 * kSecond)
    {
        const double until = clock.NowInstant() + days;
        while (clock.NowInstant() < until) {
            clock.Advance(std::min(step, until - clock.NowInstant()));
            r->Tick();
        }
    }
    // The computer sleeps, wakes up and ticks.
    void Sleep(double days)
    {
        clock.Advance(days);
        r->Resumed();
        r->Tick();
    }
    TEvent Stored(const std::string& name)
    {
        EventList list;
        LoadEvents(IniFile(dir.File("events.ini")), list);
        const TEvent* e = list.Find(name);
        return e ? *e : TEvent();
    }
    int Count(const std::string& name) const
    {
        const auto names = desktop.Names();
        return static_cast<int>(std::count(names.begin(), names.end(), name));
    }

    testfiles::TempDir dir;
    ZoneClock clock;
    SeenDesktop desktop;
    SeenView view;
    LockableFiles files;
    std::unique_ptr<TReminders> r;
};

// --- runs, their record, and what comes after them ---------------------------

TEST_F(RemindersTest, OnceRunsOnceThenDeletesItselfWhenAskedAndPeriodicMovesOnSnoozesKeepTheStart)
{
    TEvent once = Make("Once", At(2027, 1, 11, 9, 1));
    once.DeleteAfterRun = true;
    TEvent kept = Make("Kept", At(2027, 1, 11, 9, 1));
    TEvent gym = Make("Gym", At(2027, 1, 11, 9, 2), pkDaily);
    gym.DaysBin = "0100010";  // Monday and Friday
    gym.DeleteAfterRun = true;  // not for periodic events
    Store({once, kept, gym});
    Start();
    Pass(5 * kMinute);
    // At one moment the event later in the file comes first.
    EXPECT_EQ(desktop.Names(), (std::vector<std::string>{"Kept", "Once", "Gym"}));
    EXPECT_EQ(view.removed, std::vector<std::string>{"Once"});
    EXPECT_EQ(r->Events().IndexOf("Once"), -1);
    EXPECT_FALSE(IniFile(dir.File("events.ini")).Load().HasSection("Once"));
    EXPECT_NEAR(Stored("Gym").StartDateTime, At(2027, 1, 15, 9, 2), kStored);
    EXPECT_GE(Stored("Kept").LastDateTime, At(2027, 1, 11, 9, 1) - kStored);

    // A snooze run shows its own time, keeps the start and is settled.
    ASSERT_TRUE(r->Snooze("gym", At(2027, 1, 11, 9, 10)));
    EXPECT_FALSE(r->Snooze("Nobody", At(2027, 1, 11, 9, 10)));
    Pass(10 * kMinute);
    ASSERT_EQ(desktop.notes.size(), 4u);
    EXPECT_EQ(desktop.notes[3].Status, "Snoozing...");
    EXPECT_NEAR(Stored("Gym").StartDateTime, At(2027, 1, 15, 9, 2), kStored);
    EXPECT_EQ(Stored("Gym").SnoozeDateTime, 0);

    // Nothing again: not after a restart, not after the clock was set back.
    Start();
    clock.SetLocal(At(2027, 1, 11, 8, 50));
    Pass(30 * kMinute);
    EXPECT_EQ(desktop.notes.size(), 4u);
}

TEST_F(RemindersTest, NoEventIsLeftBehindItsStartAndNoneFiresEarly)
{
    // Half a second apart: the tick that fires the first comes before the
    // second is due; the second must still come, every hour.
    Store({Make("A", At(2027, 1, 11, 10), pkHourly, kHour),
           Make("B", At(2027, 1, 11, 10) + 0.5 * kSecond, pkHourly, kHour)});
    Start();
    Pass(3 * kHour + 30 * kMinute, kSecond);
    EXPECT_EQ(std::make_pair(Count("A"), Count("B")), std::make_pair(3, 3));
    for (const SeenDesktop::Note& n : desktop.notes)
        EXPECT_GE(n.At, At(2027, 1, 11, 10) + (n.Name == "B" ? 0.5 * kSecond : 0)) << n.Name;
    EXPECT_GT(r->NextDueTime(), clock.Now());
}

TEST_F(RemindersTest, AnEditMadeDuringACountdownWinsOverTheRunThatFellDue)
{
    TEvent power = Make("Power", At(2027, 1, 11, 9, 1));
    power.EnabledAction = true;
    power.ActionIndex = akTurnOff;
    Store({Make("Weekly", At(2027, 1, 11, 9, 1), pkWeekly, 7), power});
    Start();
    // Power is later in the file: it fires first, and while its countdown
    // shows the user moves Weekly to next week.
    desktop.duringCountdown = [&] {
        TEvent moved = r->Events()[r->Events().IndexOf("Weekly")];
        moved.StartDateTime = At(2027, 1, 18, 9, 1);
        r->ReplaceEvent("Weekly", moved);
        r->Tick();  // a tick from the countdown's message loop does nothing
    };
    Pass(2 * kMinute);
    EXPECT_EQ(desktop.Names(), std::vector<std::string>{"Power"});
    EXPECT_EQ(desktop.actions, std::vector<std::string>{"countdown Turn Off"});
    EXPECT_NEAR(Stored("Weekly").StartDateTime, At(2027, 1, 18, 9, 1), kStored);
}

// --- while the program was not running --------------------------------------

TEST_F(RemindersTest, RunAgainSurvivesARestartAndASnoozeDueMeanwhileComesOnceAndLate)
{
    TEvent weekly = Make("Weekly", At(2027, 1, 4, 8), pkWeekly, 7);
    weekly.ExpiredInd = ekRunAgain;
    weekly.Dif2DateTime = 5 * kMinute;
    TEvent tea = Make("Tea", At(2027, 1, 12, 8));
    tea.SnoozeDateTime = At(2027, 1, 11, 8, 30);  // passed while off
    TEvent dentist = Make("Dentist", At(2027, 1, 10, 8));
    dentist.ExpiredInd = ekDelete;
    dentist.SnoozeDateTime = At(2027, 1, 11, 12);  // still ahead: kept for it
    Store({weekly, tea, dentist});
    Start();
    EXPECT_NEAR(Stored("Weekly").StartDateTime, At(2027, 1, 18, 8), kStored);
    EXPECT_NEAR(Stored("Weekly").SnoozeDateTime, At(2027, 1, 11, 9, 5), kStored) << "the owed run is kept on disk";
    EXPECT_GE(r->Events().IndexOf("Dentist"), 0);
    Pass(kMinute);
    EXPECT_EQ(desktop.notes, (std::vector<SeenDesktop::Note>{{"Tea", "Missing...", desktop.notes[0].At}}));

    // Closed before the re-run, started again a quarter of an hour later.
    clock.Advance(15 * kMinute);
    Start();
    Pass(kMinute);
    ASSERT_EQ(desktop.notes.size(), 2u);
    EXPECT_EQ(std::make_pair(desktop.notes[1].Name, desktop.notes[1].Status),
              std::make_pair(std::string("Weekly"), std::string("Missing...")));
    Start();
    Pass(4 * kHour);
    EXPECT_EQ(desktop.Names(), (std::vector<std::string>{"Tea", "Weekly", "Dentist"}));
}

TEST_F(RemindersTest, ANewEventOwesItsStartOnlyWhateverItsRunAgainDelay)
{
    Start();
    auto e = std::make_unique<TEvent>(Make("New", At(2027, 1, 11, 9, 5)));
    e->ExpiredInd = ekRunAgain;
    e->Dif2DateTime = 5 * kMinute;
    e->SnoozeDateTime = e->StartDateTime + e->Dif2DateTime;
    r->AddEvent(std::move(e));
    Pass(kHour);
    EXPECT_EQ(desktop.notes, (std::vector<SeenDesktop::Note>{{"New", "", desktop.notes.at(0).At}}));
}

// --- snoozes, masks and the clock ---------------------------------------------

TEST_F(RemindersTest, ASnoozeComesOnADayTheMaskExcludesAndALateOneNeverTwice)
{
    TEvent monday = Make("Monday", At(2027, 1, 11, 9, 1), pkDaily);
    monday.DaysBin = "0100000";
    Store({monday, Make("Tea", At(2027, 1, 20, 8))});
    Start();
    Pass(2 * kMinute);
    r->Snooze("Monday", At(2027, 1, 12, 10));  // a Tuesday
    r->Snooze("Tea", At(2027, 1, 12, 10, 30));
    Pass(25 * kHour + 18 * kMinute, kMinute);
    // Tea's snooze comes during a sleep: late, once, and not again when the
    // clock is set back over it.
    Sleep(40 * kMinute);
    clock.SetLocal(At(2027, 1, 12, 10, 0));
    r->ClockChanged();
    Pass(kHour);
    ASSERT_EQ(desktop.Names(), (std::vector<std::string>{"Monday", "Monday", "Tea"}));
    EXPECT_EQ(desktop.notes[1].Status, "Snoozing...");
    EXPECT_EQ(desktop.notes[2].Status, "Missing...");
}

TEST_F(RemindersTest, AClockSetForwardByMistakeAndCorrectedGoesBackToTheNextHour)
{
    Store({Make("Hourly", At(2027, 1, 11, 9, 30), pkHourly, kHour)});
    Start();
    clock.SetLocal(At(2027, 1, 12, 9, 0));  // a day ahead by mistake
    r->ClockChanged();
    Pass(kMinute);
    clock.SetLocal(At(2027, 1, 11, 9, 2));  // and corrected
    Pass(26 * kHour);
    // The late run was 9:30's; then every hour from 10:30.
    EXPECT_EQ(Count("Hourly"), 1 + 25);
    EXPECT_LE(Stored("Hourly").LastDateTime, clock.Now());
}

// --- many late runs at once -------------------------------------------------------

TEST_F(RemindersTest, MoreThanThreeLateRunsMakeOneSummaryWrittenOnceFewerFireAsNotes)
{
    std::vector<TEvent> events;
    for (int i = 0; i < 5; ++i) {
        TEvent e = Make("Event " + std::to_string(i), At(2027, 1, 11, 10, i), pkDaily);
        e.DaysBin = "1111111";
        e.Notes = "First line " + std::to_string(i) + "\r\nsecond";
        e.EnabledAction = true;  // not run from the summary
        events.push_back(e);
    }
    Store(events);
    Start();
    const int writes = files.writes;
    Sleep(2 * kHour);
    ASSERT_EQ(desktop.summaries.size(), 1u);
    EXPECT_TRUE(desktop.notes.empty());
    EXPECT_TRUE(desktop.actions.empty());
    const std::vector<MissedReminder>& s = desktop.summaries[0];
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(std::make_tuple(s[0].Name, s[0].FirstLine, s[0].Note.Status),
              std::make_tuple("Event 0", "First line 0", "Missing..."));
    EXPECT_NEAR(s[0].Due, At(2027, 1, 11, 10), kStored);
    EXPECT_EQ(files.writes - writes, 1) << "every run recorded in one write";
    EXPECT_NEAR(Stored("Event 4").StartDateTime, At(2027, 1, 12, 10, 4), kStored);

    // Three late ones the next day fire as notes.
    for (int i = 3; i < 5; ++i)
        r->SetEventEnabled("Event " + std::to_string(i), false);
    Sleep(1);
    EXPECT_EQ(desktop.summaries.size(), 1u);
    EXPECT_EQ(desktop.notes.size(), 3u);
}

// --- notes that fit the moment ------------------------------------------------------

TEST_F(RemindersTest, NotesWaitOutAPresentationInOrderUnlessTheEventAsksToBeShown)
{
    TEvent a = Make("A", At(2027, 1, 11, 9, 5));
    a.EnabledSound = true;
    a.SoundFile = "a.wav";
    TEvent urgent = Make("Urgent", At(2027, 1, 11, 9, 7));
    urgent.ShowWhenBusy = true;
    TEvent b = Make("B", At(2027, 1, 11, 9, 10), pkDaily);
    b.DaysBin = "1111111";
    Store({b, a, urgent});
    StoreBirthday("Cid", At(1990, 1, 11), false);  // today
    desktop.busy = true;
    Start();
    Pass(20 * kMinute);
    EXPECT_EQ(desktop.Names(), std::vector<std::string>{"Urgent"});
    EXPECT_TRUE(desktop.sounds.empty());
    EXPECT_EQ(Stored("A").LastDateTime, 0);
    desktop.busy = false;
    Pass(kMinute);
    EXPECT_EQ(desktop.Names(), (std::vector<std::string>{"Urgent", "A", "B", "Cid"}));
    EXPECT_EQ(desktop.sounds, std::vector<std::string>{"a.wav"});
    Pass(kHour);
    EXPECT_EQ(desktop.notes.size(), 4u);
    EXPECT_NEAR(Stored("B").StartDateTime, At(2027, 1, 12, 9, 10), kStored);
}

TEST_F(RemindersTest, ARunLaterThanTheEventsLimitShowsNothingButCountsAsRun)
{
    TEvent late = Make("Late", At(2027, 1, 11, 9, 5), pkHourly, kHour);
    late.MaxLateMinutes = 10;
    late.EnabledSound = true;
    late.EnabledAction = true;
    late.ActionIndex = akTurnOff;
    TEvent fine = Make("Fine", At(2027, 1, 11, 9, 30));
    fine.MaxLateMinutes = 10;
    TEvent never = Make("Never", At(2027, 1, 11, 9, 1));  // 0: no limit
    Store({late, fine, never});
    Start();
    Sleep(35 * kMinute);  // Late is 30 minutes late, Fine 5, Never 34
    EXPECT_EQ(desktop.Names(), (std::vector<std::string>{"Never", "Fine"}));
    EXPECT_TRUE(desktop.sounds.empty());
    EXPECT_TRUE(desktop.actions.empty());
    EXPECT_NEAR(Stored("Late").LastDateTime, At(2027, 1, 11, 9, 35), kStored);
    EXPECT_NEAR(Stored("Late").StartDateTime, At(2027, 1, 11, 10, 5), kStored);
    EXPECT_NE(testfiles::ReadBytes(dir.File("log.txt")).find("Skipped the note of \"Late\": 30 minutes late"),
              std::string::npos);
    // The next hour on time: shown as usual.
    Pass(kHour);
    EXPECT_EQ(Count("Late"), 1);
    EXPECT_EQ(desktop.actions, std::vector<std::string>{"countdown Turn Off"});
}

// --- daylight saving --------------------------------------------------------------

TEST_F(RemindersTest, DaylightSavingNightsGiveEveryRealHourAndEachDailyRunOnce)
{
    for (const int month : {3, 10}) {
        SCOPED_TRACE(month);
        const int day = month == 3 ? 28 : 31;
        clock.SetLocal(At(2027, month, day - 1, 23, 55));
        desktop.notes.clear();
        TEvent daily = Make("Daily", At(2027, month, day, 2, 30), pkDaily);
        daily.DaysBin = "1111111";
        Store({Make("Hourly", At(2027, month, day), pkHourly, kHour), daily});
        Start();
        // Five real hours and ten minutes from 23:55: six hourly runs, on
        // the short night and on the long one.
        Pass(5 * kHour + 10 * kMinute, 5 * kSecond);
        EXPECT_EQ(Count("Hourly"), 6);
        ASSERT_EQ(Count("Daily"), 1);
        const auto run = std::find_if(desktop.notes.begin(), desktop.notes.end(),
                                      [](const SeenDesktop::Note& n) { return n.Name == "Daily"; });
        if (month == 3) {
            // 02:30 does not exist that night: it comes at 03:00, late.
            EXPECT_NEAR(run->At, At(2027, 3, 28, 3), kMinute);
            EXPECT_EQ(run->Status, "Missing...");
        }
        std::remove(dir.File("events.ini").c_str());
    }
    // A snooze of 15 minutes at 01:50 comes 15 real minutes later, at 03:05.
    clock.SetLocal(At(2027, 3, 28, 1, 50));
    desktop.notes.clear();
    Store({Make("Tea", At(2027, 3, 29, 8))});
    Start();
    r->Snooze("Tea", SnoozeInTime(clock, 15));
    Pass(kHour, 5 * kSecond);
    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_NEAR(desktop.notes[0].At, At(2027, 3, 28, 3, 5), 10 * kSecond);
}

// --- birthdays ---------------------------------------------------------------------

TEST_F(RemindersTest, BirthdayRemindersFromASleepComeOnceAndADayMissedAfterAnEarlyOneIsReported)
{
    // Ann's day is Saturday 16 January, a week's reminder on the 9th.
    StoreBirthday("Ann", At(1990, 1, 16), true);
    StoreBirthday("Ben", At(1985, 1, 14), true, At(2027, 1, 7));  // reminded a week ahead
    clock.SetLocal(At(2027, 1, 8, 22));
    Start();
    Pass(kMinute);
    Sleep(2 + 10 * kHour);  // over the 9th: Ann's week reminder comes once at the wake-up
    Pass(kHour);
    EXPECT_EQ(desktop.Names(), std::vector<std::string>{"Ann"});
    EXPECT_TRUE(view.missedBirthdays.empty());

    // Off over Ben's day: his early reminder does not stand for the day.
    clock.SetLocal(At(2027, 1, 16, 9));
    Start();
    ASSERT_EQ(view.missedBirthdays.size(), 1u);
    EXPECT_NE(view.missedBirthdays[0].find("Ben"), std::string::npos);
    EXPECT_EQ(view.missedBirthdays[0].find("Ann"), std::string::npos);
    // Ann's day, once, also when the program starts again that day.
    Pass(kMinute);
    Start();
    Pass(kMinute);
    EXPECT_EQ(desktop.Names(), (std::vector<std::string>{"Ann", "Ann"}));
}

}  // namespace

// --- files another program holds, changes or damaged -------------------------

TEST_F(RemindersTest, ARunRecordThatCannotBeWrittenIsKeptAndWrittenOverWhatOthersChanged)
{
    Store({Make("Tea", At(2027, 1, 11, 9, 1)), Make("Walk", At(2027, 1, 12))});
    Start();
    // Held for a moment (a scanner's look): written a little later, quietly.
    files.writesLocked = true;
    ASSERT_TRUE(r->DeleteEvent("Walk"));
    Pass(kSecond, kSecond / 2);
    files.writesLocked = false;
    Pass(kSecond, kSecond / 2);
    EXPECT_FALSE(IniFile(dir.File("events.ini")).Load().HasSection("Walk"));
    EXPECT_EQ(view.filesState, "");
    EXPECT_EQ(testfiles::ReadBytes(dir.File("log.txt")).find("cannot be written"), std::string::npos);

    const std::string before = testfiles::ReadBytes(dir.File("events.ini"));
    files.writesLocked = true;
    Pass(2 * kMinute);
    ASSERT_EQ(Count("Tea"), 1);
    EXPECT_TRUE(view.errors.empty()) << "no box for a file held a moment";
    EXPECT_EQ(view.filesState,
              "events.ini cannot be written now; the changes are kept and saved as soon as it can be.");
    EXPECT_EQ(testfiles::ReadBytes(dir.File("events.ini")), before);

    // Meanwhile another program adds an event; ours are read again, the run
    // stays recorded here.
    testfiles::WriteBytes(dir.File("events.ini"),
                          before + "[Added]\r\nEnabled=1\r\nStartDateTime=" +
                              FormatNumber(At(2027, 1, 12, 8), '.') + "\r\n");
    view.changed.clear();
    r->FilesChanged();
    // One row more; Tea's row stays as it was, its run kept.
    EXPECT_EQ(std::make_tuple(view.reloads, view.added, view.changed),
              std::make_tuple(0, std::vector<std::string>{"Added"}, std::vector<std::string>{}));
    EXPECT_EQ(r->Events().Count(), 2);
    EXPECT_EQ(r->Shutdown(), "Vellomir could not save its last changes to:\r\n" + dir.File("events.ini"));

    files.writesLocked = false;
    Pass(10 * kSecond);
    EXPECT_EQ(view.filesState, "");
    EXPECT_GE(Stored("Tea").LastDateTime, At(2027, 1, 11, 9, 1) - kStored);
    EXPECT_NEAR(Stored("Added").StartDateTime, At(2027, 1, 12, 8), kStored);
    EXPECT_EQ(r->Shutdown(), "");
    Start();
    Pass(kMinute);
    EXPECT_EQ(Count("Tea"), 1);
}

TEST_F(RemindersTest, AnOlderCopyPutBackByAnotherProgramNeverFiresARunTwice)
{
    TEvent tea = Make("Tea", At(2027, 1, 11, 9, 1), pkDaily);
    tea.DaysBin = "1111111";
    Store({tea});
    Start();
    const std::string older = testfiles::ReadBytes(dir.File("events.ini"));
    Pass(2 * kMinute);
    ASSERT_EQ(Count("Tea"), 1);
    const int writes = files.writes;
    r->FilesChanged();  // our own write: nothing to read
    EXPECT_EQ(view.reloads, 0);
    EXPECT_EQ(files.writes, writes);

    // A sync client puts back the copy from before the run.
    testfiles::WriteBytes(dir.File("events.ini"), older);
    r->FilesChanged();
    Pass(2 * kMinute);
    EXPECT_EQ(Count("Tea"), 1);
    EXPECT_NEAR(Stored("Tea").StartDateTime, At(2027, 1, 12, 9, 1), kStored) << "the record is written back";

    // A file replaced by one without the event takes it away.
    testfiles::WriteBytes(dir.File("events.ini"), "[Other]\r\nEnabled=1\r\n");
    r->FilesChanged();
    EXPECT_EQ(r->Events().IndexOf("Tea"), -1);
    EXPECT_EQ(r->Events().Count(), 1);
    EXPECT_EQ(std::make_tuple(view.removed, view.added, view.reloads),
              std::make_tuple(std::vector<std::string>{"Tea"}, std::vector<std::string>{"Other"}, 0));

    // Many records at once: the lists are filled anew, once.
    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "[Event " + std::to_string(i) + "]\r\nEnabled=0\r\n";
    testfiles::WriteBytes(dir.File("events.ini"), many);
    r->FilesChanged();
    EXPECT_EQ(std::make_tuple(r->Events().Count(), view.added.size(), view.reloads), std::make_tuple(100, 1u, 1));
}

TEST_F(RemindersTest, AFileThatCannotBeReadAtStartIsWaitedForAndNeverWrittenOver)
{
    Store({Make("Missed", At(2027, 1, 11, 8), pkOnce)});
    StoreBirthday("Ann", At(1990, 1, 11), false);
    const std::string events = testfiles::ReadBytes(dir.File("events.ini"));
    files.readsLocked = true;
    Start();
    EXPECT_EQ(r->Events().Count(), 0);
    EXPECT_EQ(view.filesState, "Waiting for events.ini and birthdays.ini...");
    EXPECT_THROW(r->AddEvent(std::make_unique<TEvent>(Make("New", At(2027, 1, 12)))), IniWriteError);
    EXPECT_THROW(r->DeleteBirthday("Ann"), IniWriteError);
    Pass(5 * kSecond);
    EXPECT_TRUE(view.errors.empty());
    Pass(10 * kSecond);
    ASSERT_EQ(view.errors.size(), 1u) << "told once, after a while";
    EXPECT_EQ(view.errors[0].rfind("Unable to read " + dir.File("events.ini") + " and " + dir.File("birthdays.ini") +
                                       ": another program may hold them open",
                                   0),
              0u);
    Pass(kMinute);
    EXPECT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(testfiles::ReadBytes(dir.File("events.ini")), events);
    EXPECT_TRUE(desktop.notes.empty());

    // Once it can be read, it is what it would have been at start: the
    // missed event's choice runs and today's birthday comes.
    files.readsLocked = false;
    Pass(30 * kSecond);
    EXPECT_EQ(view.filesState, "");
    EXPECT_EQ(r->Events().Count(), 1);
    EXPECT_EQ(r->Birthdays().Count(), 1);
    EXPECT_EQ(Count("Ann"), 1);
}

TEST_F(RemindersTest, AFileNotFullyUnderstoodIsCopiedBesideItBeforeTheFirstWrite)
{
    const std::string damaged = "[Tea]\r\nEnabled=1\r\nStartDateTime=47000\r\n[Tea]\r\nEnabled=0\r\nNoValue\r\n";
    testfiles::WriteBytes(dir.File("events.ini"), damaged);
    Start();
    ASSERT_TRUE(r->SetEventEnabled("Tea", false));
    EXPECT_EQ(testfiles::ReadBytes(dir.File("events.ini.bak")), damaged);
    // One copy, of the file as it was: later writes leave it.
    ASSERT_TRUE(r->SetEventEnabled("Tea", true));
    EXPECT_EQ(testfiles::ReadBytes(dir.File("events.ini.bak")), damaged);

    // A file the program understands gets none.
    StoreBirthday("Ann", At(1990, 5, 1), false);
    Start();
    ASSERT_TRUE(r->SetBirthdayEnabled("Ann", false));
    EXPECT_FALSE(std::filesystem::exists(dir.File("birthdays.ini.bak")));
}
