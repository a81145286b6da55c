#include "tests/sim/Model.h"

#include "birthdays/BirthdayRules.h"

#include <algorithm>
#include <climits>

namespace sim {

namespace {

constexpr Ms kLong = LLONG_MIN / 4;  // "never ran"
constexpr Ms kLateMs = kMinute;      // TReminders::kLate
constexpr Ms kBorder = 2 * kSecond;  // a run this close to the line may go either way

Ms FloorDiv(Ms a, Ms b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int WeekdayOf(Ms day) { return static_cast<int>(((day % 7) + 7 + 6) % 7); }  // 0 = Sunday
int DayOf(Ms local) { return static_cast<int>(FloorDiv(local, kDay)); }
bool Periodic(int kind) { return kind >= pkHourly && kind <= pkAnnually; }

std::string Show(Ms local)
{
    const DateParts d = DecodeDate(Days(local));
    const Ms t = local - FloorDiv(local, kDay) * kDay;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day,
                  static_cast<int>(t / kHour), static_cast<int>(t / kMinute % 60),
                  static_cast<int>(t / kSecond % 60), static_cast<int>(t % 1000));
    return text;
}

}  // namespace

// --- slots ---------------------------------------------------------------

Ms Model::InstantOfSlot(const Event& e, Ms local) const
{
    static_cast<void>(e);
    return BerlinInstant(local, false);
}

// The first slot of the event's rule strictly after the instant, as a local
// time; the rule's grid runs both ways from the start, so a clock set back
// finds the slots before it too.
std::optional<Ms> Model::SlotAfter(const Event& e, Ms instant) const
{
    if (e.kind == pkHourly)  // real hours: the grid is one of instants
        return BerlinLocal(e.startI + (FloorDiv(instant - e.startI, e.step) + 1) * e.step);
    return LocalSlotAfter(e, BerlinLocal(instant));
}

// The wall-clock kinds: a slot is a local time (one the spring night skips
// is still a slot, at the instant the clocks jump to).
std::optional<Ms> Model::LocalSlotAfter(const Event& e, Ms local) const
{
    switch (e.kind) {
    case pkWeekly:
    case pkAnnually:
        return e.start + (FloorDiv(local - e.start, e.step) + 1) * e.step;
    case pkDaily: {
        const Ms timeOfDay = e.start - FloorDiv(e.start, kDay) * kDay;
        for (Ms day = FloorDiv(local, kDay); day <= FloorDiv(local, kDay) + 8; ++day) {
            const Ms slot = day * kDay + timeOfDay;
            if (slot > local && e.days[static_cast<size_t>(WeekdayOf(day))] == '1')
                return slot;
        }
        return std::nullopt;
    }
    case pkMonthly: {
        const Ms timeOfDay = e.start - FloorDiv(e.start, kDay) * kDay;
        const int dom = DecodeDate(Days(e.start)).day;
        const DateParts now = DecodeDate(Days(local));
        for (int k = 0; k <= 13; ++k) {
            const int month = (now.month - 1 + k) % 12 + 1, year = now.year + (now.month - 1 + k) / 12;
            const Ms slot = static_cast<Ms>(EncodeDate(year, month, dom)) * kDay + timeOfDay;
            if (slot > local && e.months[static_cast<size_t>(month - 1)] == '1')
                return slot;
        }
        return std::nullopt;
    }
    default:
        return e.start;
    }
}

void Model::MoveAhead(Event& e, Ms instant, bool back) const
{
    if (!Periodic(e.kind) || e.never || (!back && e.startI > instant))
        return;
    if (const auto slot = SlotAfter(e, instant)) {
        if (e.kind == pkHourly)
            e.startI = e.startI + (FloorDiv(instant - e.startI, e.step) + 1) * e.step;
        else
            e.startI = InstantOfSlot(e, *slot);
        e.start = *slot;
    }
}

// A start on a day its mask excludes is no slot: the first allowed one is.
void Model::Normalize(Event& e) const
{
    e.startI = BerlinInstant(e.start, false);
    if (e.never)
        return;
    if ((e.kind == pkDaily && e.days.find('1') == std::string::npos) ||
        (e.kind == pkMonthly && e.months.find('1') == std::string::npos) ||
        (Periodic(e.kind) && e.kind != pkDaily && e.kind != pkMonthly && e.step <= 0)) {
        e.never = true;
        return;
    }
    if (e.kind == pkDaily || e.kind == pkMonthly) {
        const auto slot = LocalSlotAfter(e, e.start - 1);
        e.start = *slot;
        e.startI = InstantOfSlot(e, e.start);
    }
}

Model::Event Model::Make(int id, const TEvent& t) const
{
    Event e;
    e.id = id;
    e.name = t.Name;
    e.kind = t.PeriodInd;
    e.enabled = t.Enabled;
    e.never = t.StartDateTime == NeverTime;
    e.start = ToMs(t.StartDateTime);
    e.step = ToMs(t.DifDateTime);
    e.days = t.DaysBin;
    e.months = t.MonthsBin;
    e.lastRun = kLong;
    e.settled = kLong;
    e.dif2 = ToMs(t.Dif2DateTime);
    e.expired = t.ExpiredInd;
    e.deleteAfterRun = t.PeriodInd == pkOnce && t.DeleteAfterRun;
    e.note = t.EnabledNote;
    Normalize(e);
    e.originI = e.startI;
    return e;
}

// --- what the user and the files do ------------------------------------------

void Model::Seed(int id, const TEvent& t)
{
    Event e = Make(id, t);
    e.snooze = ToMs(t.SnoozeDateTime);
    if (t.LastDateTime != NeverTime && t.LastDateTime != 0)
        e.lastRun = BerlinInstant(ToMs(t.LastDateTime), false);
    // A run after the snooze's moment has settled it (files of old keep a
    // snooze that ran).
    e.hasSnooze = t.SnoozeDateTime != 0 && BerlinInstant(e.snooze, false) > e.lastRun;
    events_[id] = e;
}

void Model::Put(int id, const TEvent& t, Ms now)
{
    static_cast<void>(now);
    events_[id] = Make(id, t);  // afresh: no snooze, no run counted, nothing owed
}

void Model::Remove(int id) { events_.erase(id); }

void Model::SetEnabled(int id, bool enabled, Ms now)
{
    const auto it = events_.find(id);
    if (it == events_.end())
        return;
    Event& e = it->second;
    if (!enabled) {
        e.enabled = false;
        e.owed.reset();
        return;
    }
    if (e.enabled)
        return;
    // Switched on again: only what lies ahead is owed.
    e.enabled = true;
    if (e.startI <= now) {
        if (Periodic(e.kind)) {
            MoveAhead(e, now);
        } else {
            // Recorded as run, so that no later start owes it either.
            e.settled = std::max(e.settled, now);
            if (e.lastRun < e.startI)
                e.lastRun = now;
        }
    }
    if (e.hasSnooze && BerlinInstant(e.snooze, false) <= now) {
        e.hasSnooze = false;
        e.runAgain = false;
    }
}

void Model::Snooze(int id, Ms whenLocal)
{
    const auto it = events_.find(id);
    if (it == events_.end())
        return;
    Event& e = it->second;
    e.hasSnooze = true;
    e.snooze = whenLocal;
    e.runAgain = e.restarted = false;
    // A snooze run still waiting in this scan is for a moment that is no more.
    if (e.owed) {
        auto& parts = e.owed->parts;
        parts.erase(std::remove_if(parts.begin(), parts.end(), [](const Part& p) { return p.snooze; }), parts.end());
        e.owed->runAgain = false;
        if (parts.empty())
            e.owed.reset();
    }
}

void Model::StartUp(Ms now)
{
    const Ms nowLocal = BerlinLocal(now);
    for (auto it = events_.begin(); it != events_.end();) {
        Event& e = it->second;
        e.owed.reset();
        e.originI = e.startI;  // the start as the file gives it now
        if (e.hasSnooze && e.runAgain)
            e.restarted = true;
        // A start passed while the program was not running: it has not run
        // for it (a once event that ran has nothing to settle).
        if (!(e.startI < now) || e.lastRun >= e.startI) {
            MoveAhead(e, now);
            ++it;
            continue;
        }
        if (e.expired == ekDelete && !e.hasSnooze) {
            if (e.enabled) {
                it = events_.erase(it);
                continue;
            }
            e.existenceOpen = true;  // see Adopt
        }
        if (e.expired == ekRunAgain && e.lastRun < e.startI && !e.hasSnooze) {
            if (e.enabled) {
                e.hasSnooze = true;
                e.snooze = nowLocal + e.dif2;
                e.runAgain = true;
                e.restarted = false;
            } else {
                e.snoozeOpen = true;
            }
        }
        // No regular run for the slots that passed; a periodic one goes on.
        e.settled = std::max(e.settled, now);
        MoveAhead(e, now);
        ++it;
    }
}

void Model::ClockSetBack(Ms now)
{
    for (auto& [id, e] : events_) {
        if (!Periodic(e.kind)) {
            // A once event that ran has run, whatever the clock says now; one
            // whose start was passed over (settled, not run) may come again.
            if (e.settled >= e.startI && e.lastRun < e.startI && e.startI > now) {
                e.settled = std::min(e.settled, now);
                e.optionalUntil = std::max(e.optionalUntil, e.startI);
            }
            continue;
        }
        // Slots passed over (not run) at the wrong time may come again, or not.
        if (e.settled > now)
            e.optionalUntil = std::max(e.optionalUntil, e.settled);
        // A run recorded ahead of the corrected time is a record of the wrong clock.
        e.lastRun = std::min(e.lastRun, now);
        e.settled = std::min(e.settled, now);
        // A switched-off event's start stays where it is (it is owed nothing).
        if (!e.enabled)
            continue;
        // Back to the first slot after the corrected time that has not run:
        // the slot the last run was for has; the later ones it stood for
        // may come again or not.
        MoveAhead(e, std::max(now, e.ranFrom), true);
        // Never back past the start New, Edit or the file at the last start
        // gave it: what ran before that is not known slot by slot.
        if (e.startI < e.originI) {
            e.startI = e.originI;
            e.start = BerlinLocal(e.originI);
        }
        if (e.ranTo > now)
            e.optionalUntil = std::max(e.optionalUntil, e.ranTo);
    }
}

// --- a tick -------------------------------------------------------------------

std::optional<Model::Owed> Model::DueAt(const Event& e, Ms now, Ms scanStart) const
{
    if (!e.enabled)
        return std::nullopt;
    Owed o;
    o.scanStart = scanStart;
    if (!e.never && e.startI <= now && std::max(e.lastRun, e.settled) < e.startI) {
        o.parts.push_back({false, e.start, e.startI});
        o.required = e.startI > e.optionalUntil;
    }
    if (e.hasSnooze && BerlinInstant(e.snooze, false) <= now) {
        o.parts.push_back({true, e.snooze, BerlinInstant(e.snooze, false)});
        o.runAgain = e.runAgain;
        o.restarted = e.restarted;
        o.required = true;
    }
    if (o.parts.empty())
        return std::nullopt;
    return o;
}

void Model::BeginScan(Ms now)
{
    scanning_ = true;
    scanStart_ = now;
    summaries_ = summarized_ = lateSingles_ = 0;
    clockMoved_ = false;
    for (auto& [id, e] : events_)
        if (!e.owed)
            e.owed = DueAt(e, now, now);

    const int today = DayOf(BerlinLocal(now));
    scanDay_ = today;
    if (today > scannedDay_) {
        if (scannedDay_ == -1 || today > scannedDay_ + 1)
            GapCatchUps(today, false);
        for (auto& [id, b] : birthdays_)
            if (b.seed.enabled && DueOn(b, today) && !b.reminded.count(today))
                todayOwed_[id] = true;
    }
}

void Model::CheckStatus(const Event& e, const Owed& o, Ms now, const NoteRequest* note, bool summarized)
{
    const Ms nowLocal = BerlinLocal(now);
    std::set<std::string> allowed;
    bool lateAtScan = true;
    for (const Part& p : o.parts) {
        // "More than a minute (wall clock)": where the wall clock and real
        // time differ (a skipped spring hour) either reading is accepted.
        for (Ms late : {nowLocal - p.local, now - p.instant}) {
            if (late > kLateMs - kBorder)
                allowed.insert("Missing...");
            if (late <= kLateMs + kBorder)
                allowed.insert(!p.snooze ? "" : o.runAgain && !o.restarted ? "Missing..." : "Snoozing...");
        }
        if (!(scanStart_ - p.instant > kLateMs + kBorder && BerlinLocal(scanStart_) - p.local > kLateMs + kBorder))
            lateAtScan = false;
    }
    if (o.runAgain || (e.runAgain && Tolerate.count("snooze-cleared")))
        allowed.insert("Missing...");
    if (o.runAgain && !o.restarted)
        lateAtScan = true;
    if (o.scanStart == scanStart_ && o.parts.front().instant <= scanStart_ && lateAtScan && !summarized)
        ++lateSingles_;

    std::string expected;
    for (const auto& s : allowed)
        expected += " \"" + s + "\"";
    if (summarized) {
        if (!allowed.count("Missing..."))
            fault_("the summary of late runs lists " + e.name + ", which is not late (expected" + expected + ")");
        return;
    }
    if (!e.note) {
        if (note)
            fault_("a note for " + e.name + ", whose note is off");
        return;
    }
    if (!note) {
        fault_("the run of " + e.name + " came without its note");
        return;
    }
    if (note->EventName != e.name)
        fault_("the note of " + e.name + " names " + note->EventName);
    if (!allowed.count(note->Status))
        fault_("the note of " + e.name + " at " + Show(nowLocal) + " (due " + Show(o.parts.front().local) +
               ") says \"" + note->Status + "\"; expected" + expected);
    if (note->StatusVisible != !note->Status.empty())
        fault_("the note of " + e.name + " shows its status line wrongly");
}

void Model::Settle(Event& e, const Owed& o, Ms now)
{
    const bool regular = std::any_of(o.parts.begin(), o.parts.end(), [](const Part& p) { return !p.snooze; });
    const bool snooze = std::any_of(o.parts.begin(), o.parts.end(), [](const Part& p) { return p.snooze; });
    e.lastRun = now;
    if (regular) {
        e.ranFrom = o.parts.front().instant;
        e.ranTo = now;
    }
    if (snooze)
        e.hasSnooze = e.runAgain = e.restarted = false;
    if (Periodic(e.kind) && e.startI <= now)
        MoveAhead(e, now);
    if (!snooze && e.hasSnooze && BerlinInstant(e.snooze, false) <= now) {
        // It fell due while this scan was busy: the run may have settled it.
        e.hasSnooze = e.runAgain = e.restarted = false;
        e.spareUntilScan = scanNumber_ + 1;
    }
    if (regular && e.hasSnooze && Tolerate.count("snooze-cleared"))
        e.hasSnooze = e.runAgain = e.restarted = false;
    if (e.deleteAfterRun && !regular && e.startI > now)
        e.existenceOpen = true;  // a snooze run before the start: see Adopt
}

void Model::OnFire(int id, Ms now, const NoteRequest* note, bool summarized)
{
    const auto it = events_.find(id);
    if (it == events_.end()) {
        if (!Lenient)
            fault_("a run of event #" + std::to_string(id) + ", which is not in the list (deleted, or never added)");
        return;
    }
    Event& e = it->second;
    if (!e.enabled) {
        fault_("a run of " + e.name + ", which is switched off");
        return;
    }
    if (!e.owed)
        e.owed = DueAt(e, now, scanStart_);  // it fell due during this tick
    if (!e.owed) {
        // Back before the start New or Edit gave it (a clock set back):
        // whatever the program runs there is its choice.
        if (e.optionalUntil >= e.originI - 1 && now < e.originI)
            return;
        if (e.spareUntilScan >= scanNumber_) {
            e.spareUntilScan = -1;
            return;
        }
        if (!Lenient)
            fault_("a run of " + e.name + " at " + Show(BerlinLocal(now)) + " that nothing owes (start " +
                   Show(e.start) + ", last run " + (e.lastRun == kLong ? std::string("none") : Show(BerlinLocal(e.lastRun))) +
                   (e.hasSnooze ? ", snooze " + Show(e.snooze) : std::string()) + "): twice, or early");
        return;
    }
    const Owed o = *e.owed;
    e.owed.reset();
    CheckStatus(e, o, now, note, summarized);
    if (summarized)
        ++summarized_;
    const bool regular = std::any_of(o.parts.begin(), o.parts.end(), [](const Part& p) { return !p.snooze; });
    Settle(e, o, now);
    if (e.deleteAfterRun && (regular || e.startI <= now))
        events_.erase(it);
}

void Model::OnSummary() { ++summaries_; }

void Model::EndScan(Ms now)
{
    static_cast<void>(now);
    for (auto& [id, e] : events_) {
        if (!e.owed)
            continue;
        if (!e.owed->required) {
            // The program took it as run already: so does the model.
            e.settled = std::max(e.settled, e.startI);
            MoveAhead(e, now);
            e.owed.reset();
            continue;
        }
        const Part& p = e.owed->parts.front();
        fault_("the run of " + e.name + " owed for " + Show(p.local) + (p.snooze ? " (snooze)" : "") +
               " did not come by " + Show(BerlinLocal(now)));
        e.owed.reset();
    }
    if (summaries_ > 1)
        fault_(std::to_string(summaries_) + " summaries of late runs in one scan");
    if (summaries_ > 0 && summarized_ <= TReminders::kSummaryThreshold)
        fault_("a summary of only " + std::to_string(summarized_) + " late runs");
    if (!clockMoved_ && summaries_ == 0 && lateSingles_ > TReminders::kSummaryThreshold)
        fault_(std::to_string(lateSingles_) + " late runs in one scan each fired alone, not in one summary");
    if (!clockMoved_ && summaries_ > 0 && lateSingles_ > 0)
        fault_(std::to_string(lateSingles_) + " late runs fired alone beside the summary of late runs");
    scanning_ = false;
    ++scanNumber_;

    const int today = DayOf(BerlinLocal(now));
    for (const auto& [id, owed] : todayOwed_)
        fault_("the birthday reminder of " + birthdays_[id].seed.name + " for " + Show(Ms(scanDay_) * kDay) +
               " did not come by " + Show(BerlinLocal(now)));
    for (const auto& [id, required] : catchUp_)
        if (required)
            fault_("the birthday reminder of " + birthdays_[id].seed.name +
                   " for a day passed during a sleep did not come at the wake-up");
    todayOwed_.clear();
    catchUp_.clear();
    // A tick that ran past midnight (a countdown) may have scanned the new
    // day already; the next tick owes what it did not remind.
    static_cast<void>(today);
    scannedDay_ = std::max(scannedDay_, scanDay_);
    awakeDay_ = scanDay_;
}

Ms Model::NextMoment() const
{
    Ms best = LLONG_MAX;
    for (const auto& [id, e] : events_) {
        if (!e.enabled)
            continue;
        if (!e.never && std::max(e.lastRun, e.settled) < e.startI)
            best = std::min(best, e.startI);
        if (e.hasSnooze)
            best = std::min(best, BerlinInstant(e.snooze, false));
    }
    return best;
}

std::string Model::Dump() const
{
    std::string text;
    for (const auto& [id, e] : events_)
        text += "    model: " + e.name + (e.enabled ? "" : " (off)") + " start " + (e.never ? "never" : Show(e.start)) +
                ", last run " + (e.lastRun == kLong ? std::string("none") : Show(BerlinLocal(e.lastRun))) +
                (e.hasSnooze ? ", snooze " + Show(e.snooze) : std::string()) + "\n";
    return text;
}

std::string Model::NameOf(int id) const
{
    const auto it = events_.find(id);
    return it == events_.end() ? std::string() : it->second.name;
}

std::vector<int> Model::Ids() const
{
    std::vector<int> ids;
    for (const auto& [id, e] : events_)
        ids.push_back(id);
    return ids;
}

void Model::Adopt(int id, const std::function<std::optional<Choice>(const std::string&)>& lookup)
{
    const auto it = events_.find(id);
    if (it == events_.end() || !(it->second.existenceOpen || it->second.snoozeOpen))
        return;
    Event& e = it->second;
    const auto choice = lookup(e.name);
    e.existenceOpen = e.snoozeOpen = false;
    if (!choice) {
        events_.erase(it);
        return;
    }
    if (choice->hasSnooze && !e.hasSnooze) {
        e.hasSnooze = true;
        e.snooze = choice->snoozeLocal;
        e.runAgain = true;
    }
}

// --- birthdays ----------------------------------------------------------------

void Model::SeedBirthday(const BirthdaySeed& seed)
{
    Birthday b{seed, {}, seed.lastStart, {}};
    if (seed.lastStart > 0)
        b.reminded.insert(seed.lastStart);
    birthdays_[seed.id] = b;
}

int Model::LatestReminderDay(const BirthdaySeed& seed, int upTo) const
{
    const Birthday b{seed, {}, 0, {}};
    for (int day = upTo; day > upTo - 400; --day)
        if (DueOn(b, day))
            return day;
    return 0;
}

// 29 February falls on 28 February in other years.
int Model::Anniversary(const Birthday& b, int year) const
{
    const int day = b.seed.month == 2 && b.seed.day == 29 && !IsLeapYear(year) ? 28 : b.seed.day;
    return static_cast<int>(EncodeDate(year, b.seed.month, day));
}

int Model::NextAnniversary(const Birthday& b, int day) const
{
    const int year = DecodeDate(day).year;
    const int a = Anniversary(b, year);
    return a >= day ? a : Anniversary(b, year + 1);
}

int Model::PreviousAnniversary(const Birthday& b, int day) const
{
    const int year = DecodeDate(day).year;
    const int a = Anniversary(b, year);
    return a < day ? a : Anniversary(b, year - 1);
}

std::vector<int> Model::ReminderDays(const Birthday& b, int a) const
{
    std::vector<int> days{a};
    if (b.seed.r1)
        days.push_back(a - 1);
    if (b.seed.r7)
        days.push_back(a - 7);
    if (b.seed.r14)
        days.push_back(a - 14);
    return days;
}

bool Model::DueOn(const Birthday& b, int day) const
{
    const auto days = ReminderDays(b, NextAnniversary(b, day));
    return std::find(days.begin(), days.end(), day) != days.end();
}

// Reminder days of a birthday still ahead that passed while the program did
// not look (asleep: owed once at the wake-up; otherwise tolerated once).
void Model::GapCatchUps(int today, bool required)
{
    for (auto& [id, b] : birthdays_) {
        if (!b.seed.enabled)
            continue;
        bool passed = false;
        for (int day : ReminderDays(b, NextAnniversary(b, today)))
            if (day > awakeDay_ && day < today && !(b.lastReminded >= day))
                passed = true;
        if (passed)
            catchUp_[id] = catchUp_[id] || (required && !DueOn(b, today));
    }
}

void Model::Resumed(int today) { GapCatchUps(today, true); }

void Model::OnBirthdayFire(int id, int today)
{
    const auto it = birthdays_.find(id);
    if (it == birthdays_.end()) {
        fault_("a reminder of birthday #" + std::to_string(id) + ", which is not in the list");
        return;
    }
    Birthday& b = it->second;
    const bool newDay = today > scanDay_ && b.seed.enabled && DueOn(b, today) && !b.reminded.count(today);
    if (todayOwed_.erase(id) == 0 && catchUp_.erase(id) == 0 && !newDay) {
        fault_("a birthday reminder of " + b.seed.name + " on " + Show(Ms(today) * kDay) +
               (b.reminded.count(today) ? ", reminded already that day" : ", which is not one of its reminder days"));
    }
    b.reminded.insert(today);
    b.lastReminded = today;
}

void Model::MissedReport(const std::vector<std::string>& names, bool shown, int today)
{
    static_cast<void>(shown);
    std::map<std::string, int> listed;
    for (const auto& name : names) {
        ++listed[Fold(name)];
        bool known = false;
        for (const auto& [id, b] : birthdays_)
            known = known || Fold(b.seed.name) == Fold(name);
        if (!known)
            fault_("the missed-birthdays box names " + name + ", who is not in the list");
    }
    for (auto& [id, b] : birthdays_) {
        const int a = PreviousAnniversary(b, today);
        const int count = listed.count(Fold(b.seed.name)) ? listed[Fold(b.seed.name)] : 0;
        const bool had = b.lastReminded >= a || b.reported.count(a);
        // Last year's (over the turn of the year) only when an early reminder
        // for it shows that the program ran before the day: the files keep
        // no other trace of when it last ran.
        const bool lastYear = DecodeDate(a).year < DecodeDate(today).year;
        const bool seen = !lastYear || b.lastReminded >= a - kEarliestReminderDays;
        const bool owed = b.seed.enabled && a > awakeDay_ && !had && seen;
        if (count > 1)
            fault_("the missed-birthdays box names " + b.seed.name + " twice");
        if (owed && count == 0)
            fault_("the birthday of " + b.seed.name + " on " + Show(Ms(a) * kDay) +
                   " passed while the program was not running and is not in the missed-birthdays box");
        if (count > 0 && had)
            fault_("the missed-birthdays box names " + b.seed.name + ", whose birthday on " + Show(Ms(a) * kDay) +
                   " was reminded or reported already");
        if (count > 0) {
            b.reported.insert(a);
            b.lastReminded = today;
        }
    }
}

}  // namespace sim
