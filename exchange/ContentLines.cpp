#include "exchange/ContentLines.h"

#include "core/TextCodec.h"
#include "core/Unicode.h"

ExchangeError::ExchangeError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}

std::string ExchangeError::Text() const
{
    return "Line " + std::to_string(line_) + ": " + what();
}

namespace {

bool IsValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t at = i;
        if (NextCodePoint(s, i) == U'\uFFFD') {
            // A real U+FFFD in the text is three bytes EF BF BD.
            if (!(i - at == 3 && s.substr(at, 3) == "\xEF\xBF\xBD"))
                return false;
        }
    }
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string DecodeQuotedPrintable(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size()) {
            const int hi = HexDigit(s[i + 1]);
            const int lo = HexDigit(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

bool IsQuotedPrintable(std::string_view logical)
{
    // Only the part before the value: the parameters.
    const std::size_t colon = logical.find(':');
    return AsciiUpper(logical.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

struct PhysicalLine {
    std::string_view Text;
    int Number;
};

std::vector<PhysicalLine> SplitLines(std::string_view text)
{
    std::vector<PhysicalLine> lines;
    int number = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            if (i < text.size() || start < i)
                lines.push_back({text.substr(start, i - start), number});
            if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
            ++number;
        }
    }
    return lines;
}

ContentLine ParseLogical(const std::string& logical, int number)
{
    ContentLine line;
    line.Line = number;
    // The name, then parameters up to the first colon outside quotes.
    std::size_t i = 0;
    while (i < logical.size() && logical[i] != ';' && logical[i] != ':')
        ++i;
    std::string name = AsciiUpper(logical.substr(0, i));
    if (const std::size_t dot = name.find('.'); dot != std::string::npos)
        name = name.substr(dot + 1);
    if (name.empty() || i == logical.size())
        throw ExchangeError(number, "expected NAME:value, found \"" + logical.substr(0, 60) + "\"");
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'))
            throw ExchangeError(number, "\"" + name.substr(0, 60) + "\" is not a property name");
    line.Name = std::move(name);
    while (i < logical.size() && logical[i] == ';') {
        ++i;
        const std::size_t nameStart = i;
        while (i < logical.size() && logical[i] != '=' && logical[i] != ';' && logical[i] != ':')
            ++i;
        ContentParam param;
        param.Name = AsciiUpper(logical.substr(nameStart, i - nameStart));
        if (i < logical.size() && logical[i] == '=') {
            ++i;
            bool quoted = false;
            while (i < logical.size() && (quoted || (logical[i] != ';' && logical[i] != ':'))) {
                if (logical[i] == '"')
                    quoted = !quoted;
                else
                    param.Value += logical[i];
                ++i;
            }
            if (quoted)
                throw ExchangeError(number, "a parameter's quotes are not closed");
        }
        line.Params.push_back(std::move(param));
    }
    if (i == logical.size() || logical[i] != ':')
        throw ExchangeError(number, "expected \":\" after the parameters of " + line.Name);
    line.Value = logical.substr(i + 1);
    if (AsciiUpper(line.Param("ENCODING")) == "QUOTED-PRINTABLE" || line.HasType("QUOTED-PRINTABLE")) {
        // The bytes it stands for are in its CHARSET: UTF-8 as phones write
        // it, or the code page of an old mail program.
        const std::string bytes = DecodeQuotedPrintable(line.Value);
        const std::string charset = AsciiUpper(line.Param("CHARSET"));
        line.Value.clear();
        if (!charset.empty() && charset != "UTF-8" && !IsValidUtf8(bytes))
            AppendAnsiAsUtf8(line.Value, bytes);
        else
            AppendValidUtf8(line.Value, bytes);
    }
    return line;
}

}  // namespace

std::string ContentLine::Param(std::string_view name) const
{
    for (const ContentParam& p : Params)
        if (p.Name == name)
            return p.Value;
    return {};
}

bool ContentLine::HasParam(std::string_view name) const
{
    for (const ContentParam& p : Params)
        if (p.Name == name)
            return true;
    return false;
}

bool ContentLine::HasType(std::string_view type) const
{
    for (const ContentParam& p : Params) {
        if (p.Value.empty() && p.Name == type)
            return true;
        if (p.Name == "TYPE")
            for (const std::string& t : SplitValue(AsciiUpper(p.Value), ','))
                if (t == type)
                    return true;
    }
    return false;
}

std::vector<ContentLine> ParseContentLines(std::string_view bytes)
{
    std::string text;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        // Some Windows programs save their exports as UTF-16.
        AppendUtf16BytesAsUtf8(text, bytes.substr(2), bytes[0] == '\xFE');
    else if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text.assign(bytes.substr(3));
    else if (IsValidUtf8(bytes))
        text.assign(bytes);
    else
        // Old address-book exports are in the computer's code page.
        AppendAnsiAsUtf8(text, bytes);
    std::string valid;
    AppendValidUtf8(valid, text);
    text.swap(valid);

    std::vector<ContentLine> lines;
    std::string logical;
    int start = 0;
    bool softBreak = false;  // quoted-printable line ending in "="
    auto flush = [&] {
        if (!logical.empty())
            lines.push_back(ParseLogical(logical, start));
        logical.clear();
    };
    for (const PhysicalLine& pl : SplitLines(text)) {
        if (softBreak) {
            logical.pop_back();  // the "=" of the soft break
            std::string_view more = pl.Text;
            while (!more.empty() && (more.front() == ' ' || more.front() == '\t'))
                more.remove_prefix(1);
            logical.append(more);
        } else if (!pl.Text.empty() && (pl.Text.front() == ' ' || pl.Text.front() == '\t') && !logical.empty()) {
            logical.append(pl.Text.substr(1));
        } else {
            flush();
            std::string_view t = pl.Text;
            while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
                t.remove_suffix(1);
            if (t.empty())
                continue;
            logical.assign(pl.Text);
            start = pl.Number;
        }
        softBreak = !logical.empty() && logical.back() == '=' && IsQuotedPrintable(logical);
    }
    flush();
    return lines;
}

std::string UnescapeText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            if (next == 'n' || next == 'N') {
                out += '\n';
                ++i;
                continue;
            }
            if (next == ',' || next == ';' || next == '\\' || next == ':') {
                out += next;
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

std::string EscapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case ';': out += "\\;"; break;
        case ',': out += "\\,"; break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\\n";
            break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitValue(std::string_view value, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] == '\\') {
            ++i;
            continue;
        }
        if (i == value.size() || value[i] == sep) {
            parts.push_back(UnescapeText(value.substr(start, i - start)));
            start = i + 1;
        }
    }
    return parts;
}

std::string FoldLine(std::string_view line)
{
    constexpr std::size_t kMax = 75;
    std::string out;
    std::size_t room = kMax;  // octets left on this physical line
    for (std::size_t i = 0; i < line.size();) {
        std::size_t next = i;
        NextCodePoint(line, next);
        const std::size_t size = next - i;
        if (size > room) {
            out += "\r\n ";
            room = kMax - 1;
        }
        out.append(line.substr(i, size));
        room -= size;
        i = next;
    }
    out += "\r\n";
    return out;
}

const ContentLine* Component::Find(std::string_view name) const
{
    for (const ContentLine& p : Props)
        if (p.Name == name)
            return &p;
    return nullptr;
}

std::vector<Component> ParseComponents(std::string_view bytes)
{
    std::vector<Component> top;
    std::vector<Component> open;
    for (ContentLine& line : ParseContentLines(bytes)) {
        if (line.Name == "BEGIN") {
            Component c;
            c.Name = AsciiUpper(line.Value);
            c.Line = line.Line;
            if (c.Name.empty())
                throw ExchangeError(line.Line, "BEGIN without a component name");
            open.push_back(std::move(c));
        } else if (line.Name == "END") {
            if (open.empty())
                throw ExchangeError(line.Line, "END:" + line.Value + " without a BEGIN");
            if (AsciiUpper(line.Value) != open.back().Name)
                throw ExchangeError(line.Line, "END:" + line.Value + " where END:" + open.back().Name +
                                                   " (for the BEGIN on line " + std::to_string(open.back().Line) +
                                                   ") was expected");
            Component done = std::move(open.back());
            open.pop_back();
            (open.empty() ? top : open.back().Children).push_back(std::move(done));
        } else if (open.empty()) {
            throw ExchangeError(line.Line, line.Name + " outside BEGIN and END");
        } else {
            open.back().Props.push_back(std::move(line));
        }
    }
    if (!open.empty())
        throw ExchangeError(open.back().Line, "BEGIN:" + open.back().Name + " is never closed with END:" +
                                                  open.back().Name);
    return top;
}

std::string AsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string AsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool ParseDigits(std::string_view s, int& out)
{
    out = 0;
    if (s.empty())
        return false;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + (c - '0');
    }
    return true;
}
