// The reference model: what the reminders owe, worked out from the rules in
// core/Reminders.h with code of its own (slots, masks, zones in whole
// milliseconds). The simulation tells it everything that happens, in order;
// it answers with faults: a run owed that did not come, a run not owed, a
// late run not marked late, a birthday reminded twice or missed.
#pragma once

#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/Event.h"
#include "core/Reminders.h"
#include "tests/sim/Fakes.h"

namespace sim {

class Model {
public:
    using Fault = std::function<void(const std::string&)>;
    explicit Model(Fault fault) : fault_(std::move(fault)) {}

    // --- events: what the user and the files do to them ------------------
    // An event as it stands in the files before the program starts.
    void Seed(int id, const TEvent& e);
    // New, or an edit (of an event the model may no longer have: then new).
    void Put(int id, const TEvent& e, Ms now);
    void Remove(int id);
    void SetEnabled(int id, bool enabled, Ms now);
    void Snooze(int id, Ms whenLocal);
    // The program starts at now: settles the starts that passed meanwhile.
    void StartUp(Ms now);
    // The clock went back to now.
    void ClockSetBack(Ms now);

    // --- a tick -----------------------------------------------------------
    void BeginScan(Ms now);
    // A run of event id at now: by its note and sound, or listed in the
    // summary of late runs.
    void OnFire(int id, Ms now, const NoteRequest* note, bool summarized);
    void OnSummary();
    // The clock moved inside this scan (a long countdown).
    void ClockMoved() { clockMoved_ = true; }
    void EndScan(Ms now);
    // The next moment (instant) at which something is owed; one at or
    // before now is owed already.
    Ms NextMoment() const;

    bool Has(int id) const { return events_.count(id) > 0; }
    // The model's events, one a line, for a verbose replay.
    std::string Dump() const;
    std::string NameOf(int id) const;
    std::vector<int> Ids() const;
    // Rules that leave a choice to the program (see Unsettled): the model
    // takes what the program chose when it is one of the choices.
    struct Choice {
        bool exists;
        bool hasSnooze;
        Ms snoozeLocal;
    };
    void Adopt(int id, const std::function<std::optional<Choice>(const std::string& name)>& lookup);

    // --- birthdays --------------------------------------------------------
    struct BirthdaySeed {
        int id;
        std::string name;
        int year, month, day;
        bool r1, r7, r14, enabled;
        int lastStart;  // day number, 0 for none
    };
    void SeedBirthday(const BirthdaySeed& b);
    // The last reminder day of the birthday on or before the day (0: none
    // within a year and a month).
    int LatestReminderDay(const BirthdaySeed& b, int upTo) const;
    // The last day the program was running before the simulation began.
    void SetAwakeDay(int day) { awakeDay_ = day; }
    void SessionStarted() { scannedDay_ = -1; }
    void Awake(int today) { awakeDay_ = today; }
    // The report of missed birthdays (none shown: an empty list and false).
    void MissedReport(const std::vector<std::string>& names, bool shown, int today);
    void Resumed(int today);
    void OnBirthdayFire(int id, int today);

    // A write failed once: a restart may repeat what the file did not keep.
    bool Lenient = false;
    // Known faults of the program taken as its behaviour, to look past them
    // (see Options::avoid): "snooze-cleared".
    std::set<std::string> Tolerate;

private:
    struct Part {
        bool snooze;
        Ms local, instant;
    };
    struct Owed {
        std::vector<Part> parts;
        bool runAgain = false;
        bool restarted = false;
        bool required = true;
        Ms scanStart = 0;
    };
    struct Event {
        int id;
        std::string name;
        int kind;
        bool enabled;
        Ms start;      // local, on an allowed day
        Ms startI;     // its instant (hourly slots are instants)
        bool never;    // no slot at all (an empty mask, an unreadable start)
        Ms step;       // hourly, weekly, annually
        std::string days, months;
        bool hasSnooze = false;
        Ms snooze = 0;  // local
        bool runAgain = false;       // the snooze is a "Run again" run
        bool restarted = false;      // ... armed before the last restart
        Ms lastRun;                  // instant of the last run
        Ms settled;                  // starts up to here owe no run (start-up, switched on)
        Ms originI;                  // the start New, Edit or the file gave it
        Ms ranFrom = LLONG_MIN / 4, ranTo = LLONG_MIN / 4;  // the slots the last regular run was for
        // After a clock set back: regular runs for slots up to here may come
        // or not (a late run stood for them all, at the wrong time).
        Ms optionalUntil = LLONG_MIN / 4;
        Ms dif2;                     // "Run again" delay
        int expired;
        bool deleteAfterRun, note;
        bool existenceOpen = false;  // the program may have deleted it
        bool snoozeOpen = false;     // the program may have armed a snooze
        std::optional<Owed> owed;
        // A snooze that fell due during a long firing may have been settled
        // by the run that came after it: one more run is then tolerated.
        int spareUntilScan = -1;
    };
    struct Birthday {
        BirthdaySeed seed;
        std::set<int> reminded;  // days
        int lastReminded;
        std::set<int> reported;  // anniversaries listed as missed
    };

    Event Make(int id, const TEvent& e) const;
    void Normalize(Event& e) const;
    std::optional<Ms> SlotAfter(const Event& e, Ms instant) const;  // local
    std::optional<Ms> LocalSlotAfter(const Event& e, Ms local) const;
    Ms InstantOfSlot(const Event& e, Ms local) const;
    // To the first slot after the instant; back: also when that is earlier.
    void MoveAhead(Event& e, Ms instant, bool back = false) const;
    std::optional<Owed> DueAt(const Event& e, Ms now, Ms scanStart) const;
    void CheckStatus(const Event& e, const Owed& o, Ms now, const NoteRequest* note, bool summarized);
    void Settle(Event& e, const Owed& o, Ms now);

    int Anniversary(const Birthday& b, int year) const;
    int NextAnniversary(const Birthday& b, int day) const;
    int PreviousAnniversary(const Birthday& b, int day) const;
    std::vector<int> ReminderDays(const Birthday& b, int anniversary) const;
    bool DueOn(const Birthday& b, int day) const;
    void GapCatchUps(int today, bool required);

    Fault fault_;
    std::map<int, Event> events_;
    Ms scanStart_ = 0;
    bool scanning_ = false;
    int scanNumber_ = 0;
    int summaries_ = 0;       // summaries shown in this scan
    int summarized_ = 0;      // runs they listed
    int lateSingles_ = 0;     // runs late at the scan's start that fired alone
    bool clockMoved_ = false; // the clock moved during this scan (a countdown)

    std::map<int, Birthday> birthdays_;
    int awakeDay_ = 0;
    int scannedDay_ = -1;
    int scanDay_ = -1;  // the day the current tick began on
    std::map<int, bool> todayOwed_;    // birthday -> still owed in this scan
    std::map<int, bool> catchUp_;      // birthday -> required
};

}  // namespace sim
