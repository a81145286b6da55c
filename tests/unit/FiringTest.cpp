#include "core/Firing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/DateTime.h"
#include "core/Desktop.h"
#include "tests/unit/NullDesktop.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Occurrence.h"
#include "shell/Log.h"
#include "tests/unit/TestFiles.h"

namespace {

using Strings = std::vector<std::string>;

// Records what the firing asks of the desktop, in order, one text per call.
class FakeDesktop final : public NullDesktop {
public:
    Strings calls;
    std::vector<NoteRequest> notes;
    bool countdownOpen = false;
    bool failNote = false;
    std::function<void()> duringCountdown;  // runs while the "modal" countdown shows

    void ShowNote(const NoteRequest& note) override
    {
        calls.push_back("note");
        if (failNote)
            throw std::runtime_error("no window");
        notes.push_back(note);
    }
    unsigned PlaySoundFile(const std::string& path) override
    {
        calls.push_back("sound " + path);
        return 1;
    }
    void StopSound(unsigned) override { calls.push_back("stop"); }
    void ShellOpen(const std::string& file, const std::string& params, int showCommand) override
    {
        calls.push_back("shell " + file + " | " + params + " | " + std::to_string(showCommand));
    }
    bool CountdownOpen() const override { return countdownOpen; }
    void RunCountdown(const std::string& actionName, unsigned exitFlags, int seconds) override
    {
        calls.push_back("countdown " + actionName + " " + std::to_string(exitFlags) + " " + std::to_string(seconds));
        if (duringCountdown)
            duringCountdown();
    }
    void RunPowerAction(unsigned exitFlags) override { calls.push_back("power " + std::to_string(exitFlags)); }
};

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

class FiringTest : public ::testing::Test {
protected:
    testfiles::TempDir dir;
    std::string eventsPath = dir.File("events.ini");
    IniFile events{eventsPath};
    IniFile unwritable{dir.File("missing-folder") + "/events.ini"};  // its folder does not exist
    FakeDesktop desktop;
    ManualClock clock{At(2024, 3, 15, 8, 30)};  // Friday 15 March 2024, the start of every event
    EventList list;
    int tooltipRefreshes = 0;

    FiringContext Ctx() { return Ctx(events); }
    FiringContext Ctx(IniFile& file)
    {
        return FiringContext{desktop, clock, file, "dd.mm.yyyy", "hh:nn:ss", [this] { ++tooltipRefreshes; }};
    }

    // A note event starting at the clock's moment; an action index of -1 means no action.
    static TEvent Make(const std::string& name, int period = pkOnce, double dif = 0, int action = -1)
    {
        TEvent e;
        e.Name = name;
        e.StartDateTime = At(2024, 3, 15, 8, 30);
        e.EnabledNote = true;
        e.Notes = "line one\r\nline two";
        e.IconIndex = 17;
        e.PeriodInd = period;
        e.DifDateTime = dif;
        e.EnabledAction = action >= 0;
        if (action >= 0)
            e.ActionIndex = action;
        return e;
    }
    static TEvent Action(const std::string& name, int action) { return Make(name, pkOnce, 0, action); }

    // Puts the events into the list and into the file, as loading would.
    void Store(std::vector<TEvent> items)
    {
        for (const TEvent& e : items) {
            e.SaveToFile(events);
            list.Add(std::make_unique<TEvent>(e));
        }
    }

    // NaN when the key is missing.
    double StoredNumber(const std::string& section, const std::string& key) const
    {
        return ParseNumber(events.ReadString(section, key, ""), NAN);
    }
};

// --- ExecuteEvent ------------------------------------------------------------

TEST_F(FiringTest, RegularRunShowsNameAndStartInTheUserFormats)
{
    TEvent e = Make("Dentist");
    e.EnabledSound = true;
    e.SoundFile = "C:\\sounds\\bell.wav";
    clock.Set(At(2024, 3, 15, 8, 30, 1));

    ExecuteEvent(e, false, Ctx());

    ASSERT_EQ(desktop.notes.size(), 1u);
    const NoteRequest& n = desktop.notes[0];
    EXPECT_EQ(std::tie(n.Caption, n.Text, n.EventName, n.IconList, n.IconIndex, n.Status, n.StatusVisible,
                       n.RemindLater),
              std::make_tuple("Dentist (15.03.2024 08:30:00)", "line one\r\nline two", "Dentist",
                              NoteIconList::Events, 17, "", false, RemindLaterState::Shown));
    EXPECT_EQ(desktop.calls, (Strings{"note", "sound C:\\sounds\\bell.wav"}));
    EXPECT_DOUBLE_EQ(e.LastDateTime, At(2024, 3, 15, 8, 30, 1));
}

TEST_F(FiringTest, NoteStatusFirstCaseThatAppliesWins)
{
    using RL = RemindLaterState;
    const struct {
        const char* what;
        bool missed, snooze, test, deleteAfterRun;
        const char* status;
        bool statusVisible;
        RL remindLater;
    } cases[] = {
        {"plain", false, false, false, false, "", false, RL::Shown},
        {"missed re-run", true, true, false, false, "Missing...", true, RL::Shown},
        {"missed beats delete", true, true, false, true, "Missing...", true, RL::Shown},
        {"late regular run", true, false, false, false, "Missing...", true, RL::Shown},
        {"snooze", false, true, false, false, "Snoozing...", true, RL::Shown},
        {"snooze beats test", false, true, true, false, "Snoozing...", false, RL::Shown},
        {"test", false, false, true, false, "", false, RL::Hidden},
        {"test beats delete", false, false, true, true, "", false, RL::Hidden},
        {"delete after run", false, false, false, true, "", false, RL::Disabled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TEvent e = Make("E");
        e.MissedRun = c.missed;
        e.SnoozeRun = c.snooze;
        e.DeleteAfterRun = c.deleteAfterRun;
        desktop.notes.clear();
        ExecuteEvent(e, c.test, Ctx());
        ASSERT_EQ(desktop.notes.size(), 1u);
        const NoteRequest& n = desktop.notes[0];
        EXPECT_EQ(std::tie(n.Status, n.StatusVisible, n.RemindLater),
                  std::make_tuple(c.status, c.statusVisible, c.remindLater));
        // The run flags are cleared after every firing.
        EXPECT_EQ(std::make_pair(e.SnoozeRun, e.MissedRun), std::make_pair(false, false));
    }
}

TEST_F(FiringTest, NoteSoundRecordActionInThatOrder)
{
    TEvent made = Action("Backup", akRestart);
    made.EnabledSound = true;
    made.SoundFile = "x.wav";
    made.ShtShowingSec = 30;
    Store({made});
    double lastWhileCounting = NAN;
    desktop.duringCountdown = [&] { lastWhileCounting = StoredNumber("Backup", "LastDateTime"); };

    ExecuteEvent(list[0], false, Ctx());

    EXPECT_EQ(desktop.calls, (Strings{"note", "sound x.wav", "countdown Restart 2 30"}));
    EXPECT_NEAR(lastWhileCounting, clock.Now(), 1e-8) << "LastDateTime is written before the action";
    EXPECT_DOUBLE_EQ(list[0].LastDateTime, clock.Now());
}

TEST_F(FiringTest, TestRunLeavesTheRecordOfTheRunAloneButStillActs)
{
    TEvent made = Action("Shutdown", akTurnOff);
    made.LastDateTime = At(2024, 1, 1, 12, 0);
    made.EnabledSound = true;
    made.SoundFile = "chime.wav";
    Store({made});
    const std::string before = testfiles::ReadBytes(eventsPath);

    ExecuteEvent(list[0], true, Ctx());

    EXPECT_DOUBLE_EQ(list[0].LastDateTime, At(2024, 1, 1, 12, 0));
    EXPECT_EQ(testfiles::ReadBytes(eventsPath), before);
    EXPECT_EQ(desktop.calls, (Strings{"note", "sound chime.wav", "countdown Turn Off 1 10"}));
    // A test run never writes, so an unwritable file is no error either.
    EXPECT_NO_THROW(ExecuteEvent(list[0], true, Ctx(unwritable)));
}

TEST_F(FiringTest, FailedNoteIsLoggedAndTheRestStillHappens)
{
    const std::string logPath = dir.File("log.txt");
    ConfigureLog(logPath, &clock, &EnglishUSFormatSettings());
    TEvent made = Action("Broken", akRunApplication);
    made.EnabledSound = true;
    made.SoundFile = "s.wav";
    made.RunAppName = "notepad.exe";
    Store({made});
    desktop.failNote = true;

    EXPECT_NO_THROW(ExecuteEvent(list[0], false, Ctx()));
    const std::string log = testfiles::ReadBytes(logPath);
    ConfigureLog("", nullptr);

    EXPECT_EQ(desktop.calls, (Strings{"note", "sound s.wav", "shell notepad.exe |  | 1"}));
    EXPECT_NEAR(StoredNumber("Broken", "LastDateTime"), clock.Now(), 1e-8);
    EXPECT_NE(log.find("Error in TEvent.Execute\r\n"), std::string::npos) << log;
}

TEST_F(FiringTest, RunApplicationOpensTheProgramWithItsParametersAndShowCommand)
{
    const struct {
        int cmdInd, showCommand;
    } cases[] = {{0, 1}, {1, 3}, {2, 2}, {3, 0}, {7, 0}, {-1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cmdInd);
        TEvent e = Action("Open", akRunApplication);
        e.RunAppName = "C:\\Tools\\report.exe";
        e.RunAppParams = "/daily \"a b\"";
        e.RunAppCmdInd = c.cmdInd;
        e.EnabledNote = false;
        desktop.calls.clear();
        ExecuteEvent(e, false, Ctx());
        EXPECT_EQ(desktop.calls, Strings{"shell C:\\Tools\\report.exe | /daily \"a b\" | " + std::to_string(c.showCommand)});
    }
}

TEST_F(FiringTest, PowerActionCountdownGetsTheActionWordAndExitFlags)
{
    const struct {
        int action;
        bool force;
        bool warn;
        bool test;
        std::string call;
    } cases[] = {{akTurnOff, false, true, false, "countdown Turn Off 1 12"},
                 {akRestart, false, true, false, "countdown Restart 2 12"},
                 {akLogOff, false, true, false, "countdown Log Off 0 12"},
                 {akTurnOff, true, true, false, "countdown Turn Off 5 12"},
                 {akRestart, true, true, false, "countdown Restart 6 12"},
                 {akLogOff, true, true, false, "countdown Log Off 4 12"},
                 // Without the warning window a real run acts at once...
                 {akRestart, false, false, false, "power 2"},
                 {akLogOff, true, false, false, "power 4"},
                 // ...but a test run always counts down first.
                 {akLogOff, true, false, true, "countdown Log Off 4 12"},
                 {akTurnOff, false, false, true, "countdown Turn Off 1 12"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        TEvent e = Action("Power", c.action);
        e.ShtCloseByForce = c.force;
        e.ShtShowWarning = c.warn;
        e.ShtShowingSec = 12;
        e.EnabledNote = false;
        desktop.calls.clear();
        ExecuteEvent(e, c.test, Ctx());
        EXPECT_EQ(desktop.calls, Strings{c.call});
    }
}

TEST_F(FiringTest, PowerActionWhileACountdownIsOpenDoesNothing)
{
    TEvent e = Action("Second", akRestart);
    e.SnoozeRun = true;
    desktop.countdownOpen = true;
    ExecuteEvent(e, false, Ctx());
    EXPECT_EQ(desktop.calls, Strings{"note"});
    EXPECT_FALSE(e.SnoozeRun);
}

TEST_F(FiringTest, UnwritableFileStillRunsTheActionThenReportsTheFailure)
{
    TEvent e = Action("Stuck", akRunApplication);
    e.SnoozeRun = true;
    e.MissedRun = true;
    e.RunAppName = "a.exe";
    EXPECT_THROW(ExecuteEvent(e, false, Ctx(unwritable)), IniWriteError);
    EXPECT_EQ(desktop.calls, (Strings{"note", "shell a.exe |  | 1"}));
    EXPECT_EQ(std::make_pair(e.SnoozeRun, e.MissedRun), std::make_pair(false, false));
    EXPECT_DOUBLE_EQ(e.LastDateTime, clock.Now());
}

}  // namespace
