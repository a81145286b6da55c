#include "core/Reminders.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include "birthdays/BirthdayRules.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Firing.h"
#include "core/Occurrence.h"
#include "shell/Log.h"
#include "shell/Settings.h"

namespace {

constexpr double kNothingDue = std::numeric_limits<double>::infinity();
// A tick that finds the clock this far behind the last one means the clock
// was set back (the timer's own jitter is far less).
constexpr double kSetBack = 2.0 / 86400;

// A snooze is pending until a run at or after its moment has settled it.
bool SnoozePending(const TEvent& e, const IClock& clock)
{
    return e.SnoozeDateTime != 0 &&
           clock.InstantOf(e.LastDateTime, e.LastLater) <
               clock.InstantOf(e.SnoozeDateTime, e.SnoozeLater) - static_cast<double>(Epsilon);
}

bool IsPeriodic(const TEvent& e)
{
    return e.PeriodInd >= pkHourly && e.PeriodInd <= pkAnnually;
}

// A start on a day its mask excludes is no slot: its first slot is the
// first allowed day at the same time. Returns whether the start moved.
bool StartOnSlot(TEvent& e)
{
    if (!IsPeriodic(e) || !HasSlots(e) || StartIsSlot(e))
        return false;
    e.StartDateTime = NextSlot(e, e.StartDateTime);
    e.StartLater = false;
    return true;
}

// Whether the start is one the event can still run for: a once event, or a
// periodic rule with slots (a start on an excluded day moves on to one).
bool StartCanRun(const TEvent& e)
{
    return !IsPeriodic(e) || HasSlots(e) || StartIsSlot(e);
}

// Marks the end of a firing however it ends.
struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
};

}  // namespace

// A run the scan found due: the event by name (a firing may remove or move
// events), the moments it falls due for, and what kind of run it is.
struct TReminders::Run {
    std::string Name;
    int Index = 0;          // at the scan, for the order at one moment
    bool Regular = false;   // a run for its start
    bool MoveStart = false; // its start lies on a day its mask excludes: no run for it
    TDateTime Start = 0;
    bool Snooze = false;    // a run for its snooze
    TDateTime SnoozeAt = 0;
    TDateTime Moment = 0;   // the earlier of the two, local
    double Instant = 0;     // the same, for the order of the runs
    bool Late = false;
};

TReminders::TReminders(RemindersOptions options)
    : clock_(options.Clock ? *options.Clock : SystemClock()),
      desktop_(*options.Desktop),
      view_(options.View),
      eventsFile_(options.EventsPath, options.Files),
      birthdaysFile_(options.BirthdaysPath, options.Files)
{
    // A change that cannot be written now (another program holds the file,
    // a full disk) is kept and written by a later tick, never dropped.
    eventsFile_.KeepPending(true);
    birthdaysFile_.KeepPending(true);
}

void TReminders::CheckReadable(const IniFile& file, const ReadState& read) const
{
    // Written over before it was read, the file would lose what it holds.
    if (!read.Read)
        throw IniWriteError(FullPathName(file.Path()));
}


// --- the program's life ----------------------------------------------------

TReminders::~TReminders() = default;

namespace {

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Bytes that are no text at all (binary garbage, a copy cut off by a sync
// conflict) beyond a file saved as UTF-16.
bool LooksDamaged(const std::string& bytes)
{
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    return !utf16 && bytes.find('\0') != std::string::npos;
}

}  // namespace

void TReminders::Load()
{
    const double now = clock_.NowInstant();
    if (auto bytes = eventsFile_.ChangedOnDisk())
        TakeEvents(std::move(*bytes), false);
    else
        eventsRead_ = ReadState{false, now};
    if (auto bytes = birthdaysFile_.ChangedOnDisk())
        TakeBirthdays(std::move(*bytes), false);
    else
        birthdaysRead_ = ReadState{false, now};
    UpdateFilesState();
}

std::optional<TReminders::EventsDiff> TReminders::TakeEvents(std::string bytes, bool merge)
{
    const bool damaged = LooksDamaged(bytes);
    EventList fresh;
    if (!LoadEventsText(std::move(bytes), fresh) || damaged)
        eventsFile_.BackUpBeforeNextWrite();
    std::vector<std::pair<std::string, std::vector<std::string>>> writes;
    for (int i = 0; i < fresh.Count(); ++i) {
        TEvent& e = fresh[i];
        InitRunTime(e);
        const TEvent* old = merge ? events_.Find(e.Name) : nullptr;
        if (old == nullptr)
            continue;
        // Another program's copy may predate a run recorded here (Notepad
        // saving a file opened before the firing): the run stands, or the
        // event would be owed again.
        if (clock_.InstantOf(old->LastDateTime, old->LastLater) >
            clock_.InstantOf(e.LastDateTime, e.LastLater) + static_cast<double>(Epsilon)) {
            e.LastDateTime = old->LastDateTime;
            e.LastLater = old->LastLater;
            std::vector<std::string> keys{"LastDateTime"};
            if (old->PeriodInd == e.PeriodInd && old->StartDateTime > e.StartDateTime) {
                e.StartDateTime = old->StartDateTime;
                e.StartLater = old->StartLater;
                e.StartFloor = old->StartFloor;
                keys.push_back("StartDateTime");
            }
            if (e.SnoozeDateTime != 0 && !SnoozePending(e, clock_)) {
                e.SnoozeDateTime = 0;
                keys.push_back("SnoozeDateTime");
            }
            writes.push_back({e.Name, std::move(keys)});
        }
        if (Near(old->StartDateTime, e.StartDateTime)) {
            e.StartSettled = old->StartSettled;
            e.StartFloor = old->StartFloor;
            e.StartLater = old->StartLater;
        }
        e.MissedRun = old->MissedRun && e.SnoozeDateTime != 0;
    }
    // What the view must follow: a change of a few records (the usual edit
    // from outside) is shown row by row, more by filling the list anew.
    std::optional<EventsDiff> changes;
    if (merge) {
        EventsDiff diff;
        for (int i = 0; i < events_.Count(); ++i)
            if (!fresh.Find(events_[i].Name))
                diff.Removed.push_back(events_[i].Name);
        for (int i = 0; i < fresh.Count(); ++i) {
            const TEvent* old = events_.Find(fresh[i].Name);
            if (!old)
                diff.Added.push_back(fresh[i].Name);
            else if (!old->SameStored(fresh[i]))
                diff.Changed.push_back(fresh[i].Name);
        }
        if (diff.Removed.size() + diff.Added.size() + diff.Changed.size() <= kRowByRowLimit)
            changes = std::move(diff);
    }
    events_ = std::move(fresh);
    eventsRead_ = ReadState{true, 0};
    if (!writes.empty())
        eventsFile_.Edit([&](IniText& text) {
            for (const auto& [name, keys] : writes)
                for (const std::string& key : keys)
                    text.Write(name, key, events_.Find(name)->KeyText(key));
        });
    return changes;
}

void TReminders::TakeBirthdays(std::string bytes, bool merge)
{
    const bool damaged = LooksDamaged(bytes);
    BirthdayList fresh;
    if (!LoadBirthdays(IniText::Parse(bytes), fresh) || damaged)
        birthdaysFile_.BackUpBeforeNextWrite();
    std::vector<std::string> kept;
    for (int i = 0; merge && i < fresh.Count(); ++i) {
        TBirthday& b = fresh[i];
        const TBirthday* old = birthdays_.Find(b.Name);
        // A reminder recorded here and not yet in the other copy stands.
        if (old && BirthDayOf(old->LastStart) > BirthDayOf(b.LastStart)) {
            b.LastStart = old->LastStart;
            kept.push_back(b.Name);
        }
    }
    birthdays_.Clear();
    for (int i = 0; i < fresh.Count(); ++i)
        birthdays_.Add(std::make_unique<TBirthday>(fresh[i]));
    birthdaysRead_ = ReadState{true, 0};
    if (!kept.empty())
        birthdaysFile_.Edit([&](IniText& text) {
            for (const std::string& name : kept)
                text.Write(name, "LastStart", birthdays_.Find(name)->KeyText("LastStart"));
        });
}

void TReminders::InitRunTime(TEvent& e) const
{
    // A start the autumn night shows twice is its second showing when the
    // first would come less than a step after the last run: an hourly event
    // stored just before the repeated hour.
    if (e.PeriodInd == pkHourly && e.DifDateTime > 0) {
        const double first = clock_.InstantOf(e.StartDateTime, false);
        const double second = clock_.InstantOf(e.StartDateTime, true);
        const double last = clock_.InstantOf(e.LastDateTime);
        e.StartLater = second > first && first - last < e.DifDateTime - kLate && second - last >= first - last;
    }
    // What ran before this start is not known slot by slot: a clock set back
    // returns a start no further than where it stands now.
    e.StartFloor = DueInstant(e, false);
}

bool TReminders::FilesChanged()
{
    bool changed = false;
    bool birthdaysChanged = false;
    std::optional<EventsDiff> eventsDiff;
    if (auto bytes = eventsFile_.ChangedOnDisk()) {
        const bool first = !eventsRead_.Read;
        eventsDiff = TakeEvents(std::move(*bytes), !first);
        if (first && started_)
            MissedEventsPass(clock_.Now());
        changed = true;
    }
    if (auto bytes = birthdaysFile_.ChangedOnDisk()) {
        const bool first = !birthdaysRead_.Read;
        TakeBirthdays(std::move(*bytes), !first);
        if (first && started_)
            ReportMissedBirthdays();
        // Today's reminders of what was read come at the next tick (each
        // person's record keeps one from coming twice).
        if (started_)
            lastBirthdayScan_ = std::min(lastBirthdayScan_, clock_.Today() - 1);
        changed = true;
        birthdaysChanged = true;
    }
    const bool again = (eventsRead_.Read && eventsFile_.LastReadFailed()) ||
                       (birthdaysRead_.Read && birthdaysFile_.LastReadFailed());
    if (!changed)
        return again;
    RecomputeNextDue();
    if (view_) {
        if (eventsDiff && !birthdaysChanged) {
            for (const std::string& name : eventsDiff->Removed)
                view_->EventRemoved(name);
            for (const std::string& name : eventsDiff->Changed)
                view_->EventChanged(name, *events_.Find(name));
            for (const std::string& name : eventsDiff->Added)
                view_->EventAdded(*events_.Find(name));
        } else {
            view_->ListsReloaded();
        }
        view_->RemindersChanged();
    }
    UpdateFilesState();
    return again;
}

void TReminders::UpdateFilesState()
{
    const double now = clock_.NowInstant();
    auto join = [](const std::vector<std::string>& names) {
        std::string all;
        for (const std::string& name : names)
            all += (all.empty() ? "" : " and ") + name;
        return all;
    };
    std::vector<std::string> waiting, pending, tellNow;
    for (const auto& [file, read] : {std::pair{&eventsFile_, &eventsRead_}, std::pair{&birthdaysFile_, &birthdaysRead_}}) {
        if (!read->Read) {
            waiting.push_back(FileNameOf(file->Path()));
            if (now - read->Since >= kWaitForRead && !read->Told) {
                read->Told = true;
                tellNow.push_back(FullPathName(file->Path()));
            }
        } else if (file->Pending()) {
            pending.push_back(FileNameOf(file->Path()));
        }
    }
    // A write that fails for a moment (a scanner's look) is tried again
    // quietly; the user hears of it once it has failed for a while.
    if (pending.empty() || now < pendingSince_)
        pendingSince_ = pending.empty() ? 0 : now;
    if (!pending.empty() && pendingSince_ == 0)
        pendingSince_ = now;
    if (now - pendingSince_ < kTellPendingAfter && filesState_.empty())
        pending.clear();
    if (!tellNow.empty()) {
        const bool two = tellNow.size() > 1;
        const std::string message = "Unable to read " + join(tellNow) + ": another program may hold " +
                                    (two ? "them" : "it") + " open, or you may not read " + (two ? "them" : "it") +
                                    ". Vellomir shows nothing of " + (two ? "them" : "it") +
                                    " and changes nothing in " + (two ? "them" : "it") + " until it can read " +
                                    (two ? "them" : "it") + ".";
        WriteLog(message);
        if (view_)
            view_->ShowError(message);
    }
    std::string text;
    if (!waiting.empty())
        text = "Waiting for " + join(waiting) + "...";
    else if (!pending.empty())
        text = join(pending) + " cannot be written now; the changes are kept and saved as soon as " +
               (pending.size() > 1 ? "they can be." : "it can be.");
    if (text == filesState_)
        return;
    WriteLog(text.empty() ? std::string("Every change is saved again") : text);
    filesState_ = text;
    if (view_)
        view_->FilesState(text);
}

std::string TReminders::Shutdown()
{
    std::string lost;
    for (IniFile* file : {&eventsFile_, &birthdaysFile_})
        if (!file->Flush())
            lost += (lost.empty() ? "" : "\r\n") + FullPathName(file->Path());
    if (lost.empty())
        return lost;
    const std::string message = "Vellomir could not save its last changes to:\r\n" + lost;
    WriteLog(message);
    return message;
}

void TReminders::StartUp()
{
    started_ = true;
    if (birthdaysRead_.Read)
        ReportMissedBirthdays();
    if (eventsRead_.Read)
        MissedEventsPass(clock_.Now());
    lastTickInstant_ = clock_.NowInstant();
    // Yesterday, so that the first tick looks at today's birthdays.
    lastBirthdayScan_ = clock_.Today() - 1;
    RecomputeNextDue();
}

void TReminders::Tick()
{
    // A tick from the message loop of a countdown this object is showing:
    // the scan that opened it is not over.
    if (firingDepth_ > 0)
        return;
    // Also a message box shown by the scan (a write that failed) runs a
    // message loop that may bring a tick.
    Depth busy(firingDepth_);
    const double now = clock_.NowInstant();
    if (now < lastTickInstant_ - kSetBack) {
        ClockSetBack(clock_.LocalOf(now));
        RecomputeNextDue();
    }
    lastTickInstant_ = now;
    // The day of the tick: a firing may run past midnight, and the day it
    // began is the one whose birthdays are due.
    const TDateTime today = DateOf(clock_.LocalOf(now));
    if (now >= nextDueInstant_)
        ScanEvents(now);
    // Birthday notes wait out a presentation like the events' do.
    if (today != lastBirthdayScan_ && !desktop_.UserBusy())
        ScanBirthdays(today);
    // A file that could not be read or written is tried again, with growing
    // pauses (each try may wait a moment for the other program).
    if (!eventsRead_.Read || !birthdaysRead_.Read || eventsFile_.Pending() || birthdaysFile_.Pending()) {
        const double instant = clock_.NowInstant();
        if (retryPause_ == 0 || instant < nextFileRetry_ - retryPause_) {
            // Trouble just began (or the clock went back): the first try soon.
            retryPause_ = kFirstFileRetry;
            nextFileRetry_ = instant + retryPause_;
        } else if (instant >= nextFileRetry_) {
            if (!eventsRead_.Read || !birthdaysRead_.Read)
                FilesChanged();
            eventsFile_.Flush();
            birthdaysFile_.Flush();
            retryPause_ = std::min(retryPause_ * 2, kLastFileRetry);
            nextFileRetry_ = instant + retryPause_;
        }
        UpdateFilesState();
    } else if (retryPause_ != 0) {
        retryPause_ = 0;
        UpdateFilesState();
    }
}

void TReminders::ClockChanged()
{
    const double now = clock_.NowInstant();
    if (now < lastTickInstant_ - kSetBack) {
        ClockSetBack(clock_.LocalOf(now));
        lastTickInstant_ = now;
    }
    RecomputeNextDue();
}

void TReminders::Resumed()
{
    ClockChanged();
    ReportMissedBirthdays();
}

// --- what is owed ----------------------------------------------------------

double TReminders::DueInstant(const TEvent& e, bool snooze) const
{
    return snooze ? clock_.InstantOf(e.SnoozeDateTime, e.SnoozeLater)
                  : clock_.InstantOf(e.StartDateTime, e.StartLater);
}

bool TReminders::RanForStart(const TEvent& e) const
{
    return clock_.InstantOf(e.LastDateTime, e.LastLater) >= DueInstant(e, false) - static_cast<double>(Epsilon);
}

bool TReminders::StartOwed(const TEvent& e) const
{
    if (e.StartSettled || !StartCanRun(e))
        return false;
    // A periodic start moves past every run made for it, so one still
    // standing is owed, even when another run (its snooze) came after it.
    if (IsPeriodic(e) && HasSlots(e))
        return true;
    return !RanForStart(e);
}

namespace {

}  // namespace

void TReminders::RecomputeNextDue()
{
    double best = kNothingDue;
    for (int i = 0; i < events_.Count(); ++i) {
        const TEvent& e = events_[i];
        if (!e.Enabled)
            continue;
        if (StartOwed(e))
            best = std::min(best, DueInstant(e, false));
        if (SnoozePending(e, clock_))
            best = std::min(best, DueInstant(e, true));
    }
    nextDueInstant_ = best;
    if (events_.Empty())
        nextDue_ = 0;
    else
        nextDue_ = best == kNothingDue ? NoDueTime : clock_.LocalOf(best);
}

// --- the event scan --------------------------------------------------------

void TReminders::ScanEvents(double nowInstant)
{
    const TDateTime now = clock_.LocalOf(nowInstant);
    std::vector<Run> runs;
    std::optional<bool> userBusy;  // asked once, and only when something is due
    for (int i = 0; i < events_.Count(); ++i) {
        const TEvent& e = events_[i];
        if (!e.Enabled)
            continue;
        const bool start = StartOwed(e) && DueInstant(e, false) <= nowInstant;
        Run run;
        run.Name = e.Name;
        run.Index = i;
        run.Regular = start && StartIsSlot(e);
        run.MoveStart = start && !run.Regular;
        run.Start = e.StartDateTime;
        run.Snooze = SnoozePending(e, clock_) && DueInstant(e, true) <= nowInstant;
        run.SnoozeAt = e.SnoozeDateTime;
        if (!run.Regular && !run.MoveStart && !run.Snooze)
            continue;
        // Held while the user presents: the run stays owed (on disk too), so
        // it comes when that ends, or at the next start.
        if ((run.Regular || run.Snooze) && !e.ShowWhenBusy) {
            if (!userBusy)
                userBusy = desktop_.UserBusy();
            if (*userBusy)
                continue;
        }
        // A run for both is for the earlier moment.
        const bool bySnooze = run.Snooze && (!run.Regular || DueInstant(e, true) < DueInstant(e, false));
        run.Moment = bySnooze ? e.SnoozeDateTime : e.StartDateTime;
        run.Instant = DueInstant(e, bySnooze);
        run.Late = (run.Regular || run.Snooze) && (now - run.Moment > kLate || (!run.Regular && e.MissedRun));
        runs.push_back(std::move(run));
    }
    // Oldest first; at one moment the event later in the file first.
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return a.Instant != b.Instant ? a.Instant < b.Instant : a.Index > b.Index;
    });
    FireRuns(runs);
    RecomputeNextDue();
}

void TReminders::FireRuns(std::vector<Run>& runs)
{
    const auto late = std::count_if(runs.begin(), runs.end(), [](const Run& r) { return r.Late; });
    if (late > kSummaryThreshold) {
        std::vector<Run> summarized;
        std::vector<Run> onTime;
        for (Run& run : runs)
            (run.Late ? summarized : onTime).push_back(std::move(run));
        Summarize(summarized);
        runs = std::move(onTime);
    }
    for (const Run& run : runs)
        FireOne(run);
}

TReminders::Still TReminders::StillDue(const TEvent& e, const Run& run) const
{
    // Decided again when its turn comes: an edit made during an earlier
    // firing of the scan wins, and a moment that came meanwhile (during a
    // countdown) is settled by the same run.
    static_cast<void>(run);
    Still still;
    if (!e.Enabled)
        return still;
    const double now = clock_.NowInstant();
    const bool start = StartOwed(e) && DueInstant(e, false) <= now;
    still.Regular = start && StartIsSlot(e);
    still.MoveStart = start && !still.Regular;
    still.Snooze = SnoozePending(e, clock_) && DueInstant(e, true) <= now;
    return still;
}

void TReminders::MoveOn(TEvent& e, double past, std::vector<std::string>* keys)
{
    if (IsPeriodic(e) && MoveStartAhead(e, clock_, past)) {
        e.StartSettled = false;
        keys->push_back("StartDateTime");
    }
}

// The record of a run: LastDateTime now, the snooze it was for settled, and
// a periodic start moved past the slot that ran (and past now). A once event
// that deletes itself is the caller's.
void TReminders::Settle(TEvent& e, const Still& run, TDateTime now, std::vector<std::string>* keys)
{
    const double instant = clock_.InstantOf(now);
    e.LastDateTime = now;
    e.LastLater = clock_.IsSecondShowing(now, instant);
    keys->push_back("LastDateTime");
    if (run.Snooze) {
        e.SnoozeDateTime = 0;
        e.SnoozeLater = false;
        e.MissedRun = false;
        keys->push_back("SnoozeDateTime");
    }
    if ((run.Regular || run.MoveStart) && IsPeriodic(e)) {
        // The slot that ran may lie a moment ahead of the clock.
        const double slot = DueInstant(e, false);
        const double floor = run.Regular ? (e.PeriodInd == pkHourly ? slot + e.DifDateTime
                                                                    : clock_.InstantOf(NextSlot(e, e.StartDateTime)))
                                         : 0;
        MoveOn(e, std::max(clock_.NowInstant(), slot), keys);
        if (run.Regular)
            e.StartFloor = floor;
    }
}

void TReminders::FireOne(const Run& due)
{
    const int index = events_.IndexOf(due.Name);
    if (index < 0)
        return;
    TEvent& e = events_[index];
    const Still run = StillDue(e, due);
    if (!run.Regular && !run.Snooze) {
        // A start on a day the mask excludes is no slot: on to the next one.
        std::vector<std::string> keys;
        if (run.MoveStart)
            MoveOn(e, clock_.NowInstant(), &keys);
        Record(e, keys);
        return;
    }
    const TDateTime now = clock_.Now();
    const AppSettings& s = Settings();
    const FiringContext ctx{desktop_, clock_, eventsFile_, s.DateFormat, s.TimeFormat, {}};
    // The run is for the earlier of its moments; late is measured from it.
    const bool bySnooze = run.Snooze && (!run.Regular || DueInstant(e, true) < DueInstant(e, false));
    const bool late = now - (bySnooze ? e.SnoozeDateTime : e.StartDateTime) > kLate;
    // The flag of a "Run again" run stays with its snooze until that runs.
    const bool rerunOwed = e.MissedRun;
    e.SnoozeRun = !run.Regular;
    e.MissedRun = due.Late || late || (!run.Regular && rerunOwed);
    // Too late to be of use (the user's limit): counts as run, shows nothing.
    const double lateMinutes = (clock_.NowInstant() - DueInstant(e, bySnooze)) * 1440;
    const bool skip = e.MaxLateMinutes > 0 && lateMinutes > e.MaxLateMinutes;
    if (skip) {
        WriteLog("Skipped the note of \"" + e.Name + "\": " + std::to_string(static_cast<long long>(lateMinutes)) +
                 " minutes late, more than the " + std::to_string(e.MaxLateMinutes) + " it allows");
    } else {
        if (e.EnabledNote)
            ShowEventNote(e, false, ctx);
        if (e.EnabledSound)
            desktop_.PlaySoundFile(e.SoundFile);
    }
    e.SnoozeRun = false;
    e.MissedRun = rerunOwed;
    const EventAction action = skip ? EventAction{} : ActionOf(e);

    // Recorded before the action: a shutdown must not leave the run owed.
    const std::string name = e.Name;
    if (e.PeriodInd == pkOnce && e.DeleteAfterRun) {
        try {
            e.EraseFromFile(eventsFile_);
            events_.Delete(index);
            if (view_)
                view_->EventRemoved(name);
        } catch (const IniWriteError& error) {
            std::vector<std::string> keys;
            Settle(e, run, now, &keys);
            Report(error);
        }
    } else {
        std::vector<std::string> keys;
        Settle(e, run, now, &keys);
        Record(e, keys);
        if (view_)
            view_->EventChanged(name, e);
    }
    {
        Depth firing(firingDepth_);
        RunEventAction(action, false, ctx);
    }
    if (view_)
        view_->RemindersChanged();
}

void TReminders::Summarize(std::vector<Run>& runs)
{
    const TDateTime now = clock_.Now();
    const AppSettings& s = Settings();
    const FiringContext ctx{desktop_, clock_, eventsFile_, s.DateFormat, s.TimeFormat, {}};
    std::vector<MissedReminder> missed;
    std::vector<std::pair<std::string, std::vector<std::string>>> writes;
    std::vector<std::string> erased;
    for (const Run& due : runs) {
        const int index = events_.IndexOf(due.Name);
        if (index < 0)
            continue;
        TEvent& e = events_[index];
        const Still run = StillDue(e, due);
        if (!run.Regular && !run.Snooze)
            continue;
        const bool rerunOwed = e.MissedRun;
        e.SnoozeRun = !run.Regular;
        e.MissedRun = true;
        MissedReminder entry;
        entry.Name = e.Name;
        entry.IconIndex = e.IconIndex;
        entry.Due = due.Moment;
        entry.FirstLine = e.Notes.substr(0, e.Notes.find_first_of("\r\n"));
        entry.Note = BuildEventNote(e, false, ctx);
        missed.push_back(std::move(entry));
        e.SnoozeRun = false;
        e.MissedRun = rerunOwed;
        if (e.PeriodInd == pkOnce && e.DeleteAfterRun) {
            erased.push_back(e.Name);
            continue;
        }
        std::vector<std::string> keys;
        Settle(e, run, now, &keys);
        writes.push_back({e.Name, std::move(keys)});
    }
    // One write for all of them: after a week off there may be thousands.
    try {
        eventsFile_.Edit([&](IniText& text) {
            for (const auto& [name, keys] : writes) {
                const TEvent& e = *events_.Find(name);
                for (const std::string& key : keys)
                    text.Write(name, key, e.KeyText(key));
            }
            for (const std::string& name : erased)
                text.EraseSection(name);
        });
        for (const std::string& name : erased) {
            events_.Delete(events_.IndexOf(name));
            if (view_)
                view_->EventRemoved(name);
        }
    } catch (const IniWriteError& error) {
        Report(error);
    }
    if (view_)
        for (const auto& [name, keys] : writes)
            view_->EventChanged(name, *events_.Find(name));
    if (!missed.empty())
        desktop_.ShowMissedSummary(missed);
    if (view_)
        view_->RemindersChanged();
}

// --- clock changes and the start-up ----------------------------------------

void TReminders::ClockSetBack(TDateTime now)
{
    const double instant = clock_.InstantOf(now);
    std::vector<std::pair<std::string, std::vector<std::string>>> writes;
    for (int i = 0; i < events_.Count(); ++i) {
        TEvent& e = events_[i];
        if (!IsPeriodic(e) || !HasSlots(e))
            continue;  // a once event that ran at the wrong time has run
        std::vector<std::string> keys;
        if (e.Enabled) {
            const TDateTime before = e.StartDateTime;
            // Back to the first slot after the corrected time that has not
            // run (and not before the start the user gave it); hourly slots
            // step back in real hours.
            for (;;) {
                double back = 0;
                TDateTime local = 0;
                if (e.PeriodInd == pkHourly) {
                    back = DueInstant(e, false) - e.DifDateTime;
                    local = clock_.LocalOf(back);
                } else {
                    local = PreviousSlot(e, e.StartDateTime);
                    back = clock_.InstantOf(local);
                }
                if (local == e.StartDateTime || !(back > instant) || back < e.StartFloor)
                    break;
                e.StartDateTime = local;
                e.StartLater = clock_.IsSecondShowing(local, back);
            }
            if (e.StartDateTime != before) {
                e.StartSettled = false;
                keys.push_back("StartDateTime");
            }
        }
        // A run recorded ahead of now was recorded by the wrong clock.
        if (clock_.InstantOf(e.LastDateTime, e.LastLater) > instant) {
            e.LastDateTime = now;
            e.LastLater = clock_.IsSecondShowing(now, instant);
            keys.push_back("LastDateTime");
        }
        if (!keys.empty())
            writes.push_back({e.Name, std::move(keys)});
    }
    if (writes.empty())
        return;
    try {
        eventsFile_.Edit([&](IniText& text) {
            for (const auto& [name, keys] : writes)
                for (const std::string& key : keys)
                    text.Write(name, key, events_.Find(name)->KeyText(key));
        });
    } catch (const IniWriteError& error) {
        Report(error);
    }
    if (view_)
        for (const auto& [name, keys] : writes)
            view_->EventChanged(name, *events_.Find(name));
}

void TReminders::MissedEventsPass(TDateTime now)
{
    const double instant = clock_.InstantOf(now);
    std::vector<std::pair<std::string, std::vector<std::string>>> writes;
    std::vector<std::string> erased;
    for (int i = events_.Count() - 1; i >= 0; --i) {
        TEvent& e = events_[i];
        std::vector<std::string> keys;
        // A periodic event's run recorded ahead of now was recorded by a
        // clock since set back; a once event that ran has run.
        if (IsPeriodic(e) && clock_.InstantOf(e.LastDateTime) > instant) {
            e.LastDateTime = now;
            keys.push_back("LastDateTime");
        }
        // What passed, or not, is the start's first slot.
        if (StartOnSlot(e))
            keys.push_back("StartDateTime");
        const bool pending = SnoozePending(e, clock_);
        if (e.StartDateTime < now && !RanForStart(e)) {
            // Whatever the choice, no regular run is owed for a start that
            // passed while the program was not running.
            e.StartSettled = true;
            switch (e.ExpiredInd) {
            case ekDelete:
                // A snooze still pending keeps the event until it has run.
                if (!pending) {
                    erased.push_back(e.Name);
                    continue;
                }
                break;
            case ekRunAgain:
                if (e.Enabled && !pending) {
                    // Kept as the snooze moment: a restart before it still owes it.
                    const double at = instant + e.Dif2DateTime;
                    e.SnoozeDateTime = clock_.LocalOf(at);
                    e.SnoozeLater = clock_.IsSecondShowing(e.SnoozeDateTime, at);
                    e.MissedRun = true;
                    keys.push_back("SnoozeDateTime");
                }
                break;
            default:
                break;
            }
        }
        // Left where they were, periodic starts would never run again.
        MoveOn(e, instant, &keys);
        if (!keys.empty())
            writes.push_back({e.Name, std::move(keys)});
    }
    if (writes.empty() && erased.empty())
        return;
    // One write for the whole pass: after a week off there may be thousands.
    try {
        eventsFile_.Edit([&](IniText& text) {
            for (const auto& [name, keys] : writes)
                for (const std::string& key : keys)
                    text.Write(name, key, events_.Find(name)->KeyText(key));
            for (const std::string& name : erased)
                text.EraseSection(name);
        });
        for (const std::string& name : erased) {
            events_.Delete(events_.IndexOf(name));
            if (view_)
                view_->EventRemoved(name);
        }
    } catch (const IniWriteError& error) {
        // The file keeps them; so does the list, to match it.
        Report(error);
    }
    if (view_)
        for (const auto& [name, keys] : writes)
            view_->EventChanged(name, *events_.Find(name));
}

// --- birthdays -------------------------------------------------------------

void TReminders::ReportMissedBirthdays()
{
    try {
        ::ReportMissedBirthdays(birthdays_, birthdaysFile_, clock_.Today(), Settings().ShowMisBirthWindow,
                                [this](const std::string& text) {
                                    if (view_)
                                        view_->ShowMissedBirthdays(text, MissedBirthdaysCaption(kAppTitle));
                                });
    } catch (const IniWriteError& error) {
        Report(error);
    }
}

void TReminders::ScanBirthdays(TDateTime today)
{
    // The days since the last scan: after a sleep, an early reminder that
    // fell on one of them is owed once, while its birthday is still ahead
    // (one whose day passed is the missed-birthdays report's).
    const TDateTime first = std::max(lastBirthdayScan_ + 1, today - kEarliestReminderDays);
    lastBirthdayScan_ = today;
    const AppSettings& s = Settings();
    BirthdayFiringContext ctx{desktop_, clock_, birthdaysFile_, s.DateFormat, today};
    // The count is read on every round: a firing cannot be trusted to leave
    // the list as it was.
    for (int i = 0; i < birthdays_.Count(); ++i) {
        TBirthday& b = birthdays_[i];
        if (!b.Enabled)
            continue;
        const TDateTime reminded = BirthDayOf(b.LastStart);
        for (TDateTime day = today; day >= first; day -= 1) {
            if (reminded >= day)
                break;  // reminded that day or later already
            if (!IsDueOn(b, day) || DaysLeft(b, day) + day < today)
                continue;
            try {
                ExecuteBirthday(b, false, ctx);
            } catch (const IniWriteError& error) {
                Report(error);
            }
            break;
        }
    }
    if (view_)
        view_->RemindersChanged();
}

void TReminders::RemindIfDueToday(const std::string& name, bool onlyEnabled)
{
    const int index = birthdays_.IndexOf(name);
    const TDateTime today = clock_.Today();
    if (index < 0)
        return;
    TBirthday& b = birthdays_[index];
    if ((onlyEnabled && !b.Enabled) || !IsDueOn(b, today) || BirthDayOf(b.LastStart) >= today)
        return;
    const AppSettings& s = Settings();
    BirthdayFiringContext ctx{desktop_, clock_, birthdaysFile_, s.DateFormat};
    ExecuteBirthday(b, false, ctx);
}

// --- the commands ----------------------------------------------------------

namespace {

void CheckNewName(const std::string& name, bool taken)
{
    if (!IsStorableName(name))
        throw std::invalid_argument("Name cannot be stored: " + name);
    if (taken)
        throw std::invalid_argument("Name already exists: " + name);
}

}  // namespace

int TReminders::AddEvent(std::unique_ptr<TEvent> event)
{
    CheckReadable(eventsFile_, eventsRead_);
    const StateOnReturn told{*this};
    CheckNewName(event->Name, events_.IndexOf(event->Name) >= 0);
    // A new event owes its start and nothing else.
    event->SnoozeDateTime = 0;
    event->SnoozeLater = false;
    event->LastDateTime = 0;
    event->LastLater = false;
    event->MissedRun = false;
    event->StartSettled = false;
    StartOnSlot(*event);
    event->StartFloor = DueInstant(*event, false);
    event->SaveToFile(eventsFile_);
    const int index = events_.Add(std::move(event));
    if (view_)
        view_->EventAdded(events_[index]);
    RecomputeNextDue();
    if (view_)
        view_->RemindersChanged();
    return index;
}

void TReminders::ReplaceEvent(const std::string& oldName, const TEvent& edited)
{
    CheckReadable(eventsFile_, eventsRead_);
    const StateOnReturn told{*this};
    const int index = events_.IndexOf(oldName);
    if (index < 0) {
        // It deleted itself after its run while the editor was open: the
        // user's changes are kept as the event they now describe.
        AddEvent(std::make_unique<TEvent>(edited));
        return;
    }
    TEvent& current = events_[index];
    if (!SameName(edited.Name, oldName))
        CheckNewName(edited.Name, events_.IndexOf(edited.Name) >= 0);
    TEvent changed = edited;
    StartOnSlot(changed);
    changed.SnoozeDateTime = 0;
    changed.SnoozeLater = false;
    changed.MissedRun = false;
    changed.StartSettled = changed.StartDateTime == current.StartDateTime && current.StartSettled;
    changed.StartFloor = changed.StartDateTime == current.StartDateTime ? current.StartFloor
                                                                         : DueInstant(changed, false);
    changed.LastDateTime = current.LastDateTime;
    changed.LastLater = current.LastLater;
    // A run made after the new start (the clock was set back) is no run for it.
    if (changed.StartDateTime != current.StartDateTime && RanForStart(changed)) {
        changed.LastDateTime = 0;
        changed.LastLater = false;
    }
    changed.ReplaceInFile(eventsFile_, current.Name);
    changed.Name = current.Name;
    current = std::move(changed);
    events_.Rename(index, edited.Name);
    if (view_)
        view_->EventChanged(oldName, events_[index]);
    RecomputeNextDue();
    if (view_)
        view_->RemindersChanged();
}

bool TReminders::DeleteEvent(const std::string& name)
{
    CheckReadable(eventsFile_, eventsRead_);
    const StateOnReturn told{*this};
    const int index = events_.IndexOf(name);
    if (index < 0)
        return false;
    const std::string stored = events_[index].Name;
    events_[index].EraseFromFile(eventsFile_);
    events_.Delete(index);
    if (view_)
        view_->EventRemoved(stored);
    RecomputeNextDue();
    if (view_)
        view_->RemindersChanged();
    return true;
}

bool TReminders::SetEventEnabled(const std::string& name, bool enabled)
{
    CheckReadable(eventsFile_, eventsRead_);
    const StateOnReturn told{*this};
    TEvent* e = events_.Find(name);
    if (e == nullptr)
        return false;
    const bool switchedOn = enabled && !e->Enabled;
    e->Enabled = enabled;
    std::vector<std::string> keys{"Enabled"};
    if (switchedOn) {
        // Only what lies ahead is owed: what passed while it was off is
        // settled without a run.
        const TDateTime now = clock_.Now();
        const double instant = clock_.NowInstant();
        if (IsPeriodic(*e)) {
            MoveOn(*e, instant, &keys);
        } else if (!RanForStart(*e) && DueInstant(*e, false) <= instant) {
            e->LastDateTime = now;
            e->LastLater = clock_.IsSecondShowing(now, instant);
            keys.push_back("LastDateTime");
        }
        if (SnoozePending(*e, clock_) && DueInstant(*e, true) <= instant) {
            e->SnoozeDateTime = 0;
            e->SnoozeLater = false;
            keys.push_back("SnoozeDateTime");
        }
    }
    try {
        WriteKeys(*e, keys);
    } catch (const IniWriteError&) {
        RecomputeNextDue();
        throw;
    }
    if (view_)
        view_->EventChanged(e->Name, *e);
    RecomputeNextDue();
    if (view_)
        view_->RemindersChanged();
    return true;
}

void TReminders::TestEvent(const std::string& name)
{
    TEvent* e = events_.Find(name);
    if (e == nullptr)
        return;
    const AppSettings& s = Settings();
    const FiringContext ctx{desktop_, clock_, eventsFile_, s.DateFormat, s.TimeFormat, {}};
    Depth firing(firingDepth_);
    ExecuteEvent(*e, true, ctx);
}

bool TReminders::Snooze(const std::string& name, TDateTime when)
{
    return SnoozeAll({name}, when) > 0;
}

int TReminders::SnoozeAll(const std::vector<std::string>& names, TDateTime when)
{
    CheckReadable(eventsFile_, eventsRead_);
    const StateOnReturn told{*this};
    std::vector<TEvent*> found;
    for (const std::string& name : names)
        if (TEvent* e = events_.Find(name))
            found.push_back(e);
    if (found.empty())
        return 0;
    // A time the clocks show twice is meant as its coming showing.
    const double now = clock_.NowInstant();
    double instant = clock_.InstantOf(when, false);
    if (instant < now && clock_.InstantOf(when, true) >= now)
        instant = clock_.InstantOf(when, true);
    for (TEvent* e : found) {
        e->SnoozeDateTime = when;
        e->SnoozeLater = clock_.IsSecondShowing(when, instant);
        // The user's own snooze, no longer a run owed from a missed start.
        e->MissedRun = false;
        // A run recorded by a wrong clock must not count as this snooze's.
        if (clock_.InstantOf(e->LastDateTime, e->LastLater) >= instant) {
            e->LastDateTime = clock_.LocalOf(now);
            e->LastLater = false;
        }
    }
    std::exception_ptr failure;
    try {
        eventsFile_.Edit([&](IniText& text) {
            for (const TEvent* e : found) {
                text.Write(e->Name, "SnoozeDateTime", e->KeyText("SnoozeDateTime"));
                text.Write(e->Name, "LastDateTime", e->KeyText("LastDateTime"));
            }
        });
    } catch (const IniWriteError&) {
        failure = std::current_exception();
    }
    // The snooze holds for this run even when the file could not take it.
    RecomputeNextDue();
    if (failure)
        std::rethrow_exception(failure);
    return static_cast<int>(found.size());
}

int TReminders::AddBirthday(std::unique_ptr<TBirthday> birthday)
{
    CheckReadable(birthdaysFile_, birthdaysRead_);
    const StateOnReturn told{*this};
    CheckNewName(birthday->Name, birthdays_.IndexOf(birthday->Name) >= 0);
    birthday->SaveToFile(birthdaysFile_);
    const int index = birthdays_.Add(std::move(birthday));
    if (view_) {
        view_->BirthdayAdded(birthdays_[index]);
        view_->RemindersChanged();
    }
    return index;
}

void TReminders::ReplaceBirthday(const std::string& oldName, const TBirthday& edited)
{
    CheckReadable(birthdaysFile_, birthdaysRead_);
    const StateOnReturn told{*this};
    const int index = birthdays_.IndexOf(oldName);
    if (index < 0)
        return;
    TBirthday& current = birthdays_[index];
    if (!SameName(edited.Name, oldName))
        CheckNewName(edited.Name, birthdays_.IndexOf(edited.Name) >= 0);
    TBirthday changed = edited;
    changed.ReplaceInFile(birthdaysFile_, current.Name);
    changed.Name = current.Name;
    current = std::move(changed);
    birthdays_.Rename(index, edited.Name);
    if (view_) {
        view_->BirthdayChanged(oldName, birthdays_[index]);
        view_->RemindersChanged();
    }
}

void TReminders::ImportRecords(std::vector<TEvent> events, std::vector<TBirthday> birthdays)
{
    const StateOnReturn told{*this};
    if (!events.empty()) {
        CheckReadable(eventsFile_, eventsRead_);
        for (TEvent& e : events) {
            CheckNewName(e.Name, false);
            // As a new event: it owes its start and nothing else.
            e.SnoozeDateTime = 0;
            e.SnoozeLater = false;
            e.LastDateTime = 0;
            e.LastLater = false;
            e.MissedRun = false;
            e.SnoozeRun = false;
            e.StartSettled = false;
            StartOnSlot(e);
            e.StartFloor = DueInstant(e, false);
        }
        eventsFile_.Edit([&](IniText& text) {
            for (const TEvent& e : events)
                e.StoreIn(text);
        });
        for (TEvent& e : events) {
            const int index = events_.IndexOf(e.Name);
            if (index < 0) {
                const int added = events_.Add(std::make_unique<TEvent>(std::move(e)));
                if (view_ && added >= 0)
                    view_->EventAdded(events_[added]);
                continue;
            }
            const std::string oldName = events_[index].Name;
            std::string name = e.Name;
            e.Name = oldName;
            events_[index] = std::move(e);
            events_.Rename(index, std::move(name));
            if (view_)
                view_->EventChanged(oldName, events_[index]);
        }
        RecomputeNextDue();
    }
    if (!birthdays.empty()) {
        CheckReadable(birthdaysFile_, birthdaysRead_);
        for (const TBirthday& b : birthdays)
            CheckNewName(b.Name, false);
        birthdaysFile_.Edit([&](IniText& text) {
            for (const TBirthday& b : birthdays)
                b.StoreIn(text);
        });
        std::vector<std::string> names;
        for (TBirthday& b : birthdays) {
            names.push_back(b.Name);
            const int index = birthdays_.IndexOf(b.Name);
            if (index < 0) {
                const int added = birthdays_.Add(std::make_unique<TBirthday>(std::move(b)));
                if (view_ && added >= 0)
                    view_->BirthdayAdded(birthdays_[added]);
                continue;
            }
            const std::string oldName = birthdays_.NameAt(index);
            std::string name = b.Name;
            b.Name = oldName;
            birthdays_[index] = std::move(b);
            birthdays_.Rename(index, std::move(name));
            if (view_)
                view_->BirthdayChanged(oldName, birthdays_[index]);
        }
        for (const std::string& name : names)
            RemindIfDueToday(name, true);
    }
    if (view_)
        view_->RemindersChanged();
}

bool TReminders::DeleteBirthday(const std::string& name)
{
    CheckReadable(birthdaysFile_, birthdaysRead_);
    const StateOnReturn told{*this};
    const int index = birthdays_.IndexOf(name);
    if (index < 0)
        return false;
    const std::string stored = birthdays_.NameAt(index);
    birthdays_[index].EraseFromFile(birthdaysFile_);
    birthdays_.Delete(index);
    if (view_) {
        view_->BirthdayRemoved(stored);
        view_->RemindersChanged();
    }
    return true;
}

bool TReminders::SetBirthdayEnabled(const std::string& name, bool enabled)
{
    CheckReadable(birthdaysFile_, birthdaysRead_);
    const StateOnReturn told{*this};
    const int index = birthdays_.IndexOf(name);
    if (index < 0)
        return false;
    TBirthday& b = birthdays_[index];
    b.Enabled = enabled;
    b.WriteKey(birthdaysFile_, "Enabled");
    if (view_) {
        view_->BirthdayChanged(b.Name, b);
        view_->RemindersChanged();
    }
    return true;
}

void TReminders::TestBirthday(const std::string& name)
{
    const int index = birthdays_.IndexOf(name);
    if (index < 0)
        return;
    const AppSettings& s = Settings();
    BirthdayFiringContext ctx{desktop_, clock_, birthdaysFile_, s.DateFormat};
    ExecuteBirthday(birthdays_[index], true, ctx);
}

void TReminders::FireEventAt(int index, bool snooze)
{
    if (index < 0 || index >= events_.Count() || firingDepth_ > 0)
        return;
    const TEvent& e = events_[index];
    Run run;
    run.Name = e.Name;
    run.Index = index;
    run.Regular = !snooze && StartOwed(e);
    run.Snooze = SnoozePending(e, clock_);
    if (!run.Regular && !run.Snooze)
        return;
    if (!e.ShowWhenBusy && desktop_.UserBusy())
        return;  // the scan brings it when the user is free
    run.Moment = run.Regular ? e.StartDateTime : e.SnoozeDateTime;
    run.Late = clock_.Now() - run.Moment > kLate;
    FireOne(run);
    RecomputeNextDue();
}

void TReminders::FireBirthdayAt(int index)
{
    if (index < 0 || index >= birthdays_.Count())
        return;
    const AppSettings& s = Settings();
    BirthdayFiringContext ctx{desktop_, clock_, birthdaysFile_, s.DateFormat};
    try {
        ExecuteBirthday(birthdays_[index], false, ctx);
    } catch (const IniWriteError& error) {
        Report(error);
    }
}

// --- writing ---------------------------------------------------------------

void TReminders::WriteKeys(const TEvent& e, const std::vector<std::string>& keys)
{
    if (keys.empty())
        return;
    eventsFile_.Edit([&](IniText& text) {
        for (const std::string& key : keys)
            text.Write(e.Name, key, e.KeyText(key));
    });
}

void TReminders::Record(const TEvent& e, const std::vector<std::string>& keys)
{
    try {
        WriteKeys(e, keys);
    } catch (const IniWriteError& error) {
        Report(error);
    }
}

void TReminders::Report(const IniWriteError& error)
{
    WriteLog(error.what());
    if (view_)
        view_->ShowError(error.what());
}
