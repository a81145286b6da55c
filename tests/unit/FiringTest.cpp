#include "core/Firing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/DateTime.h"
#include "core/Desktop.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Occurrence.h"
#include "shell/Log.h"

namespace fs = std::filesystem;

namespace {

struct CountdownCall {
    std::string actionName;
    unsigned exitFlags = 0;
    int seconds = 0;
};

struct ShellCall {
    std::string file;
    std::string params;
    int showCommand = -1;
};

// Records what the firing asks of the desktop, in order.
class FakeDesktop final : public IDesktop {
public:
    std::vector<std::string> calls;
    std::vector<NoteRequest> notes;
    std::vector<std::string> sounds;
    std::vector<ShellCall> shellCalls;
    std::vector<CountdownCall> countdowns;
    bool countdownOpen = false;
    bool failNote = false;
    // Runs while the "modal" countdown is showing.
    std::function<void()> duringCountdown;

    void ShowNote(const NoteRequest& note) override
    {
        calls.push_back("note");
        if (failNote)
            throw std::runtime_error("no window");
        notes.push_back(note);
    }
    void PlaySoundFile(const std::string& path) override
    {
        calls.push_back("sound");
        sounds.push_back(path);
    }
    void StopSound() override { calls.push_back("stop"); }
    void ShellOpen(const std::string& file, const std::string& params, int showCommand) override
    {
        calls.push_back("shell");
        shellCalls.push_back({file, params, showCommand});
    }
    bool CountdownOpen() const override { return countdownOpen; }
    void RunCountdown(const std::string& actionName, unsigned exitFlags, int seconds) override
    {
        calls.push_back("countdown");
        countdowns.push_back({actionName, exitFlags, seconds});
        if (duringCountdown)
            duringCountdown();
    }
};

// Records what the firing tells the list on screen.
class FakeRows final : public IEventRows {
public:
    std::vector<std::string> changed;
    std::vector<std::pair<int, std::string>> removed;
    void StartChanged(const TEvent& event) override { changed.push_back(event.Name); }
    void Removing(int index, const TEvent& event) override { removed.emplace_back(index, event.Name); }
};

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("vellomir-firing-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string ReadAll(const std::string& path)
{
    std::string s;
    ReadWholeFile(path, s);
    return s;
}

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

class FiringTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string eventsPath = dir.File("events.ini");
    IniFile events{eventsPath};
    FakeDesktop desktop;
    FakeRows rows;
    // Friday 15 March 2024, 08:30:00: the moment of the firing.
    ManualClock clock{At(2024, 3, 15, 8, 30)};
    int tooltipRefreshes = 0;

    FiringContext Ctx()
    {
        return FiringContext{desktop, clock, events, "dd.mm.yyyy", "hh:nn:ss",
                             [this] { ++tooltipRefreshes; }};
    }

    static std::unique_ptr<TEvent> MakeEvent(const std::string& name)
    {
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        e->StartDateTime = At(2024, 3, 15, 8, 30);
        e->EnabledNote = true;
        e->Notes = "line one\r\nline two";
        e->IconIndex = 17;
        return e;
    }

    // Puts the events into the list and into the file, as loading would.
    void Store(EventList& list, std::vector<std::unique_ptr<TEvent>> items)
    {
        for (auto& e : items) {
            e->SaveToFile(events);
            list.Add(std::move(e));
        }
    }

    std::optional<double> StoredNumber(const std::string& section, const std::string& key) const
    {
        const std::string text = events.ReadString(section, key, "");
        if (text.empty())
            return std::nullopt;
        return ParseNumber(text, NAN);
    }
};

// --- the note --------------------------------------------------------------

TEST_F(FiringTest, RegularRunShowsNameAndStartInTheUserFormats)
{
    TEvent e = *MakeEvent("Dentist");
    e.EnabledSound = true;
    e.SoundFile = "C:\\sounds\\bell.wav";
    clock.Set(At(2024, 3, 15, 8, 30, 1));

    ExecuteEvent(e, false, Ctx());

    ASSERT_EQ(desktop.notes.size(), 1u);
    const NoteRequest& n = desktop.notes[0];
    EXPECT_EQ(n.Caption, "Dentist (15.03.2024 08:30:00)");
    EXPECT_EQ(n.Text, "line one\r\nline two");
    EXPECT_EQ(n.EventName, "Dentist");
    EXPECT_EQ(n.IconList, NoteIconList::Events);
    EXPECT_EQ(n.IconIndex, 17);
    EXPECT_EQ(n.Status, "");
    EXPECT_FALSE(n.StatusVisible);
    EXPECT_EQ(n.RemindLater, RemindLaterState::Shown);
    EXPECT_EQ(desktop.sounds, std::vector<std::string>{"C:\\sounds\\bell.wav"});
    EXPECT_DOUBLE_EQ(e.LastDateTime, At(2024, 3, 15, 8, 30, 1));
}

TEST_F(FiringTest, CaptionJoinsTheTwoPatternsWithOneBlank)
{
    TEvent e = *MakeEvent("Call");
    FiringContext ctx = Ctx();
    ctx.DateFormat = "yyyy-mm-dd";
    ctx.TimeFormat = "h:nn";
    ExecuteEvent(e, false, ctx);
    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_EQ(desktop.notes[0].Caption, "Call (2024-03-15 8:30)");
}

TEST_F(FiringTest, SnoozeRunCaptionShowsTheCurrentTimeAndSnoozing)
{
    TEvent e = *MakeEvent("Dentist");
    e.SnoozeRun = true;
    clock.Set(At(2024, 3, 15, 8, 45));

    ExecuteEvent(e, false, Ctx());

    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_EQ(desktop.notes[0].Caption, "Dentist (15.03.2024 08:45:00)");
    EXPECT_EQ(desktop.notes[0].Status, "Snoozing...");
    EXPECT_TRUE(desktop.notes[0].StatusVisible);
    EXPECT_EQ(desktop.notes[0].RemindLater, RemindLaterState::Shown);
}

struct StatusCase {
    const char* what;
    bool missed;
    bool snooze;
    bool test;
    bool deleteAfterRun;
    const char* status;
    bool statusVisible;
    RemindLaterState remindLater;
};

class FiringStatusTest : public FiringTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(FiringStatusTest, FirstCaseThatAppliesWins)
{
    const StatusCase& c = GetParam();
    TEvent e = *MakeEvent("E");
    e.MissedRun = c.missed;
    e.SnoozeRun = c.snooze;
    e.DeleteAfterRun = c.deleteAfterRun;

    ExecuteEvent(e, c.test, Ctx());

    ASSERT_EQ(desktop.notes.size(), 1u) << c.what;
    EXPECT_EQ(desktop.notes[0].Status, c.status) << c.what;
    EXPECT_EQ(desktop.notes[0].StatusVisible, c.statusVisible) << c.what;
    EXPECT_EQ(desktop.notes[0].RemindLater, c.remindLater) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FiringStatusTest,
    ::testing::Values(
        StatusCase{"plain", false, false, false, false, "", false, RemindLaterState::Shown},
        StatusCase{"missed re-run", true, true, false, false, "Missing...", true, RemindLaterState::Shown},
        StatusCase{"missed beats delete", true, true, false, true, "Missing...", true,
                   RemindLaterState::Shown},
        StatusCase{"missed, regular run", true, false, false, false, "Missing...", false,
                   RemindLaterState::Shown},
        StatusCase{"snooze", false, true, false, false, "Snoozing...", true, RemindLaterState::Shown},
        StatusCase{"snooze beats test", false, true, true, false, "Snoozing...", false,
                   RemindLaterState::Shown},
        StatusCase{"test", false, false, true, false, "", false, RemindLaterState::Hidden},
        StatusCase{"test beats delete", false, false, true, true, "", false, RemindLaterState::Hidden},
        StatusCase{"delete after run", false, false, false, true, "", false, RemindLaterState::Disabled}));

// --- the order and the parts of a firing ------------------------------------

TEST_F(FiringTest, NoteSoundRecordActionInThatOrder)
{
    EventList list;
    auto made = MakeEvent("Backup");
    made->EnabledSound = true;
    made->SoundFile = "x.wav";
    made->EnabledAction = true;
    made->ActionIndex = akRestart;
    made->ShtShowingSec = 30;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(made));
    Store(list, std::move(items));

    std::optional<double> lastWhileCounting;
    desktop.duringCountdown = [&] { lastWhileCounting = StoredNumber("Backup", "LastDateTime"); };

    ExecuteEvent(list[0], false, Ctx());

    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"note", "sound", "countdown"}));
    ASSERT_TRUE(lastWhileCounting.has_value()) << "LastDateTime is written before the action";
    EXPECT_NEAR(*lastWhileCounting, clock.Now(), 1e-8);
    ASSERT_EQ(desktop.countdowns.size(), 1u);
    EXPECT_EQ(desktop.countdowns[0].actionName, "Restart");
    EXPECT_EQ(desktop.countdowns[0].exitFlags, 2u);
    EXPECT_EQ(desktop.countdowns[0].seconds, 30);
}

TEST_F(FiringTest, RealRunWritesLastDateTimeToMemoryAndFile)
{
    EventList list;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(MakeEvent("Pay rent"));
    Store(list, std::move(items));
    clock.Set(At(2024, 3, 15, 8, 30, 7));

    ExecuteEvent(list[0], false, Ctx());

    EXPECT_DOUBLE_EQ(list[0].LastDateTime, At(2024, 3, 15, 8, 30, 7));
    const auto stored = StoredNumber("Pay rent", "LastDateTime");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NEAR(*stored, At(2024, 3, 15, 8, 30, 7), 1e-8);
}

TEST_F(FiringTest, TestRunLeavesTheRecordOfTheRunAloneButStillActs)
{
    EventList list;
    auto made = MakeEvent("Shutdown");
    made->LastDateTime = At(2024, 1, 1, 12, 0);
    made->EnabledSound = true;
    made->SoundFile = "chime.wav";
    made->EnabledAction = true;
    made->ActionIndex = akTurnOff;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(made));
    Store(list, std::move(items));
    const std::string before = ReadAll(eventsPath);

    ExecuteEvent(list[0], true, Ctx());

    EXPECT_DOUBLE_EQ(list[0].LastDateTime, At(2024, 1, 1, 12, 0));
    EXPECT_EQ(ReadAll(eventsPath), before);
    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_EQ(desktop.notes[0].RemindLater, RemindLaterState::Hidden);
    EXPECT_FALSE(desktop.notes[0].StatusVisible);
    EXPECT_EQ(desktop.sounds.size(), 1u);
    ASSERT_EQ(desktop.countdowns.size(), 1u);
    EXPECT_EQ(desktop.countdowns[0].actionName, "Turn Off");
}

TEST_F(FiringTest, NoteOffSoundOnPlaysOnlyTheSound)
{
    TEvent e = *MakeEvent("Quiet");
    e.EnabledNote = false;
    e.EnabledSound = true;
    e.SoundFile = "s.wav";
    ExecuteEvent(e, false, Ctx());
    EXPECT_EQ(desktop.calls, std::vector<std::string>{"sound"});
}

TEST_F(FiringTest, SoundOffPlaysNothing)
{
    TEvent e = *MakeEvent("Silent");
    e.SoundFile = "s.wav";
    ExecuteEvent(e, false, Ctx());
    EXPECT_TRUE(desktop.sounds.empty());
}

TEST_F(FiringTest, FailedNoteIsLoggedAndTheRestStillHappens)
{
    const std::string logPath = dir.File("log.txt");
    ConfigureLog(logPath, &clock, &EnglishUSFormatSettings());
    EventList list;
    auto made = MakeEvent("Broken");
    made->EnabledSound = true;
    made->SoundFile = "s.wav";
    made->EnabledAction = true;
    made->ActionIndex = akRunApplication;
    made->RunAppName = "notepad.exe";
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(made));
    Store(list, std::move(items));
    desktop.failNote = true;

    EXPECT_NO_THROW(ExecuteEvent(list[0], false, Ctx()));
    const std::string log = ReadAll(logPath);
    ConfigureLog("", nullptr);

    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"note", "sound", "shell"}));
    EXPECT_TRUE(StoredNumber("Broken", "LastDateTime").has_value());
    EXPECT_NE(log.find("Error in TEvent.Execute\r\n"), std::string::npos) << log;
}

TEST_F(FiringTest, RunApplicationOpensTheProgramWithItsParameters)
{
    TEvent e = *MakeEvent("Open");
    e.EnabledAction = true;
    e.ActionIndex = akRunApplication;
    e.RunAppName = "C:\\Tools\\report.exe";
    e.RunAppParams = "/daily \"a b\"";
    e.RunAppCmdInd = 1;
    ExecuteEvent(e, false, Ctx());
    ASSERT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_EQ(desktop.shellCalls[0].file, "C:\\Tools\\report.exe");
    EXPECT_EQ(desktop.shellCalls[0].params, "/daily \"a b\"");
    EXPECT_EQ(desktop.shellCalls[0].showCommand, 3);  // SW_SHOWMAXIMIZED
}

TEST_F(FiringTest, EmptyProgramNameOpensNothing)
{
    TEvent e = *MakeEvent("Nothing");
    e.EnabledAction = true;
    e.ActionIndex = akRunApplication;
    e.RunAppParams = "/x";
    EXPECT_NO_THROW(ExecuteEvent(e, false, Ctx()));
    EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(FiringTest, ActionOffDoesNothing)
{
    TEvent e = *MakeEvent("Off");
    e.ActionIndex = akTurnOff;
    e.RunAppName = "x.exe";
    ExecuteEvent(e, false, Ctx());
    EXPECT_TRUE(desktop.countdowns.empty());
    EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(FiringTest, UnknownActionDoesNothing)
{
    for (int action : {-1, 4, 99}) {
        TEvent e = *MakeEvent("Odd");
        e.EnabledAction = true;
        e.ActionIndex = action;
        e.RunAppName = "x.exe";
        ExecuteEvent(e, false, Ctx());
    }
    EXPECT_TRUE(desktop.countdowns.empty());
    EXPECT_TRUE(desktop.shellCalls.empty());
}

struct ShowCase {
    int cmdInd;
    int showCommand;
};

class FiringShowCommandTest : public FiringTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(FiringShowCommandTest, ShowCommandFollowsRunAppCmdInd)
{
    TEvent e = *MakeEvent("Run");
    e.EnabledAction = true;
    e.RunAppName = "a.exe";
    e.RunAppCmdInd = GetParam().cmdInd;
    ExecuteEvent(e, false, Ctx());
    ASSERT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_EQ(desktop.shellCalls[0].showCommand, GetParam().showCommand);
}

INSTANTIATE_TEST_SUITE_P(Cases, FiringShowCommandTest,
                         ::testing::Values(ShowCase{0, 1}, ShowCase{1, 3}, ShowCase{2, 2}, ShowCase{3, 0},
                                           ShowCase{7, 0}, ShowCase{-1, 0}));

struct PowerCase {
    int action;
    bool force;
    const char* name;
    unsigned flags;
};

class FiringPowerTest : public FiringTest, public ::testing::WithParamInterface<PowerCase> {};

TEST_P(FiringPowerTest, CountdownGetsTheActionWordAndExitFlags)
{
    const PowerCase& c = GetParam();
    TEvent e = *MakeEvent("Power");
    e.EnabledAction = true;
    e.ActionIndex = c.action;
    e.ShtCloseByForce = c.force;
    e.ShtShowingSec = 12;
    ExecuteEvent(e, false, Ctx());
    ASSERT_EQ(desktop.countdowns.size(), 1u);
    EXPECT_EQ(desktop.countdowns[0].actionName, c.name);
    EXPECT_EQ(desktop.countdowns[0].exitFlags, c.flags);
    EXPECT_EQ(desktop.countdowns[0].seconds, 12);
    EXPECT_STREQ(PowerActionName(c.action), c.name);
    EXPECT_EQ(PowerActionFlags(c.action, c.force), c.flags);
}

INSTANTIATE_TEST_SUITE_P(Cases, FiringPowerTest,
                         ::testing::Values(PowerCase{akTurnOff, false, "Turn Off", 1},
                                           PowerCase{akRestart, false, "Restart", 2},
                                           PowerCase{akLogOff, false, "Log Off", 0},
                                           PowerCase{akTurnOff, true, "Turn Off", 5},
                                           PowerCase{akRestart, true, "Restart", 6},
                                           PowerCase{akLogOff, true, "Log Off", 4}));

TEST_F(FiringTest, PowerActionWhileACountdownIsOpenDoesNothing)
{
    TEvent e = *MakeEvent("Second");
    e.EnabledAction = true;
    e.ActionIndex = akRestart;
    desktop.countdownOpen = true;
    ExecuteEvent(e, false, Ctx());
    EXPECT_TRUE(desktop.countdowns.empty());
    EXPECT_FALSE(e.SnoozeRun);
}

TEST_F(FiringTest, RunFlagsAreClearedAfterEveryFiring)
{
    for (bool test : {false, true}) {
        TEvent e = *MakeEvent("Flags");
        e.SnoozeRun = true;
        e.MissedRun = true;
        ExecuteEvent(e, test, Ctx());
        EXPECT_FALSE(e.SnoozeRun) << test;
        EXPECT_FALSE(e.MissedRun) << test;
    }
}

// --- write failures ----------------------------------------------------------

TEST_F(FiringTest, UnwritableFileStillRunsTheActionThenReportsTheFailure)
{
    // A folder that does not exist: nothing can be written there.
    IniFile unwritable(dir.File("missing-folder") + "/events.ini");
    FiringContext ctx{desktop, clock, unwritable, "dd.mm.yyyy", "hh:nn:ss", {}};
    TEvent e = *MakeEvent("Stuck");
    e.SnoozeRun = true;
    e.MissedRun = true;
    e.EnabledAction = true;
    e.RunAppName = "a.exe";

    try {
        ExecuteEvent(e, false, ctx);
        FAIL() << "the write failure must reach the caller";
    } catch (const IniWriteError& err) {
        EXPECT_EQ(std::string(err.what()).rfind("Unable to write to ", 0), 0u) << err.what();
    }
    EXPECT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_FALSE(e.SnoozeRun);
    EXPECT_FALSE(e.MissedRun);
    EXPECT_DOUBLE_EQ(e.LastDateTime, clock.Now());
}

TEST_F(FiringTest, TestRunNeverWritesSoAnUnwritableFileIsNoError)
{
    IniFile unwritable(dir.File("missing-folder") + "/events.ini");
    FiringContext ctx{desktop, clock, unwritable, "dd.mm.yyyy", "hh:nn:ss", {}};
    TEvent e = *MakeEvent("Try");
    EXPECT_NO_THROW(ExecuteEvent(e, true, ctx));
}

// --- FireEvent ---------------------------------------------------------------

TEST_F(FiringTest, OnceEventThatDeletesItselfIsGoneFromFileRowsAndList)
{
    EventList list;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(MakeEvent("Keep me"));
    auto once = MakeEvent("Once only");
    once->DeleteAfterRun = true;
    items.push_back(std::move(once));
    items.push_back(MakeEvent("After"));
    Store(list, std::move(items));

    FireEvent(list, 1, false, Ctx(), &rows);

    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_EQ(desktop.notes[0].RemindLater, RemindLaterState::Disabled);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0].Name, "Keep me");
    EXPECT_EQ(list[1].Name, "After");
    EXPECT_FALSE(events.Load().HasSection("Once only"));
    EXPECT_TRUE(events.Load().HasSection("Keep me"));
    EXPECT_EQ(rows.removed, (std::vector<std::pair<int, std::string>>{{1, "Once only"}}));
    EXPECT_EQ(tooltipRefreshes, 1);
}

TEST_F(FiringTest, SnoozedOnceEventThatDeletesItselfIsDeletedToo)
{
    EventList list;
    auto once = MakeEvent("Once only");
    once->DeleteAfterRun = true;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(once));
    Store(list, std::move(items));

    FireEvent(list, 0, true, Ctx(), &rows);

    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(events.Load().HasSection("Once only"));
}

TEST_F(FiringTest, PeriodicEventWithDeleteAfterRunIsNotDeletedButAdvanced)
{
    EventList list;
    auto weekly = MakeEvent("Weekly");
    weekly->PeriodInd = pkWeekly;
    weekly->DifDateTime = 7;
    weekly->DeleteAfterRun = true;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(weekly));
    Store(list, std::move(items));

    FireEvent(list, 0, false, Ctx(), &rows);

    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_EQ(desktop.notes[0].RemindLater, RemindLaterState::Disabled);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_DOUBLE_EQ(list[0].StartDateTime, At(2024, 3, 22, 8, 30));
    EXPECT_TRUE(events.Load().HasSection("Weekly"));
    EXPECT_TRUE(rows.removed.empty());
}

TEST_F(FiringTest, RegularRunOfADailyEventMovesToTheNextSelectedWeekday)
{
    EventList list;
    auto daily = MakeEvent("Gym");
    daily->PeriodInd = pkDaily;
    daily->DaysBin = "0100010";  // Monday and Friday; the start is a Friday
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(daily));
    Store(list, std::move(items));

    FireEvent(list, 0, false, Ctx(), &rows);

    EXPECT_DOUBLE_EQ(list[0].StartDateTime, At(2024, 3, 18, 8, 30));
    const auto stored = StoredNumber("Gym", "StartDateTime");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NEAR(*stored, At(2024, 3, 18, 8, 30), 1e-8);
    EXPECT_EQ(rows.changed, std::vector<std::string>{"Gym"});
    EXPECT_FALSE(list[0].SnoozeRun);
}

TEST_F(FiringTest, SnoozeRunNeverAdvancesTheStart)
{
    EventList list;
    auto daily = MakeEvent("Gym");
    daily->PeriodInd = pkDaily;
    daily->DaysBin = "0100010";
    daily->SnoozeDateTime = At(2024, 3, 15, 8, 45);
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(daily));
    Store(list, std::move(items));
    clock.Set(At(2024, 3, 15, 8, 45));

    FireEvent(list, 0, true, Ctx(), &rows);

    EXPECT_DOUBLE_EQ(list[0].StartDateTime, At(2024, 3, 15, 8, 30));
    ASSERT_EQ(desktop.notes.size(), 1u);
    EXPECT_EQ(desktop.notes[0].Caption, "Gym (15.03.2024 08:45:00)");
    EXPECT_EQ(desktop.notes[0].Status, "Snoozing...");
    EXPECT_FALSE(list[0].SnoozeRun);
    EXPECT_TRUE(rows.changed.empty());
    EXPECT_EQ(tooltipRefreshes, 1);
}

TEST_F(FiringTest, OnceEventWithoutDeleteStaysAndKeepsItsStart)
{
    EventList list;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(MakeEvent("Once"));
    Store(list, std::move(items));

    FireEvent(list, 0, false, Ctx(), &rows);

    ASSERT_EQ(list.Count(), 1);
    EXPECT_DOUBLE_EQ(list[0].StartDateTime, At(2024, 3, 15, 8, 30));
    EXPECT_TRUE(rows.changed.empty());
}

TEST_F(FiringTest, IndexOutsideTheListDoesNothing)
{
    EventList list;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(MakeEvent("Only"));
    Store(list, std::move(items));
    for (int index : {-1, 1, 1000}) {
        FireEvent(list, index, false, Ctx(), &rows);
        FireEvent(list, index, true, Ctx(), &rows);
    }
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(tooltipRefreshes, 0);
}

TEST_F(FiringTest, EventDeletedWhileItsCountdownShowsIsLeftAlone)
{
    EventList list;
    std::vector<std::unique_ptr<TEvent>> items;
    auto power = MakeEvent("Power");
    power->PeriodInd = pkWeekly;
    power->DifDateTime = 7;
    power->EnabledAction = true;
    power->ActionIndex = akTurnOff;
    items.push_back(MakeEvent("Other"));
    items.push_back(std::move(power));
    Store(list, std::move(items));
    // The user deletes the event from the main window meanwhile.
    desktop.duringCountdown = [&] {
        list[1].EraseFromFile(events);
        list.Delete(1);
    };

    EXPECT_NO_THROW(FireEvent(list, 1, false, Ctx(), &rows));

    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Name, "Other");
    EXPECT_DOUBLE_EQ(list[0].StartDateTime, At(2024, 3, 15, 8, 30));
    EXPECT_FALSE(events.Load().HasSection("Power"));
    EXPECT_TRUE(rows.changed.empty());
    EXPECT_EQ(tooltipRefreshes, 1);
}

TEST_F(FiringTest, EventMovedWhileItsCountdownShowsIsFoundByName)
{
    EventList list;
    std::vector<std::unique_ptr<TEvent>> items;
    auto power = MakeEvent("Power");
    power->PeriodInd = pkWeekly;
    power->DifDateTime = 7;
    power->EnabledAction = true;
    power->ActionIndex = akRestart;
    items.push_back(MakeEvent("First"));
    items.push_back(std::move(power));
    Store(list, std::move(items));
    // Another event above it is deleted meanwhile: its index drops by one.
    desktop.duringCountdown = [&] { list.Delete(0); };

    FireEvent(list, 1, false, Ctx(), &rows);

    ASSERT_EQ(list.Count(), 1);
    EXPECT_DOUBLE_EQ(list[0].StartDateTime, At(2024, 3, 22, 8, 30));
}

TEST_F(FiringTest, OnceEventWhoseSectionCannotBeErasedStaysAndTheFailureIsReported)
{
    // A file saved as UTF-16 can be read but refuses every write.
    {
        std::ofstream out(eventsPath, std::ios::binary);
        const std::string text = "[Once]\r\nStartDateTime=45366.3541666667\r\n";
        out.put(static_cast<char>(0xFF));
        out.put(static_cast<char>(0xFE));
        for (char ch : text) {
            out.put(ch);
            out.put('\0');
        }
    }
    ASSERT_TRUE(events.Load().HasSection("Once"));
    EventList list;
    auto once = MakeEvent("Once");
    once->DeleteAfterRun = true;
    list.Add(std::move(once));

    EXPECT_THROW(FireEvent(list, 0, false, Ctx(), &rows), IniWriteError);

    ASSERT_EQ(list.Count(), 1);
    EXPECT_TRUE(rows.removed.empty());
    EXPECT_TRUE(events.Load().HasSection("Once"));
    EXPECT_EQ(tooltipRefreshes, 1);
    EXPECT_FALSE(list[0].SnoozeRun);
}

TEST_F(FiringTest, PeriodicScheduleMovesOnEvenWhenTheFileIsUnwritable)
{
    IniFile unwritable(dir.File("missing-folder") + "/events.ini");
    FiringContext ctx{desktop, clock, unwritable, "dd.mm.yyyy", "hh:nn:ss", [this] { ++tooltipRefreshes; }};
    EventList list;
    auto hourly = MakeEvent("Hourly");
    hourly->PeriodInd = pkHourly;
    hourly->DifDateTime = 1.0 / 24;
    list.Add(std::move(hourly));

    EXPECT_THROW(FireEvent(list, 0, false, ctx, &rows), IniWriteError);

    EXPECT_NEAR(list[0].StartDateTime, At(2024, 3, 15, 9, 30), 1e-9);
    EXPECT_EQ(tooltipRefreshes, 1);
}

TEST_F(FiringTest, NoRowsAndNoTooltipAreFine)
{
    EventList list;
    auto once = MakeEvent("Once");
    once->DeleteAfterRun = true;
    std::vector<std::unique_ptr<TEvent>> items;
    items.push_back(std::move(once));
    Store(list, std::move(items));
    FiringContext ctx{desktop, clock, events, "dd.mm.yyyy", "hh:nn:ss", {}};
    EXPECT_NO_THROW(FireEvent(list, 0, false, ctx, nullptr));
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
