// Google Benchmark programs for the costs that matter to a resident program:
// loading events.ini at start-up, saving one event into a big file, and the
// once-a-second scheduler tick that nearly always finds nothing to do.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "BenchData.h"
#include "core/Clock.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Reminders.h"
#include "core/Unicode.h"

// Every allocation of the process passes through these, so a benchmark can
// tell whether the code it measures allocates.
namespace {
std::atomic<long long> g_allocations{0};

void* CountedAlloc(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Loads the whole file as the start-up does: read, parse, one record per
// section. The file in the ANSI code page, as most files are, or in UTF-16 LE,
// as a file is once a name outside the code page went in.
void LoadEvents(benchmark::State& state, bool utf16)
{
    const int n = static_cast<int>(state.range(0));
    BenchFolder folder;
    std::string bytes = MakeEventsFile(n);
    if (utf16) {
        std::string wide = "\xFF\xFE";
        AppendUtf8AsUtf16Le(wide, bytes);
        bytes = std::move(wide);
    }
    const IniFile file(folder.Write("events.ini", bytes));
    EventList list;
    for (auto _ : state) {
        // Freeing the last round's records is not part of a load.
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
        LoadEvents(file, list);
        benchmark::DoNotOptimize(list.Count());
    }
    if (list.Count() != n)
        state.SkipWithError("the generated file did not load completely");
    state.counters["events"] = n;
}

void BM_LoadEvents(benchmark::State& state)
{
    LoadEvents(state, false);
}
BENCHMARK(BM_LoadEvents)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadEventsUtf16(benchmark::State& state)
{
    LoadEvents(state, true);
}
BENCHMARK(BM_LoadEventsUtf16)->Arg(10000)->Unit(benchmark::kMillisecond);

// The floor under BM_LoadEvents: the same file read and cut into lines,
// nothing parsed.
void BM_ReadLines(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    BenchFolder folder;
    const std::string path = folder.Write("events.ini", MakeEventsFile(n));
    std::vector<std::string_view> lines;
    for (auto _ : state) {
        std::string bytes;
        ReadWholeFile(path, bytes);
        lines.clear();
        // The file has CR LF line ends: cut at each LF, drop the CR.
        const char* at = bytes.data();
        const char* const end = at + bytes.size();
        while (at < end) {
            const char* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            const char* stop = lf ? lf : end;
            const char* text = stop > at && stop[-1] == '\r' ? stop - 1 : stop;
            lines.emplace_back(at, static_cast<std::size_t>(text - at));
            at = lf ? lf + 1 : end;
        }
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_ReadLines)->Arg(10000)->Unit(benchmark::kMillisecond);


// One edited event written back into a file that holds n events.
void BM_SaveEvent(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    BenchFolder folder;
    IniFile file(folder.Write("events.ini", MakeEventsFile(n)));
    EventList list;
    LoadEvents(file, list);
    if (list.Count() != n) {
        state.SkipWithError("the generated file did not load completely");
        return;
    }
    TEvent& e = list[n / 2];
    for (auto _ : state) {
        e.LastDateTime += 1.0 / 1440;  // a change, so every save differs
        e.SaveToFile(file);
    }
    state.counters["events"] = n;
}
BENCHMARK(BM_SaveEvent)->Arg(10000)->Unit(benchmark::kMillisecond);

// Counts what the reminders bring up; shows nothing.
class CountingDesktop final : public IDesktop {
public:
    void ShowNote(const NoteRequest&) override { ++notes; }
    unsigned PlaySoundFile(const std::string&) override { return 0; }
    void StopSound(unsigned) override {}
    void ShellOpen(const std::string&, const std::string&, int) override {}
    bool CountdownOpen() const override { return false; }
    void RunCountdown(const std::string&, unsigned, int) override {}
    void RunPowerAction(unsigned) override {}
    void ShowMissedSummary(const std::vector<MissedReminder>& runs) override { summarized += runs.size(); }
    int notes = 0;
    std::size_t summarized = 0;
};

// The reminders over a folder with this events.ini, started up at now.
std::unique_ptr<TReminders> StartedReminders(BenchFolder& folder, const std::string& events, const IClock& clock,
                                             IDesktop& desktop)
{
    RemindersOptions options;
    options.EventsPath = folder.Write("events.ini", events);
    options.BirthdaysPath = folder.Write("birthdays.ini", "");
    options.Clock = &clock;
    options.Desktop = &desktop;
    auto reminders = std::make_unique<TReminders>(options);
    reminders->Load();
    reminders->StartUp();
    return reminders;
}

// The tick of an ordinary second: nothing due, today's birthdays done.
void BM_IdleTick(benchmark::State& state)
{
    BenchFolder folder;
    ManualClock clock(kBenchEpoch - 0.5);
    CountingDesktop desktop;
    auto reminders = StartedReminders(folder, MakeEventsFile(1000), clock, desktop);
    reminders->Tick();  // the day's birthday scan
    if (desktop.notes != 0 || !(reminders->NextDueTime() > clock.Now())) {
        state.SkipWithError("the set-up left something due");
        return;
    }

    const long long before = g_allocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        reminders->Tick();
        benchmark::ClobberMemory();
    }
    const long long allocations = g_allocations.load(std::memory_order_relaxed) - before;

    state.counters["allocs"] = static_cast<double>(allocations);
    if (desktop.notes != 0)
        state.SkipWithError("an idle tick fired something");
    else if (allocations != 0)
        state.SkipWithError("an idle tick allocated memory");
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kNanosecond);

// The scan after a week asleep: n events all due during the sleep, late, one
// summary and one write for all of them.
void BM_LateScan(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::string events;
    for (int i = 0; i < n; ++i)
        events += "[Event " + std::to_string(i) + "]\r\nEnabled=1\r\nEnabledNote=1\r\nPeriodInd=1\r\nDifDateTime=" +
                  FormatNumber(1.0 / 24, '.') + "\r\nStartDateTime=" + FormatNumber(kBenchEpoch + 1 + i / 86400.0, '.') +
                  "\r\nNotes=Line one<br>line two\r\n";
    std::size_t summarized = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchFolder folder;
        ManualClock clock(kBenchEpoch);
        CountingDesktop desktop;
        auto reminders = StartedReminders(folder, events, clock, desktop);
        clock.Advance(8);  // the wake-up a week later
        state.ResumeTiming();
        reminders->Tick();
        state.PauseTiming();
        summarized = desktop.summarized;
        reminders.reset();
        state.ResumeTiming();
    }
    if (summarized != static_cast<std::size_t>(n))
        state.SkipWithError("the runs did not all go to one summary");
    state.counters["runs"] = static_cast<double>(summarized);
}
BENCHMARK(BM_LateScan)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
