// The line format that iCalendar (RFC 5545) and vCard (RFC 2426, RFC 6350)
// share: "NAME;PARAM=value:value" content lines, folded at 75 octets, with
// backslash escapes in text values. Both readers and both writers build on it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file that cannot be read: what is wrong and on which line (1-based) of the
// file, for the message the user sees.
class ExchangeError : public std::runtime_error {
public:
    ExchangeError(int line, const std::string& what);
    int Line() const noexcept { return line_; }
    // "Line 12: ..." as shown to the user.
    std::string Text() const;

private:
    int line_;
};

struct ContentParam {
    std::string Name;   // upper case
    std::string Value;  // without its quotes; several values stay comma-joined
};

struct ContentLine {
    std::string Name;  // upper case, group prefix ("item1.") removed
    std::vector<ContentParam> Params;
    std::string Value;  // raw: escapes still in it (only quoted-printable is decoded)
    int Line = 0;       // where it starts in the file

    // The value of a parameter (name in upper case), or empty.
    std::string Param(std::string_view name) const;
    bool HasParam(std::string_view name) const;
    // vCard 2.1 writes types bare ("TEL;CELL:"): true for TYPE=x or a bare x.
    bool HasType(std::string_view type) const;
};

// The logical lines of a file: UTF-8 (a byte-order mark dropped), UTF-16 by
// its byte-order mark, or the ANSI code page when the bytes are not UTF-8; CR LF, LF or
// CR line ends, folded lines joined (a line starting with a blank or a tab
// continues the one before), vCard 2.1 quoted-printable soft breaks joined
// and decoded, blank lines skipped. Throws ExchangeError for a line that is
// not NAME[;PARAM]*:VALUE, or a file that is not UTF-8 text.
std::vector<ContentLine> ParseContentLines(std::string_view bytes);

// A BEGIN:X ... END:X block with its properties and the blocks inside it.
struct Component {
    std::string Name;  // upper case: VCALENDAR, VEVENT, VCARD, ...
    int Line = 0;      // of its BEGIN
    std::vector<ContentLine> Props;
    std::vector<Component> Children;
    // The first property of that name, or null.
    const ContentLine* Find(std::string_view name) const;
};

// The top-level components of a file. Throws ExchangeError for a line outside
// any component, an END that closes another component than the last BEGIN,
// and a component still open at the end of the file.
std::vector<Component> ParseComponents(std::string_view bytes);

// A text value unescaped: "\\n" and "\\N" are line breaks (LF), "\\," "\\;"
// "\\\\" the characters; a backslash before anything else stays.
std::string UnescapeText(std::string_view value);
// A text value escaped for writing: backslash, semicolon and comma escaped,
// line breaks (CR LF, LF or CR) as "\\n".
std::string EscapeText(std::string_view text);
// The parts of a structured value (N, ADR) or a list, split at every sep
// that no backslash escapes; the parts are unescaped.
std::vector<std::string> SplitValue(std::string_view value, char sep);

// One content line as written: folded so that no line is longer than 75
// octets, never inside a UTF-8 sequence, continuation lines starting with a
// blank, each line ending with CR LF.
std::string FoldLine(std::string_view line);

// Property names, parameters and rule words compare in ASCII without regard
// to case; these turn them to one case.
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
// A run of ASCII digits as a number; false for an empty run or any other
// character.
bool ParseDigits(std::string_view s, int& out);
