#include "shell/Log.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "core/Clock.h"
#include "core/DateFormat.h"

namespace {

struct LogTarget {
    std::mutex lock;  // entries come from the window thread and the timer thread
    std::string path;
    const IClock* clock = nullptr;
    const FormatSettings* locale = nullptr;
};

LogTarget& Target()
{
    static LogTarget target;
    return target;
}

// Closes the file on every way out of WriteLog.
struct FileCloser {
    std::FILE* f;
    ~FileCloser()
    {
        if (f != nullptr)
            std::fclose(f);
    }
};

}  // namespace

void ConfigureLog(std::string path, const IClock* clock, const FormatSettings* locale)
{
    LogTarget& t = Target();
    std::lock_guard<std::mutex> guard(t.lock);
    t.path = std::move(path);
    t.clock = clock;
    t.locale = locale;
}

const std::string& LogPath()
{
    return Target().path;
}

std::string FormatLogLine(std::string_view message, double now, const FormatSettings& locale)
{
    std::string line = DateTimeToString(now, locale);
    line += ' ';
    // One entry is one line: a break inside the message (an exception text, a
    // folder name) would otherwise split it and leave a line without a date.
    for (char c : message)
        line += (c == '\r' || c == '\n') ? ' ' : c;
    line += "\r\n";
    return line;
}

void WriteLog(std::string_view message) noexcept
{
    // The log only serves diagnosis: whatever goes wrong here must not end the
    // operation that wanted to log, so every failure is swallowed.
    try {
        LogTarget& t = Target();
        std::lock_guard<std::mutex> guard(t.lock);
        if (t.path.empty())
            return;
        const IClock& clock = t.clock != nullptr ? *t.clock : SystemClock();
        const FormatSettings& locale = t.locale != nullptr ? *t.locale : CurrentFormatSettings();
        const std::string line = FormatLogLine(message, clock.Now(), locale);

        // Binary append: the line carries its own CR LF, and every write goes
        // to the end even if someone else appended meanwhile.
        FileCloser file{std::fopen(t.path.c_str(), "ab")};
        if (file.f == nullptr)
            return;
        std::fwrite(line.data(), 1, line.size(), file.f);
    } catch (...) {
    }
}
