#include "core/DateFormat.h"

#include <cstddef>
#include <utility>

namespace {

// The pattern handed to FormatDateTime is level 0; the locale patterns that
// c, ddddd, dddddd, t and tt name are level 1 and may not expand further.
constexpr int kMaxDepth = 2;

char ToUpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAsciiLetter(char c)
{
    const char u = ToUpperAscii(c);
    return u >= 'A' && u <= 'Z';
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view prefix)
{
    if (text.size() - pos < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (ToUpperAscii(text[pos + i]) != ToUpperAscii(prefix[i]))
            return false;
    }
    return true;
}

// The length of the am/pm token starting at pos, or 0 when none starts there.
// "am/pm" is tried before "ampm" so that the longer slash form wins.
std::size_t AmPmTokenLength(std::string_view pattern, std::size_t pos)
{
    if (StartsWithNoCase(pattern, pos, "am/pm"))
        return 5;
    if (StartsWithNoCase(pattern, pos, "a/p"))
        return 3;
    if (StartsWithNoCase(pattern, pos, "ampm"))
        return 4;
    return 0;
}

// Index just past the quoted text whose opening quote is at pos (the end of
// the pattern when the quote is never closed).
std::size_t SkipQuoted(std::string_view pattern, std::size_t pos)
{
    const std::size_t close = pattern.find(pattern[pos], pos + 1);
    return close == std::string_view::npos ? pattern.size() : close + 1;
}

// Whether the pattern itself (not the locale patterns it names) holds an
// am/pm token outside quoted text; its hours then use the 12-hour clock.
bool HasAmPmToken(std::string_view pattern)
{
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            i = SkipQuoted(pattern, i);
        } else if (c == 'a' || c == 'A') {
            const std::size_t len = AmPmTokenLength(pattern, i);
            if (len != 0)
                return true;
            ++i;
        } else {
            ++i;
        }
    }
    return false;
}

void AppendNumber(std::string& out, int value, int minDigits)
{
    const std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits)
        out.append(static_cast<std::size_t>(minDigits) - digits.size(), '0');
    out += digits;
}

class Formatter {
public:
    Formatter(TDateTime value, const FormatSettings& fs)
        : fs_(fs), date_(DecodeDate(value)), time_(DecodeTime(value)), weekday_(DayOfWeek(value))
    {
    }

    void Append(std::string_view pattern, int depth);
    std::string Take() { return std::move(out_); }

private:
    void Expand(std::string_view pattern, int depth)
    {
        if (depth + 1 < kMaxDepth)
            Append(pattern, depth + 1);
    }

    const FormatSettings& fs_;
    DateParts date_;
    TimeParts time_;
    int weekday_;
    std::string out_;
};

void Formatter::Append(std::string_view pattern, int depth)
{
    const bool twelveHour = HasAmPmToken(pattern);
    char lastLetter = ' ';
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char starter = pattern[i];
        char token = ToUpperAscii(starter);
        if (IsAsciiLetter(token)) {
            // "m" right after an hour means minutes; only letters count as
            // "before", so "hh:mm" and "h mm" both give minutes.
            if (token == 'M' && lastLetter == 'H')
                token = 'N';
            lastLetter = token;
        }

        // The run of the same letter (in any case) starting here.
        std::size_t runEnd = i + 1;
        if (IsAsciiLetter(starter)) {
            while (runEnd < pattern.size() && ToUpperAscii(pattern[runEnd]) == ToUpperAscii(starter))
                ++runEnd;
        }
        const int count = static_cast<int>(runEnd - i);
        std::size_t next = runEnd;

        switch (token) {
        case 'Y':
            if (count <= 2)
                AppendNumber(out_, date_.year % 100, 2);
            else
                AppendNumber(out_, date_.year, 4);
            break;
        case 'M':
            if (count <= 2)
                AppendNumber(out_, date_.month, count);
            else if (count == 3)
                out_ += fs_.ShortMonthNames[static_cast<std::size_t>(date_.month - 1)];
            else
                out_ += fs_.LongMonthNames[static_cast<std::size_t>(date_.month - 1)];
            break;
        case 'D':
            if (count <= 2)
                AppendNumber(out_, date_.day, count);
            else if (count == 3)
                out_ += fs_.ShortDayNames[static_cast<std::size_t>(weekday_ - 1)];
            else if (count == 4)
                out_ += fs_.LongDayNames[static_cast<std::size_t>(weekday_ - 1)];
            else if (count == 5)
                Expand(fs_.ShortDateFormat, depth);
            else
                Expand(fs_.LongDateFormat, depth);
            break;
        case 'H': {
            int hour = time_.hour;
            if (twelveHour) {
                if (hour == 0)
                    hour = 12;
                else if (hour > 12)
                    hour -= 12;
            }
            AppendNumber(out_, hour, count > 2 ? 2 : count);
            break;
        }
        case 'N':
            AppendNumber(out_, time_.minute, count > 2 ? 2 : count);
            break;
        case 'S':
            AppendNumber(out_, time_.second, count > 2 ? 2 : count);
            break;
        case 'Z':
            AppendNumber(out_, time_.millisecond, count > 3 ? 3 : count);
            break;
        case 'T':
            Expand(count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth);
            break;
        case 'C':
            if (depth + 1 < kMaxDepth) {
                Expand(fs_.ShortDateFormat, depth);
                if (time_.hour != 0 || time_.minute != 0 || time_.second != 0 || time_.millisecond != 0) {
                    out_ += ' ';
                    Expand(fs_.LongTimeFormat, depth);
                }
            }
            break;
        case 'A': {
            const bool pm = time_.hour >= 12;
            const std::size_t len = AmPmTokenLength(pattern, i);
            if (len == 5) {
                // Copies the pattern's own "am" or "pm", keeping its case.
                out_ += pattern.substr(pm ? i + 3 : i, 2);
            } else if (len == 3) {
                out_ += pattern[pm ? i + 2 : i];
            } else if (len == 4) {
                out_ += pm ? fs_.TimePMString : fs_.TimeAMString;
            } else {
                out_ += starter;  // a lone "a" is plain text
            }
            next = len != 0 ? i + len : i + 1;
            break;
        }
        case '/':
            if (fs_.DateSeparator != '\0')
                out_ += fs_.DateSeparator;
            break;
        case ':':
            if (fs_.TimeSeparator != '\0')
                out_ += fs_.TimeSeparator;
            break;
        case '\'':
        case '"': {
            const std::size_t close = pattern.find(starter, i + 1);
            const std::size_t textEnd = close == std::string_view::npos ? pattern.size() : close;
            out_.append(pattern.substr(i + 1, textEnd - (i + 1)));
            next = close == std::string_view::npos ? pattern.size() : close + 1;
            break;
        }
        default:
            // Letters without a meaning are plain text, like any other character.
            out_.append(pattern.substr(i, static_cast<std::size_t>(count)));
            break;
        }
        i = next;
    }
}

}  // namespace

const FormatSettings& EnglishUSFormatSettings()
{
    static const FormatSettings settings = [] {
        FormatSettings fs;
        fs.DateSeparator = '/';
        fs.TimeSeparator = ':';
        fs.DecimalSeparator = '.';
        fs.ShortDateFormat = "m/d/yyyy";
        fs.LongDateFormat = "dddd, mmmm d, yyyy";
        fs.ShortTimeFormat = "h:nn AMPM";
        fs.LongTimeFormat = "h:nn:ss AMPM";
        fs.TimeAMString = "AM";
        fs.TimePMString = "PM";
        fs.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        fs.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                             "July",    "August",   "September", "October", "November", "December"};
        fs.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        fs.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
        return fs;
    }();
    return settings;
}

namespace {

FormatSettings& CurrentSettingsStore()
{
    static FormatSettings current = EnglishUSFormatSettings();
    return current;
}

}  // namespace

const FormatSettings& CurrentFormatSettings()
{
    return CurrentSettingsStore();
}

void SetCurrentFormatSettings(const FormatSettings& settings)
{
    CurrentSettingsStore() = settings;
}

std::string FormatDateTime(std::string_view pattern, TDateTime value, const FormatSettings& fs)
{
    Formatter formatter(value, fs);
    formatter.Append(pattern.empty() ? std::string_view("c") : pattern, 0);
    return formatter.Take();
}

namespace {

// Builds a pattern in our language out of tokens and plain text, quoting the
// plain text that our language would otherwise read as tokens.
class PatternWriter {
public:
    PatternWriter(char dateSeparator, char timeSeparator)
        : dateSeparator_(dateSeparator), timeSeparator_(timeSeparator)
    {
    }

    void Token(std::string_view token)
    {
        CloseQuote();
        // Two tokens of the same letter would fuse into one ("h" then "h"
        // would read as "hh"); an empty quoted text keeps them apart.
        if (!out_.empty() && IsAsciiLetter(out_.back()) && lastWasToken_ &&
            ToUpperAscii(out_.back()) == ToUpperAscii(token.front()))
            out_ += "''";
        out_ += token;
        lastWasToken_ = true;
    }

    // Text that Windows showed as it stands, outside quotes.
    void Plain(char c)
    {
        if ((c == '/' && dateSeparator_ == '/') || (c == ':' && timeSeparator_ == ':')) {
            CloseQuote();
            out_ += c;  // our separator token prints the same character
        } else if (IsAsciiLetter(c) || c == '/' || c == ':' || c == '\'' || c == '"') {
            Quoted(c);
        } else {
            CloseQuote();
            out_ += c;
        }
        lastWasToken_ = false;
    }

    // Text that Windows had in quotes: it stays quoted.
    void Quoted(char c)
    {
        if (c == '\'') {
            // A single quote cannot sit inside single quotes; double ones hold it.
            CloseQuote();
            out_ += "\"'\"";
        } else {
            if (!inQuote_) {
                out_ += '\'';
                inQuote_ = true;
            }
            out_ += c;
        }
        lastWasToken_ = false;
    }

    std::string Finish()
    {
        CloseQuote();
        // A dropped era leaves its neighbouring blank at either end.
        const std::size_t first = out_.find_first_not_of(' ');
        if (first == std::string::npos)
            return {};
        const std::size_t last = out_.find_last_not_of(' ');
        return out_.substr(first, last - first + 1);
    }

private:
    void CloseQuote()
    {
        if (inQuote_) {
            out_ += '\'';
            inQuote_ = false;
        }
    }

    char dateSeparator_;
    char timeSeparator_;
    bool inQuote_ = false;
    bool lastWasToken_ = false;
    std::string out_;
};

enum class WindowsPatternKind { Date, Time };

// The pattern-language token for a run of one Windows picture letter, or
// nullptr when the letter is plain text in that kind of pattern. An empty
// string means the run is dropped.
const char* TranslateRun(WindowsPatternKind kind, char letter, std::size_t count)
{
    if (kind == WindowsPatternKind::Date) {
        switch (letter) {
        case 'd':
            return count == 1 ? "d" : count == 2 ? "dd" : count == 3 ? "ddd" : "dddd";
        case 'M':
            return count == 1 ? "m" : count == 2 ? "mm" : count == 3 ? "mmm" : "mmmm";
        case 'y':
            // Our language has no one-digit year; two digits come closest.
            return count <= 2 ? "yy" : "yyyy";
        case 'g':
            return "";
        default:
            return nullptr;
        }
    }
    switch (letter) {
    case 'h':
    case 'H':
        // Whether the clock runs to 12 or 24 follows from the am/pm marker.
        return count == 1 ? "h" : "hh";
    case 'm':
        // n, not m: our "m" means minutes only right after an hour.
        return count == 1 ? "n" : "nn";
    case 's':
        return count == 1 ? "s" : "ss";
    case 't':
        // Windows' one-letter marker is the first letter of the locale's
        // marker text; we can only print the whole text.
        return "AMPM";
    default:
        return nullptr;
    }
}

std::string TranslateWindowsPattern(std::string_view w, WindowsPatternKind kind, char dateSeparator,
                                    char timeSeparator)
{
    PatternWriter writer(dateSeparator, timeSeparator);
    std::size_t i = 0;
    while (i < w.size()) {
        const char c = w[i];
        if (c == '\'') {
            // '' anywhere is one quote character; otherwise text up to the
            // next lone quote (or the end) is shown as it stands.
            if (i + 1 < w.size() && w[i + 1] == '\'') {
                writer.Quoted('\'');
                i += 2;
                continue;
            }
            ++i;
            while (i < w.size()) {
                if (w[i] == '\'') {
                    if (i + 1 < w.size() && w[i + 1] == '\'') {
                        writer.Quoted('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                writer.Quoted(w[i]);
                ++i;
            }
            continue;
        }
        std::size_t runEnd = i + 1;
        while (runEnd < w.size() && w[runEnd] == c)
            ++runEnd;
        const char* token = TranslateRun(kind, c, runEnd - i);
        if (token == nullptr) {
            writer.Plain(c);
            ++i;
            continue;
        }
        if (*token != '\0')
            writer.Token(token);
        i = runEnd;
    }
    return writer.Finish();
}

}  // namespace

std::string TranslateWindowsDatePattern(std::string_view windowsPattern, char dateSeparator, char timeSeparator)
{
    return TranslateWindowsPattern(windowsPattern, WindowsPatternKind::Date, dateSeparator, timeSeparator);
}

std::string TranslateWindowsTimePattern(std::string_view windowsPattern, char dateSeparator, char timeSeparator)
{
    return TranslateWindowsPattern(windowsPattern, WindowsPatternKind::Time, dateSeparator, timeSeparator);
}

std::string RemoveSecondsFromTimePattern(std::string_view pattern)
{
    std::string out;
    // Where the text since the last kept token begins in out; a seconds token
    // takes that text (its separator) with it.
    std::size_t textStart = 0;
    bool haveToken = false;
    bool dropFollowingText = false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = SkipQuoted(pattern, i);
            if (!dropFollowingText)
                out.append(pattern.substr(i, end - i));
            i = end;
            continue;
        }
        if (!IsAsciiLetter(c)) {
            if (!dropFollowingText)
                out += c;
            ++i;
            continue;
        }
        std::size_t runEnd = i + 1;
        const std::size_t amPm = (c == 'a' || c == 'A') ? AmPmTokenLength(pattern, i) : 0;
        if (amPm != 0) {
            runEnd = i + amPm;
        } else {
            while (runEnd < pattern.size() && ToUpperAscii(pattern[runEnd]) == ToUpperAscii(c))
                ++runEnd;
        }
        const char u = ToUpperAscii(c);
        if (u == 'S' || u == 'Z') {
            if (haveToken) {
                out.erase(textStart);
            } else {
                // Nothing before it: drop the separator after it instead.
                dropFollowingText = true;
            }
        } else {
            out.append(pattern.substr(i, runEnd - i));
            textStart = out.size();
            haveToken = true;
            dropFollowingText = false;
        }
        i = runEnd;
    }
    return out;
}

std::string DateTimeToString(TDateTime value, const FormatSettings& fs)
{
    return FormatDateTime("c", value, fs);
}
