#include "tests/sim/Scenario.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>

#include "birthdays/Birthday.h"
#include "core/Ini.h"
#include "core/Reminders.h"
#include "shell/Settings.h"
#include "tests/sim/Model.h"

namespace sim {

namespace {

const std::string kEvents = "sim/events.ini";
const std::string kBirthdays = "sim/birthdays.ini";

Ms FloorTo(Ms value, Ms unit) { return value >= 0 ? value / unit * unit : -((-value + unit - 1) / unit) * unit; }
int DayOf(Ms local) { return static_cast<int>(FloorTo(local, kDay) / kDay); }

std::string Show(Ms local)
{
    const DateParts d = DecodeDate(Days(local));
    const Ms t = local - FloorTo(local, kDay);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  static_cast<int>(t / kHour), static_cast<int>(t / kMinute % 60), static_cast<int>(t / kSecond % 60));
    return text;
}

std::string EventName(int id, int rename)
{
    return "Event " + std::to_string(id) + (rename ? " v" + std::to_string(rename) : "");
}
std::string PersonName(int id) { return "Person B" + std::to_string(100 + id); }

// The id in "Event 12 v3", "sounds/e12.wav", "Person B112" or "sounds/b12.wav".
int IdIn(const std::string& text, const std::string& prefix)
{
    const auto at = text.find(prefix);
    if (at == std::string::npos)
        return -1;
    return std::atoi(text.c_str() + at + prefix.size());
}

// --- drawing a scenario ------------------------------------------------------------

class Draw {
public:
    explicit Draw(std::uint64_t seed) : rng_(seed) {}
    Ms Range(Ms low, Ms high) { return low + static_cast<Ms>(rng_() % static_cast<std::uint64_t>(high - low + 1)); }
    bool Chance(int percent) { return Range(0, 99) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& items) { return items[static_cast<size_t>(Range(0, static_cast<Ms>(items.size()) - 1))]; }
    // A weighted choice: the index of the row.
    int Weighted(const std::vector<int>& weights)
    {
        int total = 0;
        for (int w : weights)
            total += w;
        int roll = static_cast<int>(Range(0, total - 1));
        for (size_t i = 0; i < weights.size(); ++i)
            if ((roll -= weights[i]) < 0)
                return static_cast<int>(i);
        return 0;
    }
    std::string Mask(size_t length, int percentOn)
    {
        std::string mask(length, '0');
        for (char& c : mask)
            c = Chance(percentOn) ? '1' : '0';
        return mask;
    }

private:
    std::mt19937_64 rng_;
};

// Times of day where the clocks change or the day turns.
const std::vector<int> kEdgeTimes = {2 * 60 + 30, 2 * 60, 3 * 60, 60 + 30, 0, 23 * 60 + 59};

EventPlan DrawEvent(Draw& d, bool seed)
{
    EventPlan e;
    //                          once hourly daily weekly monthly annually
    e.kind = d.Weighted({30, 15, 20, 10, 15, 10});
    e.startOffset = seed ? d.Range(-3 * 1440, 2 * 1440) * kMinute
                         : (d.Chance(80) ? d.Range(1, 40) : d.Range(41, 3 * 1440)) * kMinute;
    if (d.Chance(15))
        e.timeOfDay = d.Pick(kEdgeTimes);
    switch (e.kind) {
    case pkHourly:
        e.step = kHour + d.Pick(std::vector<Ms>{0, 0, 30, 60, 120}) * kMinute;
        break;
    case pkWeekly:
        e.step = 7 * kDay;
        break;
    case pkAnnually:
        e.step = 365 * kDay;
        break;
    case pkDaily:
        e.days = d.Chance(5) ? "0000000" : d.Mask(7, 60);
        break;
    case pkMonthly:
        e.months = d.Chance(5) ? "000000000000" : d.Mask(12, 70);
        break;
    default:
        break;
    }
    e.expired = static_cast<int>(d.Range(0, 2));
    e.runAgain = d.Pick(std::vector<Ms>{0, 1, 5, 30}) * kMinute;
    e.deleteAfterRun = e.kind == pkOnce && d.Chance(40);
    e.enabled = d.Chance(90);
    e.note = d.Chance(85);
    e.action = d.Weighted({75, 10, 10, 5});
    e.rename = d.Chance(30) ? static_cast<int>(d.Range(1, 9)) : 0;
    if (seed) {
        e.rename = 0;
        e.ranAtStart = e.kind == pkOnce && e.startOffset < 0 && d.Chance(50);
        if (d.Chance(15))
            e.snoozeOffset = (d.Chance(50) ? 1 : -1) * d.Range(1, 300) * kMinute;
    }
    return e;
}

BirthdayPlan DrawBirthday(Draw& d, Ms startLocal)
{
    BirthdayPlan b;
    b.year = static_cast<int>(d.Range(1950, 2010));
    const int kind = d.Weighted({60, 15, 10, 15});
    if (kind == 0) {  // near the simulated weeks
        const DateParts near = DecodeDate(Days(startLocal + d.Range(-5, 25) * kDay));
        b.month = near.month;
        b.day = near.day;
        if (!IsValidDate(b.year, b.month, b.day))
            b.year = 4 * (b.year / 4);  // born on 29 February: in a leap year
    } else if (kind == 1) {
        b.year = 4 * static_cast<int>(d.Range(490, 502));  // a leap year
        b.month = 2;
        b.day = 29;
    } else if (kind == 2) {
        b.month = d.Chance(50) ? 12 : 1;
        b.day = b.month == 12 ? 31 : 1;
    } else {
        b.month = static_cast<int>(d.Range(1, 12));
        b.day = static_cast<int>(d.Range(1, 28));
    }
    b.r1 = d.Chance(50);
    b.r7 = d.Chance(50);
    b.r14 = d.Chance(40);
    b.enabled = d.Chance(90);
    b.note = d.Chance(80);
    b.neverReminded = d.Chance(15);
    return b;
}

const std::vector<std::string> kBaseDates = {"2027-03-25", "2027-10-28", "2027-12-28", "2028-02-25", "2027-02-25",
                                             "2027-06-14"};

Ms BaseDay(const std::string& date)
{
    return static_cast<Ms>(EncodeDate(std::stoi(date.substr(0, 4)), std::stoi(date.substr(5, 2)),
                                      std::stoi(date.substr(8, 2))));
}

Step StepOf(StepKind kind)
{
    Step step;
    step.kind = kind;
    return step;
}

}  // namespace

Scenario Generate(std::uint64_t seed, const Options& options)
{
    Draw d(seed);
    Scenario s;
    s.seed = seed;
    const Ms local = (BaseDay(d.Pick(kBaseDates)) + d.Range(0, 3)) * kDay + d.Range(7 * 60, 22 * 60) * kMinute +
                     d.Range(0, 59) * kSecond + 137;
    s.startInstant = BerlinInstant(local);
    s.awakeDaysBefore = static_cast<int>(d.Range(0, 20));

    int nextId = 0;
    const int seeds = static_cast<int>(d.Range(4, 12));
    for (int i = 0; i < seeds; ++i) {
        Step step = StepOf(StepKind::SeedEvent);
        step.id = nextId++;
        step.event = DrawEvent(d, true);
        s.steps.push_back(step);
    }
    const int people = static_cast<int>(d.Range(2, 7));
    for (int i = 0; i < people; ++i) {
        Step step = StepOf(StepKind::SeedBirthday);
        step.id = i;
        step.birthday = DrawBirthday(d, local);
        s.steps.push_back(step);
    }
    s.steps.push_back(StepOf(StepKind::Start));

    // The timeline's step kinds and how often each comes.
    struct Row {
        StepKind kind;
        int weight;
        bool modal;
    };
    const std::vector<Row> rows = {
        {StepKind::Run, 30, false},        {StepKind::TickSeconds, 5, false}, {StepKind::Sleep, 6, false},
        {StepKind::Restart, 7, false},     {StepKind::SetBack, 4, false},     {StepKind::SetForward, 3, false},
        {StepKind::ThroughDst, 2, false},  {StepKind::Add, 6, false},         {StepKind::Edit, 6, false},
        {StepKind::Delete, 2, false},      {StepKind::Enable, 4, false},      {StepKind::Snooze, 6, false},
        {StepKind::Edit, 2, true},         {StepKind::Delete, 1, true},       {StepKind::Enable, 1, true},
        {StepKind::Snooze, 2, true},       {StepKind::Add, 1, true},          {StepKind::Wait, 3, true},
        {StepKind::NestedTick, 3, true},   {StepKind::WritesFail, options.writeFailures ? 3 : 0, false},
    };
    std::vector<int> weights;
    for (const Row& r : rows)
        weights.push_back(r.weight);
    const int length = static_cast<int>(d.Range(25, 70));
    for (int i = 0; i < length; ++i) {
        const Row& row = rows[static_cast<size_t>(d.Weighted(weights))];
        Step step = StepOf(row.kind);
        step.modal = row.modal;
        step.id = static_cast<int>(d.Range(0, std::max(0, nextId - 1)));
        switch (row.kind) {
        case StepKind::Run:
            step.span = d.Chance(85) ? d.Range(1, 360) * kMinute : d.Range(6 * 60, 3 * 1440) * kMinute;
            break;
        case StepKind::TickSeconds:
            step.span = d.Range(5, 90) * kSecond;
            break;
        case StepKind::Sleep:
            step.span = d.Range(10, 3 * 1440) * kMinute + d.Range(0, 59) * kSecond;
            break;
        case StepKind::Restart:
            step.span = d.Range(1, 5 * 1440) * kMinute + d.Range(0, 59) * kSecond;
            step.flag = d.Chance(50);
            break;
        case StepKind::SetBack:
            step.span = d.Range(1, 20 * 60) * kMinute + d.Range(0, 59) * kSecond;
            step.flag = d.Chance(50);
            break;
        case StepKind::SetForward:
            step.span = d.Range(1, 10 * 60) * kMinute + d.Range(0, 59) * kSecond;
            step.flag = d.Chance(50);
            break;
        case StepKind::Add:
            step.id = nextId++;
            step.event = DrawEvent(d, false);
            break;
        case StepKind::Edit:
            step.event = DrawEvent(d, false);
            break;
        case StepKind::Enable:
            step.flag = d.Chance(50);
            break;
        case StepKind::Snooze:
            step.span = d.Chance(80) ? d.Pick(std::vector<Ms>{1, 3, 5, 15, 60}) * kMinute
                                     : d.Pick(std::vector<Ms>{1, 3}) * kDay;
            break;
        case StepKind::Wait:
            step.span = d.Range(1, 5 * 60) * kMinute;
            break;
        case StepKind::WritesFail:
            step.flag = d.Chance(50);
            break;
        default:
            break;
        }
        s.steps.push_back(step);
    }
    return s;
}

std::string Describe(const Step& s)
{
    auto minutes = [](Ms span) {
        return std::to_string(span / kMinute) + " min" + (span % kMinute ? " " + std::to_string(span % kMinute / kSecond) + " s" : "");
    };
    auto event = [](const EventPlan& e) {
        static const char* const kinds[] = {"once", "hourly", "daily", "weekly", "monthly", "annually"};
        static const char* const expired[] = {"Keep", "Run again", "Delete"};
        static const char* const actions[] = {"", ", opens a program", ", power off after a countdown",
                                              ", power off at once"};
        std::string text = std::string(kinds[e.kind]) + " at now" + (e.startOffset >= 0 ? "+" : "") +
                           std::to_string(e.startOffset / kMinute) + " min";
        if (e.timeOfDay >= 0)
            text += " moved to " + std::to_string(e.timeOfDay / 60) + ":" + (e.timeOfDay % 60 < 10 ? "0" : "") +
                    std::to_string(e.timeOfDay % 60);
        if (e.kind == pkHourly || e.kind == pkWeekly || e.kind == pkAnnually)
            text += ", every " + std::to_string(e.step / kMinute) + " min";
        if (e.kind == pkDaily)
            text += ", days " + e.days;
        if (e.kind == pkMonthly)
            text += ", months " + e.months;
        text += std::string(", ") + expired[e.expired];
        if (e.expired == ekRunAgain)
            text += " after " + std::to_string(e.runAgain / kMinute) + " min";
        if (e.deleteAfterRun)
            text += ", deleted after its run";
        if (!e.enabled)
            text += ", switched off";
        if (!e.note)
            text += ", no note";
        text += actions[e.action];
        if (e.ranAtStart)
            text += ", ran at its start";
        if (e.snoozeOffset)
            text += ", snoozed to now" + std::string(e.snoozeOffset > 0 ? "+" : "") + std::to_string(e.snoozeOffset / kMinute) + " min";
        if (e.rename)
            text += ", renamed v" + std::to_string(e.rename);
        return text;
    };
    const std::string who = "event " + std::to_string(s.id);
    std::string text;
    switch (s.kind) {
    case StepKind::SeedEvent: text = "seed " + who + ": " + event(s.event); break;
    case StepKind::SeedBirthday: {
        const BirthdayPlan& b = s.birthday;
        text = "seed " + PersonName(s.id) + ": born " + std::to_string(b.year) + "-" + std::to_string(b.month) + "-" +
               std::to_string(b.day) + (b.r1 ? ", 1 day before" : "") + (b.r7 ? ", 1 week before" : "") +
               (b.r14 ? ", 2 weeks before" : "") + (b.enabled ? "" : ", switched off") +
               (b.neverReminded ? ", never reminded" : "");
        break;
    }
    case StepKind::Start: text = "start the program"; break;
    case StepKind::Run: text = "run for " + minutes(s.span); break;
    case StepKind::TickSeconds: text = "tick every second for " + minutes(s.span); break;
    case StepKind::Sleep: text = "sleep for " + minutes(s.span); break;
    case StepKind::Restart: text = std::string(s.flag ? "kill" : "exit") + " the program, start it " + minutes(s.span) + " later"; break;
    case StepKind::SetBack: text = "set the clock back by " + minutes(s.span) + (s.flag ? " (told)" : " (not told)"); break;
    case StepKind::SetForward: text = "set the clock forward by " + minutes(s.span) + (s.flag ? " (told)" : " (not told)"); break;
    case StepKind::ThroughDst: text = "run until 3 hours after the next daylight-saving change"; break;
    case StepKind::Add: text = "new " + who + ": " + event(s.event); break;
    case StepKind::Edit: text = "edit " + who + ": " + event(s.event); break;
    case StepKind::Delete: text = "delete " + who; break;
    case StepKind::Enable: text = std::string(s.flag ? "switch on " : "switch off ") + who; break;
    case StepKind::Snooze: text = "snooze " + who + " for " + minutes(s.span); break;
    case StepKind::Wait: text = "wait " + minutes(s.span); break;
    case StepKind::NestedTick: text = "a tick comes from the countdown's message loop"; break;
    case StepKind::WritesFail: text = std::string("events.ini ") + (s.flag ? "cannot be written" : "can be written again"); break;
    }
    return (s.modal ? "during the next countdown: " : "") + text;
}

// --- playing a scenario ---------------------------------------------------------

namespace {

class Runner {
public:
    Runner(const Scenario& s, const Options& o)
        : scenario_(s), options_(o), desktop_(Sink()), model_([this](const std::string& f) { Fault(f); })
    {
        clock_.Set(s.startInstant);
        model_.SetAwakeDay(DayOf(clock_.Local()) - s.awakeDaysBefore);
        model_.Tolerate = o.avoid;
    }

    Outcome Play()
    {
        Outcome out;
        for (size_t i = 0; i < scenario_.steps.size() && faults_.empty(); ++i) {
            step_ = static_cast<int>(i);
            const Step& step = scenario_.steps[i];
            if (options_.verbose)
                std::printf("[%s] step %zu: %s\n", Now().c_str(), i, Describe(step).c_str());
            if (step.modal)
                modal_.push_back(step);
            else
                Do(step);
            if (faults_.empty())
                CheckLists();
            if (options_.verbose && engine_) {
                const Ms owed = model_.NextMoment();
                std::printf("    next due: the program's %s, the model's %s\n",
                            Show(ToMs(engine_->NextDueTime())).c_str(),
                            owed == LLONG_MAX ? "none" : Show(BerlinLocal(owed)).c_str());
            }
            if (!faults_.empty())
                out.stepFailed = static_cast<int>(i);
        }
        Exit(false);
        out.faults = faults_;
        out.simulatedDays = Days(clock_.Instant() - scenario_.startInstant);
        out.firings = firings_;
        return out;
    }

private:
    DesktopSink Sink()
    {
        DesktopSink sink;
        sink.Sound = [this](const std::string& path, const NoteRequest* note) { OnSound(path, note); };
        sink.NoteAlone = [this](const NoteRequest& note) {
            Fault("a note for \"" + note.EventName + note.PersonName + "\" without its sound");
        };
        sink.Action = [this](const std::string& what) { OnAction(what); };
        sink.Countdown = [this] { OnCountdown(); };
        sink.Summary = [this](const std::vector<MissedReminder>& runs) { OnSummary(runs); };
        return sink;
    }

    void Fault(const std::string& text)
    {
        if (options_.verbose)
            std::printf("[%s]   FAULT: %s\n", Now().c_str(), text.c_str());
        if (faults_.size() < 20)
            faults_.push_back(text);
    }

    std::string Now() const
    {
        const Ms local = clock_.Local();
        const DateParts d = DecodeDate(Days(local));
        const Ms t = local - FloorTo(local, kDay);
        char text[48];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %s", d.year, d.month, d.day,
                      static_cast<int>(t / kHour), static_cast<int>(t / kMinute % 60),
                      static_cast<int>(t / kSecond % 60), BerlinOffset(clock_.Instant()) == kHour ? "CET" : "CEST");
        return text;
    }
    int Today() const { return DayOf(clock_.Local()); }

    // --- what the desktop saw ---------------------------------------------------

    void OnSound(const std::string& path, const NoteRequest* note)
    {
        ExpectNoAction();
        ++firings_;
        if (options_.verbose)
            std::printf("[%s]   fired %s%s%s\n", Now().c_str(), path.c_str(), note ? ", note status " : "",
                        note ? ("\"" + note->Status + "\"").c_str() : "");
        if (const int person = IdIn(path, "sounds/b"); person >= 0) {
            if (note && note->PersonName != PersonName(person))
                Fault("the birthday note for " + PersonName(person) + " names \"" + note->PersonName + "\"");
            model_.OnBirthdayFire(person, Today());
            return;
        }
        const int id = IdIn(path, "sounds/e");
        if (id < 0) {
            Fault("a sound nobody owns: " + path);
            return;
        }
        // Its action (a program, a countdown, a power action) must follow.
        if (engine_) {
            if (const TEvent* e = engine_->Events().Find(model_.NameOf(id)); e && e->EnabledAction)
                pendingAction_ = e->Name;
        }
        model_.OnFire(id, clock_.Instant(), note, false);
    }

    void ExpectNoAction()
    {
        if (!pendingAction_.empty())
            Fault("the action of " + pendingAction_ + " did not run after its note and sound");
        pendingAction_.clear();
    }

    void OnAction(const std::string& what)
    {
        if (options_.verbose)
            std::printf("[%s]   action: %s\n", Now().c_str(), what.c_str());
        if (pendingAction_.empty())
            Fault("an action (" + what + ") with no run of its own before it");
        pendingAction_.clear();
        if (what.rfind("power", 0) == 0)
            powerOff_ = true;
    }

    void OnCountdown()
    {
        // The user acts while the countdown shows; then cancels it.
        std::deque<Step> queued;
        queued.swap(modal_);
        ++inCountdown_;
        for (const Step& step : queued) {
            if (options_.verbose)
                std::printf("[%s]   in the countdown: %s\n", Now().c_str(), Describe(step).c_str());
            Do(step);
        }
        --inCountdown_;
    }

    void OnSummary(const std::vector<MissedReminder>& runs)
    {
        ExpectNoAction();
        if (options_.verbose)
            std::printf("[%s]   summary of %zu late runs\n", Now().c_str(), runs.size());
        model_.OnSummary();
        for (const MissedReminder& run : runs) {
            ++firings_;
            const int id = IdIn(run.Name, "Event ");
            if (run.Name != model_.NameOf(id) && model_.Has(id))
                Fault("the summary names " + run.Name + " for " + model_.NameOf(id));
            model_.OnFire(id, clock_.Instant(), nullptr, true);
        }
    }

    // --- the program's life -----------------------------------------------------

    void Start()
    {
        if (engine_)
            return;
        // No start inside the repeated autumn hour: a start stored there
        // cannot say which of its two showings it meant.
        while (BerlinInstant(clock_.Local(), true) != BerlinInstant(clock_.Local(), false) ||
               BerlinInstant(clock_.Local() - kHour, true) != BerlinInstant(clock_.Local() - kHour, false))
            clock_.Set(clock_.Instant() + 30 * kMinute);
        RemindersOptions o;
        o.EventsPath = kEvents;
        o.BirthdaysPath = kBirthdays;
        o.Clock = &clock_;
        o.Desktop = &desktop_;
        o.Files = &files_;
        o.View = &view_;
        engine_ = std::make_unique<TReminders>(o);
        engine_->Load();
        view_.Rows.clear();
        for (int i = 0; i < engine_->Events().Count(); ++i)
            view_.Rows[Fold(engine_->Events()[i].Name)]++;
        model_.SessionStarted();
        const size_t boxes = view_.MissedBoxes.size();
        engine_->StartUp();
        desktop_.Flush();
        model_.StartUp(clock_.Instant());
        Report(boxes);
        Adopt();
        Tick();
    }

    void Exit(bool killed)
    {
        if (!engine_)
            return;
        // Another program's hold on a file lasts a while, not for ever: it
        // lets go before the program closes, so the closing write is
        // measured. (Killed while holding changes only in memory, the
        // changes would be gone whatever the program did.)
        if (!files_.Unwritable.empty()) {
            files_.Unwritable.clear();
            killed = false;
        }
        if (!killed && !engine_->Shutdown().empty())
            Fault("changes were left unsaved at exit with every file writable");
        files_.Frozen = killed;
        engine_.reset();
        files_.Frozen = false;
    }

    void Report(size_t boxesBefore)
    {
        if (view_.MissedBoxes.size() > boxesBefore + 1)
            Fault("more than one missed-birthdays box at once");
        if (view_.MissedBoxes.size() > boxesBefore)
            model_.MissedReport(view_.MissedBoxes.back(), true, Today());
        else
            model_.MissedReport({}, false, Today());
    }

    void Adopt()
    {
        if (!engine_)
            return;
        for (int id : model_.Ids())
            model_.Adopt(id, [this](const std::string& name) -> std::optional<Model::Choice> {
                const TEvent* e = engine_->Events().Find(name);
                if (!e)
                    return std::nullopt;
                return Model::Choice{true, e->SnoozeDateTime != 0, ToMs(e->SnoozeDateTime)};
            });
    }

    void Tick()
    {
        if (!engine_)
            return;
        model_.BeginScan(clock_.Instant());
        engine_->Tick();
        desktop_.Flush();
        ExpectNoAction();
        model_.EndScan(clock_.Instant());
        Adopt();
        if (powerOff_) {
            // The computer turns off as the event asked, and is back later.
            powerOff_ = false;
            Exit(false);
            clock_.Set(clock_.Instant() + 47 * kMinute);
            Start();
        }
    }

    // Ticks at every moment something is owed (by the model or by the
    // program's own reckoning) and at every midnight, until end.
    void RunUntil(Ms end)
    {
        for (int guard = 0; guard < 20000 && clock_.Instant() < end && faults_.empty(); ++guard) {
            const Ms now = clock_.Instant();
            // A run already due (it fell due while a countdown showed) is
            // looked at by the next tick, a second later.
            Ms next = end;
            if (const Ms owed = model_.NextMoment(); owed < end)
                next = std::max(owed + 250, now + kSecond);
            if (engine_) {
                // Also where the program thinks something is due, so that a
                // run the model does not expect is seen when it comes.
                const TDateTime due = engine_->NextDueTime();
                if (due > 0 && due < NoDueTime && BerlinInstant(ToMs(due), false) > now)
                    next = std::min(next, BerlinInstant(ToMs(due), false) + 250);
            }
            const Ms midnight = BerlinInstant(FloorTo(clock_.Local(), kDay) + kDay, false);
            next = std::min(next, midnight + 250);
            clock_.Set(std::max(next, now + kSecond));
            Tick();
        }
    }

    // --- one step -------------------------------------------------------------

    std::string Name(int id) const
    {
        const std::string name = model_.NameOf(id);
        return name.empty() ? EventName(id, 0) : name;
    }

    TEvent Make(const EventPlan& plan, int id, bool ahead) const
    {
        TEvent e;
        Ms start = FloorTo(clock_.Local(), kMinute) + plan.startOffset;
        if (plan.timeOfDay >= 0)
            start = FloorTo(start, kDay) + plan.timeOfDay * kMinute;
        if (plan.kind == pkMonthly && DecodeDate(Days(start)).day > 28)
            start -= (DecodeDate(Days(start)).day - 28) * kDay;  // every month has the day
        auto allowed = [&plan](Ms local) {
            if (plan.kind == pkDaily)
                return plan.days.find('1') == std::string::npos ||
                       plan.days[static_cast<size_t>(DayOfWeek(Days(local)) - 1)] == '1';
            if (plan.kind == pkMonthly)
                return plan.months.find('1') == std::string::npos ||
                       (plan.months[static_cast<size_t>(DecodeDate(Days(local)).month - 1)] == '1' &&
                        DecodeDate(Days(local)).day <= 28);
            return true;
        };
        if (options_.avoid.count("masked-start"))
            while (!allowed(start))
                start += kDay;
        // The editor's starts lie ahead: what a start in the past owes is
        // not what this simulation is about.
        while (ahead && (start <= clock_.Local() || (plan.kind == pkMonthly && DecodeDate(Days(start)).day > 28)))
            start += kDay;
        e.Name = EventName(id, plan.rename);
        e.StartDateTime = Days(start);
        e.LastDateTime = 0;
        e.PeriodInd = plan.kind;
        e.DifDateTime = Days(plan.step);
        e.DaysBin = plan.days;
        e.MonthsBin = plan.months;
        e.ExpiredInd = plan.expired;
        e.Dif2DateTime = plan.expired == ekRunAgain ? Days(plan.runAgain) : 0;
        e.DeleteAfterRun = plan.deleteAfterRun;
        e.Enabled = plan.enabled;
        e.EnabledNote = plan.note;
        e.EnabledSound = true;  // every run is heard, whatever else it does
        e.SoundFile = "sounds/e" + std::to_string(id) + ".wav";
        e.Notes = "Note of event " + std::to_string(id);
        e.EnabledAction = plan.action != 0;
        e.ActionIndex = plan.action >= 2 ? akTurnOff : akRunApplication;
        e.RunAppName = "program" + std::to_string(id) + ".exe";
        e.ShtShowWarning = plan.action != 3;
        return e;
    }

    void Do(const Step& s)
    {
        try {
            DoStep(s);
        } catch (const IniWriteError& error) {
            if (files_.Unwritable.empty())
                Fault(std::string("a write failed though the files can be written: ") + error.what());
        } catch (const std::exception& error) {
            Fault(std::string("the step threw: ") + error.what());
        }
    }

    void DoStep(const Step& s)
    {
        const Ms now = clock_.Instant();
        switch (s.kind) {
        case StepKind::SeedEvent: {
            if (engine_ || model_.Has(s.id))
                return;
            TEvent e = Make(s.event, s.id, false);
            if (s.event.ranAtStart)
                e.LastDateTime = e.StartDateTime + Days(10 * kSecond);
            if (s.event.snoozeOffset)
                e.SnoozeDateTime = Days(FloorTo(clock_.Local(), kMinute) + s.event.snoozeOffset);
            IniFile file(kEvents, &files_);
            e.SaveToFile(file);
            model_.Seed(s.id, e);
            return;
        }
        case StepKind::SeedBirthday: {
            if (engine_)
                return;
            const BirthdayPlan& plan = s.birthday;
            Model::BirthdaySeed seed{s.id, PersonName(s.id), plan.year, plan.month, plan.day,
                                     plan.r1, plan.r7, plan.r14, plan.enabled, 0};
            // Before the simulation the program ran every day up to its last day.
            if (!plan.neverReminded)
                seed.lastStart = model_.LatestReminderDay(seed, Today() - scenario_.awakeDaysBefore);
            TBirthday b;
            b.Name = seed.name;
            b.BirthDate = EncodeDate(plan.year, plan.month, plan.day);
            b.LastStart = seed.lastStart;
            b.Enabled = plan.enabled;
            b.EnabledNote = plan.note;
            b.EnabledSound = true;
            b.SoundFile = "sounds/b" + std::to_string(s.id) + ".wav";
            b.Notes = "%PersonName is %CountDays days away";
            b.Remind1Day = plan.r1;
            b.Remind1Week = plan.r7;
            b.Remind2Weeks = plan.r14;
            IniFile file(kBirthdays, &files_);
            b.SaveToFile(file);
            model_.SeedBirthday(seed);
            return;
        }
        case StepKind::Start:
            Start();
            return;
        case StepKind::Run:
            RunUntil(now + s.span);
            return;
        case StepKind::TickSeconds:
            for (Ms t = kSecond; t <= s.span && faults_.empty(); t += kSecond) {
                clock_.Set(clock_.Instant() + kSecond);
                Tick();
            }
            return;
        case StepKind::ThroughDst: {
            const Ms change = NextOffsetChange(now);
            if (change - now < 60 * kDay)
                RunUntil(change + 3 * kHour);
            return;
        }
        case StepKind::Sleep:
            clock_.Set(now + s.span);
            if (engine_) {
                const size_t boxes = view_.MissedBoxes.size();
                model_.Resumed(Today());
                engine_->Resumed();
                desktop_.Flush();
                Report(boxes);
                Tick();
            }
            return;
        case StepKind::Restart:
            if (engine_)
                Exit(s.flag);
            clock_.Set(now + s.span);
            Start();
            return;
        case StepKind::SetBack:
        case StepKind::SetForward:
            clock_.Set(now + (s.kind == StepKind::SetBack ? -s.span : s.span));
            if (s.kind == StepKind::SetBack)
                model_.ClockSetBack(clock_.Instant());
            if (engine_ && s.flag)
                engine_->ClockChanged();
            Tick();
            return;
        case StepKind::Wait:
            clock_.Set(now + s.span);
            model_.ClockMoved();
            return;
        case StepKind::NestedTick: {
            if (!engine_)
                return;
            const int before = firings_;
            engine_->Tick();
            desktop_.Flush();
            if (firings_ != before)
                Fault("a tick from inside a countdown fired something");
            return;
        }
        case StepKind::WritesFail:
            if (s.flag) {
                files_.Unwritable.insert(kEvents);
                model_.Lenient = true;
            } else {
                files_.Unwritable.clear();
            }
            return;
        default:
            break;
        }
        if (!engine_)
            return;  // the user's commands need the program
        UserCommand(s);
    }

    void UserCommand(const Step& s)
    {
        const Ms now = clock_.Instant();
        const std::string name = Name(s.id);
        const TEvent* current = engine_->Events().Find(name);
        if (static_cast<bool>(current) != model_.Has(s.id))
            Fault(name + (current ? " is in the program's list but should be gone" : " is missing from the program's list"));
        switch (s.kind) {
        case StepKind::Add: {
            if (current)
                return;
            TEvent e = Make(s.event, s.id, true);
            // As the editor makes it: the snooze it would arm is the program's to drop.
            e.SnoozeDateTime = e.StartDateTime + e.Dif2DateTime;
            engine_->AddEvent(std::make_unique<TEvent>(e));
            model_.Put(s.id, e, now);
            return;
        }
        case StepKind::Edit: {
            TEvent e = Make(s.event, s.id, true);
            if (current) {
                // The editor starts from the record as it is: its last run and snooze.
                e.LastDateTime = current->LastDateTime;
                e.SnoozeDateTime = current->SnoozeDateTime;
            }
            engine_->ReplaceEvent(name, e);
            model_.Put(s.id, e, now);
            return;
        }
        case StepKind::Delete:
            if (engine_->DeleteEvent(name) != static_cast<bool>(current))
                Fault("DeleteEvent(" + name + ") answered wrongly");
            model_.Remove(s.id);
            return;
        case StepKind::Enable:
            engine_->SetEventEnabled(name, s.flag);
            model_.SetEnabled(s.id, s.flag, now);
            return;
        case StepKind::Snooze: {
            const Ms when = clock_.Local() + s.span;
            const bool found = engine_->Snooze(name, Days(when));
            if (found != static_cast<bool>(current))
                Fault("Snooze(" + name + ") answered wrongly");
            model_.Snooze(s.id, when);
            return;
        }
        default:
            return;
        }
    }

    // --- the lists, the files and the rows agree ----------------------------------

    void CheckLists()
    {
        for (const auto& p : view_.Problems)
            Fault(p);
        view_.Problems.clear();
        for (const auto& e : view_.Errors)
            if (files_.Unwritable.empty() && files_.FailedWrites == 0)
                Fault("the program reported an error: " + e);
        view_.Errors.clear();
        if (!engine_)
            return;
        const EventList& events = engine_->Events();
        // The model's events are the program's.
        const auto ids = model_.Ids();
        if (static_cast<int>(ids.size()) != events.Count()) {
            std::string names;
            for (int i = 0; i < events.Count(); ++i)
                names += " " + events[i].Name + (model_.Has(IdIn(events[i].Name, "Event ")) ? "" : "(!)");
            Fault("the program lists " + std::to_string(events.Count()) + " events, the model " +
                  std::to_string(ids.size()) + ":" + names);
            if (options_.verbose)
                std::printf("%s", model_.Dump().c_str());
            return;
        }
        for (int id : ids)
            if (!events.Find(model_.NameOf(id)))
                Fault(model_.NameOf(id) + " is missing from the program's list");
        // The rows the windows keep follow the list.
        if (view_.Rows.size() != static_cast<size_t>(events.Count()))
            Fault("the view has " + std::to_string(view_.Rows.size()) + " rows for " + std::to_string(events.Count()) + " events");
        if (files_.FailedWrites > 0 || !files_.Unwritable.empty())
            return;
        // The files read back are the lists.
        EventList read;
        LoadEvents(IniFile(kEvents, &files_), read);
        if (read.Count() != events.Count())
            Fault("events.ini holds " + std::to_string(read.Count()) + " events, the list " + std::to_string(events.Count()));
        for (int i = 0; i < events.Count(); ++i) {
            const TEvent* r = read.Find(events[i].Name);
            if (!r) {
                Fault(events[i].Name + " is not in events.ini");
                continue;
            }
            for (const char* key : EventKeys)
                if (r->KeyText(key) != events[i].KeyText(key))
                    Fault(events[i].Name + ": events.ini has " + key + "=" + r->KeyText(key) + ", the list " +
                          events[i].KeyText(key));
        }
        BirthdayList people;
        LoadBirthdays(IniFile(kBirthdays, &files_), people);
        const BirthdayList& list = engine_->Birthdays();
        if (people.Count() != list.Count())
            Fault("birthdays.ini holds " + std::to_string(people.Count()) + " birthdays, the list " + std::to_string(list.Count()));
        for (int i = 0; i < list.Count() && i < people.Count(); ++i)
            for (std::string_view key : BirthdayKeys())
                if (people[i].KeyText(key) != list[i].KeyText(key))
                    Fault(list[i].Name + ": birthdays.ini has " + std::string(key) + "=" + people[i].KeyText(key) +
                          ", the list " + list[i].KeyText(key));
    }

    const Scenario& scenario_;
    const Options& options_;
    SimClock clock_;
    MemoryFiles files_;
    SimView view_;
    SimDesktop desktop_;
    Model model_;
    std::unique_ptr<TReminders> engine_;
    std::deque<Step> modal_;
    std::vector<std::string> faults_;
    std::string pendingAction_;
    bool powerOff_ = false;
    int inCountdown_ = 0;
    int firings_ = 0;
    int step_ = 0;
};

}  // namespace

Outcome Play(const Scenario& scenario, const Options& options)
{
    Settings().ShowMisBirthWindow = true;
    Runner runner(scenario, options);
    return runner.Play();
}

std::string FaultKind(const std::string& fault)
{
    // Names, dates and numbers differ between a scenario and its shrunk form.
    std::string kind;
    bool skipping = false;
    for (size_t i = 0; i < fault.size(); ++i) {
        const char c = fault[i];
        if (fault.compare(i, 6, "Event ") == 0 || fault.compare(i, 8, "Person B") == 0)
            skipping = true;
        if (skipping && (c == ' ' || c == ',' || c == ':') && i > 0 && std::isdigit(static_cast<unsigned char>(fault[i - 1])))
            skipping = false;
        if (skipping || std::isdigit(static_cast<unsigned char>(c)))
            continue;
        kind += c;
    }
    return kind;
}

Scenario Shrink(const Scenario& failing, const Options& options, const std::string& fault)
{
    const std::string kind = FaultKind(fault);
    Options quiet = options;
    quiet.verbose = false;
    auto fails = [&](const std::vector<Step>& steps) {
        Scenario s = failing;
        s.steps = steps;
        const Outcome out = Play(s, quiet);
        return !out.faults.empty() && FaultKind(out.faults.front()) == kind;
    };
    std::vector<Step> steps = failing.steps;
    size_t chunks = 2;
    int budget = 3000;
    while (steps.size() >= 2 && budget > 0) {
        const size_t size = (steps.size() + chunks - 1) / chunks;
        bool reduced = false;
        for (size_t at = 0; at < steps.size() && budget > 0; at += size) {
            std::vector<Step> rest(steps.begin(), steps.begin() + static_cast<long>(at));
            rest.insert(rest.end(), steps.begin() + static_cast<long>(std::min(steps.size(), at + size)), steps.end());
            --budget;
            if (fails(rest)) {
                steps = rest;
                chunks = std::max<size_t>(chunks - 1, 2);
                reduced = true;
                break;
            }
        }
        if (!reduced) {
            if (chunks >= steps.size())
                break;
            chunks = std::min(steps.size(), chunks * 2);
        }
    }
    Scenario shrunk = failing;
    shrunk.steps = steps;
    return shrunk;
}

}  // namespace sim
