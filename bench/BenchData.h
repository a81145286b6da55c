// Test data for the benchmarks: an events.ini as a user with many reminders
// would have it, written into a private temporary folder.
#pragma once

#include <filesystem>
#include <string>

#include "core/DateTime.h"

// The moment the generated events are planned around (15 March 2024 08:30);
// every generated start lies after it.
inline constexpr TDateTime kBenchEpoch = 45366.3541666667;

// The name of generated event i (unique, mixed letter case).
std::string BenchEventName(int i);

// The bytes of an events.ini with n events of every kind: once, hourly,
// daily, weekly, monthly and annual, with notes, sounds and actions.
std::string MakeEventsFile(int n);

// A folder of its own under the temporary folder, removed again at the end.
class BenchFolder {
public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The full name of a file in the folder.
    std::string File(const std::string& name) const;
    // Writes bytes as they are (binary) into the named file; returns its full name.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};
