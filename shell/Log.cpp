#include "shell/Log.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Ini.h"
#include "core/TextCodec.h"

namespace {

struct LogTarget {
    std::mutex lock;  // entries come from the window thread and the timer thread
    std::string path;
    const IClock* clock = nullptr;
    const FormatSettings* locale = nullptr;
    bool formChecked = false;  // an older log in the ANSI code page has been converted
};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The log is UTF-8 with a byte-order mark, so that Notepad shows names in any
// script. A log kept by an earlier version is in the ANSI code page: it is
// converted once, whole, so that the file keeps its history and reads as one.
void ConvertAnsiLog(const std::string& path)
{
    std::string old;
    if (ReadFileStatus(path, old) != FileReadStatus::Ok || old.empty() || old.starts_with(kUtf8Bom))
        return;
    std::string text(kUtf8Bom);
    AppendAnsiAsUtf8(text, old);
    WriteFileAtomically(path, text);
}

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
    t.formChecked = false;
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
        if (!t.formChecked) {
            t.formChecked = true;
            ConvertAnsiLog(t.path);
        }
        FileCloser file{OpenFileUtf8(t.path, "ab")};
        if (file.f == nullptr)
            return;
        // A new (or emptied) log starts with its mark.
        if (std::fseek(file.f, 0, SEEK_END) == 0 && std::ftell(file.f) == 0)
            std::fwrite(kUtf8Bom.data(), 1, kUtf8Bom.size(), file.f);
        std::fwrite(line.data(), 1, line.size(), file.f);
    } catch (...) {
    }
}
