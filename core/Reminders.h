// The program's reminders and everything done with them, without a window:
// events.ini and birthdays.ini with their lists, the start-up, the
// once-a-second tick, the firing, snoozes, the commands of the editors and
// the lists, clock changes, resume and shutdown. It reaches the desktop only
// through interfaces (clock, files, notes and sound, its view), so the
// simulation in tests/sim drives exactly this object. The windows are views:
// they call it, and it tells them what changed.
//
// What is owed, and when (every run owed fires exactly once):
//
// Events. An event is owed nothing while it is disabled; switched on again,
// only what lies ahead is owed (a periodic start moves ahead, a passed
// snooze is dropped, a once event whose start passed is recorded as run).
//  - Regular run: an enabled event whose start S has come (now >= S) is owed
//    one run for S, unless it ran for S already (LastDateTime >= S). A once
//    event keeps S after its run. A periodic event's S then moves to the
//    first slot of its rule after now: one run for every slot that passed
//    during a sleep or a long firing, none made up. Hourly slots are real
//    hours (a daylight-saving night neither skips nor repeats one); the other
//    kinds keep their wall-clock time of day.
//  - Daily and Monthly masks: a slot on a day the mask excludes is not a
//    slot; such a start moves on to the first allowed one without a run.
//  - Snooze: SnoozeDateTime Z (0: none) is owed one run once now >= Z, on any
//    day whatever the masks say; after it Z is 0 again. Any run after Z
//    settles it (files of old keep a snooze that ran). When a regular run
//    and a snooze run fall due in the same scan, one run settles both.
//  - Late: a run that fires more than a minute (wall clock) after its moment
//    is late; its note says "Missing...".
//  - Edits: New and Edit give the event its start afresh, no snooze and no
//    run owed before the new start; a run already made after that start (a
//    clock set back) does not count against it. Delete settles everything.
//    A run is fired only while the event's start (or snooze) is still the
//    moment that fell due: an edit made while an earlier firing of the scan
//    was showing (a countdown) wins.
//  - While the program was not running (at start-up): an event whose start
//    passed is settled by its "ExpiredInd": Keep (no run), Run again (one
//    late run Dif2DateTime after the start, kept as the snooze moment so that
//    a restart still owes it; only when it had not run for that start and no
//    snooze is pending), Delete (the event goes, unless a snooze is still
//    pending). Periodic starts then move ahead of now. A snooze that passed
//    while the program was off fires once at the first tick, late.
//  - The clock set back: periodic starts return to the first slot after the
//    corrected time that has not run (the slot a run at the wrong time was
//    for has run); their LastDateTime that now lies ahead is a record of the
//    wrong clock and becomes now. A once event that ran has run, whatever
//    the clock says now. The repeated hour of an autumn night is no clock
//    change.
//  - Many late runs at once: when more than kSummaryThreshold runs of one
//    scan are late (or "Run again" runs), none of them opens a note, plays a
//    sound or runs its action; one summary lists them and all of them are
//    recorded in one write.
//
// Birthdays. Each reminder day (the day itself, and 1, 7, 14 days before
// when chosen) of an enabled birthday is owed one reminder; a reminder day
// that passed during a sleep is owed once at the wake-up when its birthday
// is still ahead; a birthday whose day passed while the program was off or
// asleep (without a reminder on the day) is listed in the missed-birthdays
// report once. "LastStart" records the day of the last reminder or report.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <optional>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/DateTime.h"
#include "core/Desktop.h"
#include "core/Event.h"
#include "core/Ini.h"

class IClock;
class IFileSystem;

// What the windows hear from the reminders. Every call comes on the thread
// that called the reminders; all have empty defaults.
class IRemindersView {
public:
    virtual ~IRemindersView() = default;
    // An event was added (New, an import), changed (its start moved, an
    // edit, which may rename it: oldName is the name its row has), or
    // removed (by name).
    virtual void EventAdded(const TEvent&) {}
    virtual void EventChanged(const std::string& /*oldName*/, const TEvent&) {}
    virtual void EventRemoved(const std::string&) {}
    virtual void BirthdayAdded(const TBirthday&) {}
    virtual void BirthdayChanged(const std::string& /*oldName*/, const TBirthday&) {}
    virtual void BirthdayRemoved(const std::string&) {}
    // What the upcoming-reminders window shows may have changed (a list, a
    // firing, the day).
    virtual void RemindersChanged() {}
    // A write failed during a firing or the start-up; text names the file.
    virtual void ShowError(const std::string&) {}
    // The birthdays missed while the program was not running (the box's
    // text and caption); shown only when the setting asks for it.
    virtual void ShowMissedBirthdays(const std::string&, const std::string&) {}
    // The files' state for the status bar: waiting for a file to read, or
    // changes kept that could not be written yet; empty when all is well.
    virtual void FilesState(const std::string&) {}
    // A list was read again (another program changed its file, or one that
    // could not be read at start can be now): every row follows it.
    virtual void ListsReloaded() {}
};

struct RemindersOptions {
    std::string EventsPath;     // events.ini
    std::string BirthdaysPath;  // birthdays.ini
    const IClock* Clock = nullptr;  // null: the system clock
    IDesktop* Desktop = nullptr;    // notes, sound, shell, countdown; required
    IFileSystem* Files = nullptr;   // null: the computer's
    IRemindersView* View = nullptr;
};

class TReminders {
public:
    // More late runs than this in one scan make a summary instead of notes.
    static constexpr int kSummaryThreshold = 3;
    // A run is late when it comes more than this after its moment.
    static constexpr double kLate = 1.0 / 1440;

    explicit TReminders(RemindersOptions options);
    ~TReminders();
    TReminders(const TReminders&) = delete;
    TReminders& operator=(const TReminders&) = delete;

    const EventList& Events() const noexcept { return events_; }
    const BirthdayList& Birthdays() const noexcept { return birthdays_; }
    IniFile& EventsFile() noexcept { return eventsFile_; }
    IniFile& BirthdaysFile() noexcept { return birthdaysFile_; }
    const IClock& Clock() const noexcept { return clock_; }
    IDesktop& Desktop() noexcept { return desktop_; }
    void SetView(IRemindersView* view) noexcept { view_ = view; }

    // --- the program's life ---------------------------------------------

    // Reads events.ini and birthdays.ini (a repeated name is skipped and
    // logged).
    void Load();
    // The start-up after the load and before the first tick, in this order:
    // the missed-birthdays report, the pass over events whose start passed,
    // the next due moment.
    void StartUp();
    // One tick: the events due since the last one fire (oldest first), then
    // the birthdays of each day not yet scanned. A tick that comes while a
    // firing of this object is still running (from a countdown's message
    // loop) does nothing. Allocates nothing when nothing is due.
    void Tick();
    // The clock was set (or the zone changed): the next tick looks again.
    void ClockChanged();
    // The computer woke up: what fell due meanwhile fires at the next tick;
    // the birthdays passed meanwhile are reported now.
    void Resumed();
    // Another program may have changed events.ini or birthdays.ini: what
    // changed is read again. A record of a run made here and missing from the
    // other copy stands (and is written back): a reload never fires a run
    // twice. Our own writes are recognised and read nothing. True when a
    // file could not be read now (its writer may not be done): ask again.
    bool FilesChanged();
    // The program ends: changes kept because a file could not be written are
    // written now if they can be; returns what could not be saved ("" when
    // everything was).
    std::string Shutdown();

    // A file that exists but cannot be read (another program holds it) is
    // tried again every tick; after this long the user is told.
    static constexpr double kWaitForRead = 10.0 / 86400;
    // Such a file, or changes kept for one, are tried again after growing
    // pauses; changes kept longer than kTellPendingAfter are shown.
    static constexpr double kFirstFileRetry = 0.5 / 86400;
    static constexpr double kLastFileRetry = 4.0 / 86400;
    static constexpr double kTellPendingAfter = 2.0 / 86400;

    // The local moment the next tick waits for (NoDueTime when nothing is
    // ahead, 0 for an empty list), for the windows and the tests.
    TDateTime NextDueTime() const noexcept { return nextDue_; }
    // Whether a firing is running (a countdown is showing).
    bool Firing() const noexcept { return firingDepth_ > 0; }

    // --- the commands ---------------------------------------------------
    // Each writes its change at once; a write that fails throws
    // IniWriteError with the lists and the file unchanged (a snooze and a
    // check box keep their new value in memory all the same).

    // New: stores and lists the event, which is owed its start; returns its
    // index. Throws std::invalid_argument for a name that cannot be stored
    // or is taken.
    int AddEvent(std::unique_ptr<TEvent> event);
    // Edit: the event named oldName becomes edited (which may rename it). An
    // event deleted meanwhile (it deleted itself after its run) is added
    // again as new.
    void ReplaceEvent(const std::string& oldName, const TEvent& edited);
    // Delete; false when there is no such event.
    bool DeleteEvent(const std::string& name);
    // The check box; false when there is no such event.
    bool SetEventEnabled(const std::string& name, bool enabled);
    // Test: the note, the sound and the action now (a power action always
    // counts down); nothing is recorded.
    void TestEvent(const std::string& name);
    // A note's snooze: the event fires again at when (a local time). Unknown
    // names (a birthday's note, a preview) change nothing; false then.
    bool Snooze(const std::string& name, TDateTime when);
    // The same snooze for several events in one write (the summary's
    // Snooze); returns how many were found.
    int SnoozeAll(const std::vector<std::string>& names, TDateTime when);

    int AddBirthday(std::unique_ptr<TBirthday> birthday);
    void ReplaceBirthday(const std::string& oldName, const TBirthday& edited);
    bool DeleteBirthday(const std::string& name);
    bool SetBirthdayEnabled(const std::string& name, bool enabled);
    void TestBirthday(const std::string& name);
    // A birthday stored by an editor on a day it is due is reminded at once
    // (New: enabled or not; Edit: only enabled ones), once a day.
    void RemindIfDueToday(const std::string& name, bool onlyEnabled);

    // An import (File > Import, /import): the events and the birthdays
    // stored in one write per file. A record whose name is listed (in any
    // letter case) takes that record's place in the list and is written
    // afresh at the end of the file; the others are appended. Every event
    // owes its start and nothing else, as a new one; enabled birthdays due
    // today are reminded at once, as a new one from the editor. Throws
    // IniWriteError (std::invalid_argument for a name that cannot be stored)
    // with that list and its file unchanged.
    void ImportRecords(std::vector<TEvent> events, std::vector<TBirthday> birthdays);

    // Fires the event or birthday at this index now as the tick would, for
    // the program's own window messages; an index outside the list does
    // nothing.
    void FireEventAt(int index, bool snooze);
    void FireBirthdayAt(int index);

private:
    struct Run;
    // What of a run is still owed when its turn comes.
    struct Still {
        bool Regular = false;
        bool MoveStart = false;
        bool Snooze = false;
    };
    void ScanEvents(double nowInstant);
    void ScanBirthdays(TDateTime today);
    void FireRuns(std::vector<Run>& runs);
    void FireOne(const Run& run);
    void Summarize(std::vector<Run>& runs);
    Still StillDue(const TEvent& e, const Run& run) const;
    void Settle(TEvent& e, const Still& run, TDateTime now, std::vector<std::string>* keys);
    // A periodic start to its first slot after past (an instant); the slots
    // it leaves are settled, not run.
    void MoveOn(TEvent& e, double past, std::vector<std::string>* keys);
    void ClockSetBack(TDateTime now);
    void MissedEventsPass(TDateTime now);
    void ReportMissedBirthdays();
    void RecomputeNextDue();
    double DueInstant(const TEvent& e, bool snooze) const;
    bool RanForStart(const TEvent& e) const;
    // A regular run is owed for the start (once it comes).
    bool StartOwed(const TEvent& e) const;
    void MoveAhead(TEvent& e, TDateTime now);
    struct ReadState {
        bool Read = true;    // the file has been read (or is missing: nothing to read)
        double Since = 0;    // when it could first not be read
        bool Told = false;   // the user was told it cannot be read
    };
    // The records a reload of events.ini removed, added and changed, by
    // name, for the view to follow row by row.
    struct EventsDiff {
        std::vector<std::string> Removed, Added, Changed;
    };
    static constexpr std::size_t kRowByRowLimit = 64;
    // Takes the file's records; with merge, the runs recorded here win, and
    // the result says what changed (nothing: too much to show row by row).
    std::optional<EventsDiff> TakeEvents(std::string bytes, bool merge);
    void TakeBirthdays(std::string bytes, bool merge);
    void InitRunTime(TEvent& e) const;
    void UpdateFilesState();
    // Tells the view the files' state when a command is over, however it ends.
    struct StateOnReturn {
        TReminders& Reminders;
        ~StateOnReturn() { Reminders.UpdateFilesState(); }
    };
    // Refuses a change to a file that has not been read yet.
    void CheckReadable(const IniFile& file, const ReadState& read) const;

    // One write of these keys of the event; Record reports a failure
    // instead of throwing (a firing goes on).
    void WriteKeys(const TEvent& e, const std::vector<std::string>& keys);
    void Record(const TEvent& e, const std::vector<std::string>& keys);
    void Report(const IniWriteError& error);

    const IClock& clock_;
    IDesktop& desktop_;
    IRemindersView* view_;
    IniFile eventsFile_;
    IniFile birthdaysFile_;
    EventList events_;
    BirthdayList birthdays_;

    TDateTime nextDue_ = 0;
    double nextDueInstant_ = 0;
    double lastTickInstant_ = 0;
    TDateTime lastBirthdayScan_ = 0;
    int firingDepth_ = 0;
    bool started_ = false;
    ReadState eventsRead_;
    ReadState birthdaysRead_;
    std::string filesState_;  // as the view was last told
    double retryPause_ = 0;      // 0: no file in trouble
    double nextFileRetry_ = 0;
    double pendingSince_ = 0;    // when changes were first kept, 0: none
};
