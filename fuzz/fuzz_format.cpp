// Random patterns and random moments through the formatter, both locales,
// and random Windows patterns through the translators. Nothing may crash,
// hang or read out of bounds, whatever the bytes.
//
// Input: 8 bytes of a double (any bit pattern, NaN and infinities included),
// one byte of separators choice, then the pattern bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/DateFormat.h"
#include "tests/TestLocales.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 9 || size > 4096)
        return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    const std::uint8_t choice = data[8];
    const std::string_view pattern(reinterpret_cast<const char*>(data + 9), size - 9);

    static const FormatSettings german = GermanLikeFormatSettings();
    const FormatSettings& english = EnglishUSFormatSettings();

    std::string out = FormatDateTime(pattern, value, english);
    out = FormatDateTime(pattern, value, german);

    // The same bytes as locale patterns: self-reference must still end.
    FormatSettings looped = (choice & 1) != 0 ? english : german;
    looped.ShortDateFormat = std::string(pattern);
    looped.LongTimeFormat = std::string(pattern);
    looped.DateSeparator = static_cast<char>(choice);
    out = FormatDateTime("c ddddd dddddd t tt", value, looped);
    out = FormatDateTime(pattern, value, looped);

    const char dateSeparator = (choice & 2) != 0 ? '.' : '/';
    const char timeSeparator = (choice & 4) != 0 ? '.' : ':';
    const std::string date = TranslateWindowsDatePattern(pattern, dateSeparator, timeSeparator);
    const std::string time = TranslateWindowsTimePattern(pattern, dateSeparator, timeSeparator);
    out = FormatDateTime(date, value, english);
    out = FormatDateTime(time, value, german);
    out = FormatDateTime(RemoveSecondsFromTimePattern(time), value, english);
    out = DateTimeToString(value, german);
    return 0;
}
