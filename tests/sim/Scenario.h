// A scenario: the steps of one simulated stretch of a user's life with the
// program, drawn from a seed, and the runner that plays them against the
// reminders while the model judges every firing.
#pragma once

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/sim/Fakes.h"

namespace sim {

// What an event looks like when it is seeded, added or edited; times are
// relative to the moment the step runs, so that a shrunk scenario still
// makes sense.
struct EventPlan {
    int kind = pkOnce;
    Ms startOffset = 0;   // from now, rounded down to the minute
    int timeOfDay = -1;   // minutes after midnight on that day, or -1
    Ms step = 0;          // hourly, weekly, annually
    std::string days = "1111111", months = "111111111111";
    int expired = ekKeep;
    Ms runAgain = 0;
    bool deleteAfterRun = false, enabled = true, note = true;
    int action = 0;       // 0 none, 1 a program, 2 power with countdown, 3 power at once
    int rename = 0;       // the name's version
    bool ranAtStart = false;  // seeds: LastDateTime just after a passed start
    Ms snoozeOffset = 0;      // seeds: a pending snooze, from now (0 none)
};

struct BirthdayPlan {
    int year = 1980, month = 1, day = 1;
    bool r1 = false, r7 = false, r14 = false, enabled = true, note = true;
    bool neverReminded = false;
};

enum class StepKind {
    SeedEvent, SeedBirthday, Start, Run, TickSeconds, Sleep, Restart, SetBack, SetForward, ThroughDst,
    Add, Edit, Delete, Enable, Snooze, Wait, NestedTick, WritesFail,
};

struct Step {
    StepKind kind = StepKind::Run;
    bool modal = false;  // done by the user while a countdown shows
    int id = 0;
    Ms span = 0;
    bool flag = false;   // Restart: killed; SetBack/SetForward: told; Enable: on; WritesFail: on
    EventPlan event;
    BirthdayPlan birthday;
};

struct Scenario {
    std::uint64_t seed = 0;
    Ms startInstant = 0;
    int awakeDaysBefore = 1;  // the program last ran this many days before
    std::vector<Step> steps;
};

struct Options {
    bool verbose = false;
    bool writeFailures = false;  // steps that make events.ini unwritable for a while
    // Situations left out of the scenarios (to look past a known fault):
    // "masked-start": no daily or monthly start on a day its mask excludes;
    // "snooze-cleared": a regular run may clear a snooze not yet due.
    std::set<std::string> avoid;
};

Scenario Generate(std::uint64_t seed, const Options& options);
std::string Describe(const Step& step);

struct Outcome {
    std::vector<std::string> faults;  // empty: all well
    int stepFailed = -1;
    double simulatedDays = 0;
    int firings = 0;
};
Outcome Play(const Scenario& scenario, const Options& options);

// Delta debugging over the steps: the smallest list found that still fails
// with the same first fault.
Scenario Shrink(const Scenario& failing, const Options& options, const std::string& fault);
// The fault's kind: its text without names, dates and numbers.
std::string FaultKind(const std::string& fault);

}  // namespace sim
