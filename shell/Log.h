// The program's diagnostic log, log.txt beside the executable, in UTF-8 with a
// byte-order mark (a log an earlier version kept in the ANSI code page is
// converted at the first entry): one line per entry, the local date and time in the locale's short date and long time
// (no time at exactly midnight), a blank, the message, CR LF.
#pragma once

#include <string>
#include <string_view>

class IClock;
struct FormatSettings;

// Where entries go and where their time stamps come from. Until configured,
// WriteLog writes nothing. clock and locale (when not null) must outlive every
// later WriteLog; a null locale means CurrentFormatSettings().
void ConfigureLog(std::string path, const IClock* clock, const FormatSettings* locale = nullptr);
const std::string& LogPath();

// Appends one entry. Best effort: a log that cannot be opened or written is
// skipped silently; this never throws.
void WriteLog(std::string_view message) noexcept;

// The line that WriteLog appends for a message at a moment, CR LF included.
std::string FormatLogLine(std::string_view message, double now, const FormatSettings& locale);
