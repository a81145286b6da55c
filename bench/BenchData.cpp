#include "BenchData.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "core/DateFormat.h"
#include "core/Event.h"
#include "core/IniValues.h"

namespace {

const char* const kSubjects[] = {
    "Call the dentist", "Pay the rent",  "Team meeting",   "Water the plants", "Backup photos",
    "Take medicine",    "Gym",           "Renew passport", "Car service",      "Weekly report",
    "Stand up",         "Check mail",    "Pick up kids",   "Book flights",     "Quarterly taxes",
};

const char* const kSounds[] = {
    "",
    "C:\\Program Files\\Vellomir\\sounds\\chime.wav",
    "C:\\Program Files\\Vellomir\\sounds\\alarm.wav",
    "D:\\Music\\Alerts\\gentle bell.wav",
};

void Key(std::string& out, const char* key, const std::string& value)
{
    out += key;
    out += '=';
    out += value;
    out += "\r\n";
}

}  // namespace

std::string BenchEventName(int i)
{
    std::string name = kSubjects[i % 15];
    name += " #";
    name += std::to_string(i);
    return name;
}

std::string MakeEventsFile(int n)
{
    const char sep = CurrentFormatSettings().DecimalSeparator;
    auto number = [sep](double v) { return FormatNumber(v, sep); };

    std::mt19937 rng(20240315);  // the same file on every run
    std::uniform_real_distribution<double> ahead(0.01, 400.0);
    std::string out;
    out.reserve(static_cast<size_t>(n) * 640);
    for (int i = 0; i < n; ++i) {
        const int period = i % 6;
        const bool action = i % 9 == 0;
        // Starts to the minute, somewhere in the next year or so.
        const double start = kBenchEpoch + static_cast<double>(static_cast<long>(ahead(rng) * 1440)) / 1440;
        std::string notes = "Reminder " + std::to_string(i) + ": " + kSubjects[i % 15];
        if (i % 3 == 0)
            notes += "\r\nBring the papers from the blue folder.\r\nDo not forget!";

        out += '[';
        out += BenchEventName(i);
        out += "]\r\n";
        Key(out, "Enabled", FormatFlag(i % 11 != 0));
        Key(out, "EnabledSound", FormatFlag(i % 4 != 0));
        Key(out, "EnabledNote", FormatFlag(true));
        Key(out, "EnabledAction", FormatFlag(action));
        Key(out, "SoundFile", kSounds[i % 4]);
        Key(out, "Notes", EncodeNotes(notes));
        Key(out, "StartDateTime", number(start));
        Key(out, "LastDateTime", number(i % 5 == 0 ? NeverTime : start - 7));
        const double steps[] = {0, 1.0 / 24 + 15.0 / 1440, 1, 7, 31, 365};
        Key(out, "DifDateTime", number(steps[period]));
        Key(out, "SnoozeDateTime", number(i % 7 == 0 ? start - 0.25 : 0));
        Key(out, "Dif2DateTime", number(i % 2 == 0 ? 5.0 / 1440 : 0));
        Key(out, "PeriodInd", FormatInt(period));
        Key(out, "ExpiredInd", FormatInt(i % 3));
        Key(out, "DeleteAfterRun", FormatFlag(period == pkOnce && i % 2 == 0));
        Key(out, "IconIndex", FormatInt(i % 24));
        Key(out, "DaysBin", period == pkDaily ? "0111110" : "0000000");
        Key(out, "MonthsBin", period == pkMonthly ? "111111111111" : "000000000000");
        Key(out, "ActionIndex", FormatInt(action ? i % 4 : 0));
        Key(out, "RunAppName", action ? "C:\\Windows\\notepad.exe" : "");
        Key(out, "RunAppParams", action ? "C:\\Users\\me\\todo.txt" : "");
        Key(out, "RunAppCmdInd", FormatInt(0));
        Key(out, "ShtShowingSec", FormatInt(10 + i % 50));
        Key(out, "ShtCloseByForce", FormatFlag(false));
        Key(out, "ShowInTTDaysBefore", FormatInt(i % 8));
        Key(out, "ShtShowWarning", FormatFlag(true));
    }
    return out;
}

BenchFolder::BenchFolder()
{
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("vellomir-bench-" + std::to_string(seed()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder for the benchmarks");
}

BenchFolder::~BenchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string BenchFolder::File(const std::string& name) const
{
    return (path_ / name).string();
}

std::string BenchFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}
