// The Windows build's benchmarks (MinGW has no Google Benchmark): a small
// timing loop that measures our INI engine beside the classic profile
// functions on the same events.ini, so that the two can be compared in one run.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchData.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/win/Text.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs body once to warm up, then repeatedly for at least minSeconds (and at
// least minIterations times), and prints the mean time per run.
void Run(const char* name, const std::function<void()>& body, double minSeconds = 0.5,
         int minIterations = 3)
{
    body();
    long long iterations = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        body();
        ++iterations;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < minSeconds || iterations < minIterations);
    std::printf("%-32s %12.3f ms %10lld\n", name, elapsed * 1000.0 / static_cast<double>(iterations),
                iterations);
    std::fflush(stdout);
}

// The section names through GetPrivateProfileSectionNamesW. The buffer grows
// until the list fits, so that every event is read; the call reports a list
// that did not fit by returning the buffer size minus two.
std::vector<std::wstring> ProfileSectionNames(const std::wstring& path)
{
    std::vector<wchar_t> buffer(16384);
    for (;;) {
        const DWORD got = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         path.c_str());
        if (got + 2 < buffer.size())
            break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> names;
    for (const wchar_t* p = buffer.data(); *p != L'\0'; p += names.back().size() + 1)
        names.emplace_back(p);
    return names;
}

// Every key of every event through GetPrivateProfileStringW, as a loader built
// on the profile functions reads them (the values are kept as text; turning
// them into numbers costs the same on both sides).
std::size_t LoadWithProfileApi(const std::string& path)
{
    std::size_t values = 0;
    wchar_t value[2048];
    const std::wstring widePath = Widen(path);
    for (const std::wstring& section : ProfileSectionNames(widePath)) {
        for (const char* key : EventKeys) {
            GetPrivateProfileStringW(section.c_str(), Widen(key).c_str(), L"", value, 2048, widePath.c_str());
            ++values;
        }
    }
    return values;
}

// One event written key by key with WritePrivateProfileStringW.
void SaveWithProfileApi(const std::string& path, const std::string& section, int round)
{
    const std::wstring start = std::to_wstring(45366 + round) + L".3541666667";
    const std::wstring wideSection = Widen(section);
    const std::wstring widePath = Widen(path);
    for (const char* key : EventKeys) {
        const bool changed = std::string(key) == "LastDateTime";
        WritePrivateProfileStringW(wideSection.c_str(), Widen(key).c_str(), changed ? start.c_str() : L"1",
                                   widePath.c_str());
    }
}

}  // namespace

int main()
{
    constexpr int n = 1000;
    BenchFolder folder;
    std::printf("%-32s %15s %10s\n", "Benchmark", "Time", "Iterations");
    const std::string bytes = MakeEventsFile(n);

    {
        const IniFile file(folder.Write("load.ini", bytes));
        EventList list;
        Run("BM_LoadEvents/1000", [&] { LoadEvents(file, list); });
        if (list.Count() != n) {
            std::printf("error: loaded %d of %d events\n", list.Count(), n);
            return 1;
        }
    }
    {
        IniFile file(folder.Write("save.ini", bytes));
        EventList list;
        LoadEvents(file, list);
        TEvent& e = list[n / 2];
        Run("BM_SaveEvent/1000", [&] {
            e.LastDateTime += 1.0 / 1440;
            e.SaveToFile(file);
        });
    }
    {
        const std::string path = folder.Write("load-profile.ini", bytes);
        std::size_t values = 0;
        Run("BM_LoadEventsProfileApi/1000", [&] { values = LoadWithProfileApi(path); });
        if (values != static_cast<std::size_t>(n) * EventKeyCount) {
            std::printf("error: read %zu values of %d events\n", values, n);
            return 1;
        }
    }
    {
        const std::string path = folder.Write("save-profile.ini", bytes);
        const std::string section = BenchEventName(n / 2);
        int round = 0;
        Run("BM_SaveEventProfileApi/1000", [&] { SaveWithProfileApi(path, section, ++round); });
    }
    return 0;
}
