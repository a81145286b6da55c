#include "core/Scheduler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/Clock.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/Occurrence.h"

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kMinute = 1.0 / 1440.0;
constexpr double kHour = 1.0 / 24.0;

TDateTime At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return EncodeDateTime({y, m, d}, {hh, mm, ss, 0});
}

// Stands in for the main window: records every call in order ("(late)" for a
// run that shows "Missing...") and does to the event what a real firing does
// to it (the record of the run, deletion of a once event that deletes itself,
// one step of a periodic start after a regular run, the starts moved ahead
// after a scan). A test can hook in to change the list during a firing.
class FakeHost : public ISchedulerHost {
public:
    FakeHost(EventList& events, ManualClock& clock) : events_(events), clock_(clock) {}

    void FireEvent(int index, bool snooze) override
    {
        // The scheduler must never hand over an index outside the list.
        ASSERT_GE(index, 0);
        ASSERT_LT(index, events_.Count());
        TEvent& e = events_[index];
        calls.push_back((snooze ? "snooze " : "run ") + e.Name + (e.MissedRun ? " (late)" : ""));
        e.LastDateTime = clock_.Now();
        e.MissedRun = false;
        const std::string name = e.Name;
        if (e.PeriodInd == pkOnce && e.DeleteAfterRun)
            events_.Delete(index);
        else if (!snooze && e.PeriodInd == pkDaily)
            e.StartDateTime += DaysToNextWeekday(e.DaysBin, e.StartDateTime);
        else if (!snooze && e.PeriodInd != pkOnce)
            e.StartDateTime += e.DifDateTime;
        if (onFire)
            onFire(name);
    }
    void FireBirthday(int index) override { calls.push_back("birthday " + std::to_string(index)); }
    void RefreshTooltip() override { calls.push_back("tooltip"); }
    void MoveStartsAhead(TDateTime now) override
    {
        for (int i = 0; i < events_.Count(); ++i)
            MoveStartAhead(events_[i], now);
    }

    // The calls since the last look, then forgotten.
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

    std::vector<std::string> calls;
    std::function<void(const std::string&)> onFire;

private:
    EventList& events_;
    ManualClock& clock_;
};

// Birthdays by month and day, each enabled or not.
class FakeBirthdays : public IBirthdayScan {
public:
    struct Entry { int month, day; bool enabled; };
    std::vector<Entry> entries;
    int BirthdayCount() const override { return static_cast<int>(entries.size()); }
    bool BirthdayDueOn(int index, TDateTime today) const override
    {
        const Entry& b = entries[static_cast<size_t>(index)];
        const DateParts d = DecodeDate(today);
        return b.enabled && b.month == d.month && b.day == d.day;
    }
};

using Calls = std::vector<std::string>;

// The scheduler with its fakes, started at ten seconds before X.
struct World {
    TEvent& AddEvent(const std::string& name, TDateTime start, int period = pkOnce)
    {
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        e->StartDateTime = start;
        e->PeriodInd = period;
        return events[events.Add(std::move(e))];
    }
    // Starts the scheduler and takes the first tick's birthday scan out of
    // the way, for tests that look at events only.
    void StartQuietly()
    {
        scheduler.Start();
        scheduler.LastBirthdayScanDate = DateOf(clock.Now());
    }
    Calls TickAt(TDateTime now)
    {
        clock.Set(now);
        scheduler.Tick();
        return host.Take();
    }

    const TDateTime X = At(2024, 3, 15, 9, 0);  // a Friday
    ManualClock clock{X - 10 * kSecond};
    EventList events;
    FakeHost host{events, clock};
    FakeBirthdays birthdays;
    Scheduler scheduler{clock, events, host, &birthdays};
};

class SchedulerTest : public ::testing::Test, protected World {};

}  // namespace

// One event, given as offsets from X, and what the ticks at given moments fire.
TEST(SchedulerOneEvent, StartSnoozeAndLastRunAgainstEpsilon)
{
    const TDateTime none = -1e9;
    struct Case { const char* what; double start, snooze, last; std::vector<std::pair<double, Calls>> ticks; };
    const Case cases[] = {
        {"less than Epsilon ahead is reached (0.9 s > 0.864 s)", 0, none, none,
         {{-0.9 * kSecond, {}}, {-0.5 * kSecond, {"run E"}}}},
        {"a snooze equal to the last run does not fire", -kHour, 0, 0.5 * kSecond, {{0, {}}}},
        {"start and snooze together fire once, as a regular run", 0, 0, none,
         {{0, {"run E"}}, {kSecond, {}}}},
        {"an event that ran less than Epsilon ago is not run again", 0, none, 0.2 * kSecond,
         {{0.5 * kSecond, {}}}},
        {"a snooze after the last run fires once", -kHour, 0, -kHour,
         {{0, {"snooze E"}}, {kSecond, {}}, {2 * kSecond, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        TEvent& e = w.AddEvent("E", w.X + c.start);
        e.SnoozeDateTime = c.snooze == none ? 0 : w.X + c.snooze;
        e.LastDateTime = c.last == none ? NeverTime : w.X + c.last;
        w.StartQuietly();
        for (const auto& [at, calls] : c.ticks)
            EXPECT_EQ(w.TickAt(w.X + at), calls) << at / kSecond << " s";
    }
}

TEST_F(SchedulerTest, TwoEventsWithTheSameStartFireInOneTickLaterInFileFirst)
{
    AddEvent("A", X);
    AddEvent("B", X);
    StartQuietly();
    EXPECT_EQ(TickAt(X + 0.3 * kSecond), (Calls{"run B", "run A"}));
    EXPECT_EQ(std::make_pair(scheduler.LastFiredDue, scheduler.NextDueTime), std::make_pair(X, NoDueTime));
    EXPECT_EQ(TickAt(X + 1.3 * kSecond), Calls{});
}

TEST_F(SchedulerTest, EmptyListScansEveryTickAndFindsNothing)
{
    StartQuietly();
    EXPECT_EQ(TickAt(X), Calls{});
    EXPECT_EQ(scheduler.NextDueTime, 0);
    // The scan runs every tick: an event added without recomputing is
    // noticed at the next tick.
    AddEvent("Late", X + kMinute);
    EXPECT_EQ(TickAt(X + kSecond), Calls{});
    EXPECT_EQ(scheduler.NextDueTime, X + kMinute);
    EXPECT_EQ(TickAt(X + kMinute), Calls{"run Late"});
}

TEST_F(SchedulerTest, ClockSetBackAnHourFiresNothingTwice)
{
    AddEvent("Once", X);
    AddEvent("Hourly", X, pkHourly).DifDateTime = kHour;
    StartQuietly();
    EXPECT_EQ(TickAt(X), (Calls{"run Hourly", "run Once"}));
    for (TDateTime t = X - kHour; t < X + 2 * kMinute; t += 5 * kMinute)
        EXPECT_EQ(TickAt(t), Calls{}) << (t - X) / kMinute << " min";
    // An event added for the hour lived again does fire.
    AddEvent("New", X + 5 * kMinute);
    scheduler.RecomputeNextDue();
    EXPECT_EQ(TickAt(X + 5 * kMinute), Calls{"run New"});
    EXPECT_EQ(TickAt(X + kHour), Calls{"run Hourly"});
}

TEST_F(SchedulerTest, NoEnabledEventAheadMeansNoScan)
{
    AddEvent("Passed", X - kHour);
    TEvent& off = AddEvent("Off", X + kMinute);
    off.Enabled = false;
    StartQuietly();
    EXPECT_EQ(scheduler.NextDueTime, NoDueTime);
    // Enabling without recomputing (as the list's check box does) is not
    // seen by the tick: no scan runs before NoDueTime.
    off.Enabled = true;
    for (int s = 0; s < 120; s += 7)
        EXPECT_EQ(TickAt(X + s * kSecond), Calls{});
    EXPECT_EQ(scheduler.NextDueTime, NoDueTime);
    // Once recomputed, the tick waits for it again.
    off.StartDateTime = X + 3 * kMinute;
    scheduler.RecomputeNextDue();
    EXPECT_EQ(TickAt(X + 3 * kMinute), Calls{"run Off"});
}

TEST_F(SchedulerTest, SleepAcrossThreeStartsFiresThemAllOnceInOrder)
{
    AddEvent("C", X + 2 * kHour);
    AddEvent("A", X);
    AddEvent("B", X + kHour);
    AddEvent("D", X + 1);
    StartQuietly();
    // The computer resumes three hours later.
    EXPECT_EQ(TickAt(X + 3 * kHour), (Calls{"run A (late)", "run B (late)", "run C (late)"}));
    EXPECT_EQ(scheduler.NextDueTime, X + 1);
    EXPECT_EQ(TickAt(X + 3 * kHour + kSecond), Calls{});
    EXPECT_EQ(TickAt(X + 1), (Calls{"run D", "tooltip"}));  // a new day, too
}

TEST_F(SchedulerTest, MasksAreCheckedWhenTheRunHappensAndExcludedDaysMoveOn)
{
    const TDateTime monday = At(2024, 3, 18, 23, 30);
    TEvent& late = AddEvent("Monday late", monday, pkDaily);
    late.DaysBin = "0100000";
    TEvent& friday = AddEvent("On a Friday", X, pkDaily);  // X is a Friday: excluded
    friday.DaysBin = "0100000";
    TEvent& snoozed = AddEvent("Snoozed", monday + 7, pkDaily);
    snoozed.DaysBin = "0100000";
    snoozed.SnoozeDateTime = At(2024, 3, 19, 8);
    StartQuietly();
    EXPECT_EQ(TickAt(X + kMinute), Calls{});
    EXPECT_EQ(friday.StartDateTime, At(2024, 3, 18, 9)) << "moved to the first Monday";
    // Asleep across midnight: on Tuesday morning nothing runs, the snooze of
    // a Monday-only event neither, and the start is next Monday's.
    EXPECT_EQ(TickAt(At(2024, 3, 19, 8)), Calls{"tooltip"});
    EXPECT_EQ(late.StartDateTime, monday + 7);
    EXPECT_EQ(friday.StartDateTime, At(2024, 3, 25, 9));
}

TEST_F(SchedulerTest, WhatFallsDueDuringALongFiringFiresRightAfterIt)
{
    AddEvent("Long", X);
    AddEvent("During", X + 2 * kMinute);
    AddEvent("After", X + 10 * kMinute);
    TEvent& hourly = AddEvent("Hourly", X + 3 * kMinute, pkHourly);
    hourly.DifDateTime = kHour;
    host.onFire = [this](const std::string& name) {
        if (name == "Long")
            clock.Set(X + 5 * kMinute);  // a countdown, say
    };
    StartQuietly();
    EXPECT_EQ(TickAt(X), Calls{"run Long"});
    EXPECT_EQ(scheduler.NextDueTime, X + 2 * kMinute);
    EXPECT_EQ(TickAt(X + 5 * kMinute + kSecond), (Calls{"run During (late)", "run Hourly (late)"}));
    EXPECT_EQ(hourly.StartDateTime, X + kHour + 3 * kMinute);
    EXPECT_EQ(scheduler.NextDueTime, X + 10 * kMinute);
}

TEST_F(SchedulerTest, EventsDeletingThemselvesWhileFiringAllFireOnce)
{
    for (const char* name : {"A", "B", "C"})
        AddEvent(name, X).DeleteAfterRun = true;
    StartQuietly();
    EXPECT_EQ(TickAt(X), (Calls{"run C", "run B", "run A"}));
    EXPECT_TRUE(events.Empty());
    EXPECT_EQ(scheduler.NextDueTime, 0);
    EXPECT_EQ(TickAt(X + kSecond), Calls{});
}

TEST_F(SchedulerTest, TheListEmptiedDuringAFiringEndsTheScanSafely)
{
    for (const char* name : {"A", "B", "C", "D"})
        AddEvent(name, X);
    host.onFire = [this](const std::string&) { events.Clear(); };
    StartQuietly();
    EXPECT_EQ(TickAt(X), Calls{"run D"});
    EXPECT_EQ(scheduler.NextDueTime, 0);
}

TEST_F(SchedulerTest, EventsRemovedBelowTheFiredOneDuringAFiringDoNotBreakTheScan)
{
    for (const char* name : {"A", "B", "C", "D", "E"})
        AddEvent(name, X);
    // While D's firing runs (a countdown, say), the user deletes A and B.
    host.onFire = [this](const std::string& name) {
        if (name == "D") {
            events.Delete(0);
            events.Delete(0);
        }
    };
    StartQuietly();
    // E and D are visited again at their new indexes, but their run moments
    // keep them from firing twice; C still gets its run.
    EXPECT_EQ(TickAt(X), (Calls{"run E", "run D", "run C"}));
    EXPECT_EQ(events.Count(), 3);
}

TEST_F(SchedulerTest, BirthdaysAreScannedAtTheFirstTickAndThenOncePerDay)
{
    birthdays.entries = {{3, 15, true}, {3, 15, false}, {3, 16, true}, {3, 15, true}};
    AddEvent("Midnight", At(2024, 3, 16));
    clock.Set(At(2024, 3, 15, 23, 59, 57));
    scheduler.Start();
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(TickAt(At(2024, 3, 15, 23, 59, 58)), (Calls{"birthday 0", "birthday 3", "tooltip"}));
    EXPECT_EQ(scheduler.LastBirthdayScanDate, At(2024, 3, 15));
    EXPECT_EQ(TickAt(At(2024, 3, 15, 23, 59, 59)), Calls{});
    // Across midnight: the first tick of the new day, after the event scan.
    EXPECT_EQ(TickAt(At(2024, 3, 16, 0, 0, 0)), (Calls{"run Midnight", "birthday 2", "tooltip"}));
    EXPECT_EQ(TickAt(At(2024, 3, 16, 0, 0, 1)), Calls{});
    // A day with nobody's birthday still ends with the tooltip rebuilt.
    EXPECT_EQ(TickAt(At(2024, 3, 17, 8)), Calls{"tooltip"});
    // The clock set back a day scans that day's birthdays again.
    EXPECT_EQ(TickAt(At(2024, 3, 16, 9)), (Calls{"birthday 2", "tooltip"}));
}

TEST(SchedulerWithoutBirthdays, TheDailyScanStillRefreshesTheTooltip)
{
    ManualClock clock(At(2024, 3, 15, 12));
    EventList events;
    FakeHost host(events, clock);
    Scheduler scheduler(clock, events, host);
    scheduler.Start();
    scheduler.Tick();
    EXPECT_EQ(host.Take(), Calls{"tooltip"});
    EXPECT_EQ(scheduler.LastBirthdayScanDate, At(2024, 3, 15));
}
