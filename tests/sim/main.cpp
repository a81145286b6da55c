// vellomir_sim: plays seeded scenarios against the reminders and checks with
// the reference model that every owed run fires exactly once.
//
//   vellomir_sim --seed N [--verbose]   one scenario, step by step with -v
//   vellomir_sim --seeds A-B            the fixed set (the test suite's)
//   vellomir_sim --minutes N            random seeds for N minutes
//   --write-failures                    also make events.ini unwritable at times
//   --avoid masked-start,...            leave out situations of a known fault
//   --no-shrink                         report failing seeds without shrinking them
//
// A failing seed is printed with its first fault and a shrunk list of steps.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/sim/Scenario.h"

namespace {

using namespace sim;

int Usage()
{
    std::fprintf(stderr,
                 "usage: vellomir_sim --seed N [--verbose] | --seeds A-B | --minutes N  [--write-failures] [--avoid a,b] [--no-shrink]\n");
    return 2;
}

// Plays one seed; on failure prints it with its shrunk steps.
bool Check(std::uint64_t seed, const Options& options, bool shrink, double& days)
{
    const Scenario scenario = Generate(seed, options);
    const Outcome out = Play(scenario, options);
    days += out.simulatedDays;
    if (out.faults.empty())
        return true;
    std::printf("seed %llu FAILED at step %d: %s\n", static_cast<unsigned long long>(seed), out.stepFailed,
                out.faults.front().c_str());
    for (size_t i = 1; i < out.faults.size() && i < 5; ++i)
        std::printf("  and: %s\n", out.faults[i].c_str());
    if (!shrink) {
        std::printf("  replay: vellomir_sim --seed %llu --verbose\n", static_cast<unsigned long long>(seed));
        return false;
    }
    const Scenario shrunk = Shrink(scenario, options, out.faults.front());
    Options quiet = options;
    quiet.verbose = false;
    const Outcome again = Play(shrunk, quiet);
    std::printf("  shrunk to %zu of %zu steps (%s):\n", shrunk.steps.size(), scenario.steps.size(),
                again.faults.empty() ? "?" : again.faults.front().c_str());
    for (const Step& step : shrunk.steps)
        std::printf("    %s\n", Describe(step).c_str());
    if (options.verbose) {
        std::printf("  the shrunk steps, played:\n");
        Play(shrunk, options);
    }
    std::printf("  replay: vellomir_sim --seed %llu --verbose\n", static_cast<unsigned long long>(seed));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    bool shrink = true;
    enum { None, One, Range, Minutes } mode = None;
    std::uint64_t first = 0, last = 0;
    double minutes = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--no-shrink") {
            shrink = false;
        } else if (arg == "--write-failures") {
            options.writeFailures = true;
        } else if (arg == "--avoid" && hasValue) {
            std::string list = argv[++i];
            for (size_t at = 0; at <= list.size();) {
                const size_t comma = std::min(list.find(',', at), list.size());
                options.avoid.insert(list.substr(at, comma - at));
                at = comma + 1;
            }
        } else if (arg == "--seed" && hasValue) {
            mode = One;
            first = last = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--seeds" && hasValue) {
            mode = Range;
            const std::string range = argv[++i];
            const auto dash = range.find('-');
            if (dash == std::string::npos)
                return Usage();
            first = std::strtoull(range.substr(0, dash).c_str(), nullptr, 10);
            last = std::strtoull(range.substr(dash + 1).c_str(), nullptr, 10);
        } else if (arg == "--minutes" && hasValue) {
            mode = Minutes;
            minutes = std::atof(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (mode == None)
        return Usage();

    const auto began = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(); };
    double days = 0;
    int played = 0, failed = 0;
    if (mode == Minutes) {
        std::mt19937_64 seeds(std::random_device{}());
        while (elapsed() < minutes * 60) {
            failed += Check(seeds() % 1000000000ULL, options, shrink, days) ? 0 : 1;
            ++played;
        }
    } else {
        for (std::uint64_t seed = first; seed <= last; ++seed) {
            failed += Check(seed, options, shrink, days) ? 0 : 1;
            ++played;
        }
    }
    const double seconds = elapsed();
    std::printf("%d scenarios, %d failed; %.0f simulated days in %.1f s (%.0f days per second)\n", played, failed,
                days, seconds, seconds > 0 ? days / seconds : 0.0);
    return failed == 0 ? 0 : 1;
}
