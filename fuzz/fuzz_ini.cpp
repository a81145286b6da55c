// Feeds arbitrary bytes to the INI parser, then edits the document as the
// rest of the input says and checks that every value written reads back, in
// memory and after a write and a fresh parse.
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Unicode.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_ini: %s\n", what);
        std::abort();
    }
}

bool IsBlankOrBreak(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\r' || c == '\n';
}

// The name as the engine compares it: ends trimmed, line breaks as blanks,
// letters uppercased in every script.
std::string Folded(std::string_view s)
{
    while (!s.empty() && IsBlankOrBreak(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankOrBreak(s.back()))
        s.remove_suffix(1);
    std::string out;
    ForEachUpper(s, [&](char32_t c) { AppendUtf8(out, c == '\r' || c == '\n' ? U' ' : c); });
    return out;
}

// The program hands the engine UTF-8 only (it comes from the windows through
// the UTF-16 conversion): the fuzzer's bytes are made so.
std::string Text(std::string s)
{
    return Utf16ToUtf8(Utf8ToUtf16(s));
}

std::string WithoutBreaks(std::string s)
{
    for (char& c : s) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return s;
}

struct Expected {
    std::string section;  // as the caller spelt it
    std::string key;
    std::string value;
};

// (folded section, folded key) -> what a read must give.
using Model = std::map<std::pair<std::string, std::string>, Expected>;

void CheckModel(const IniText& t, const Model& model, const char* where)
{
    for (const auto& [names, e] : model) {
        std::optional<std::string> got = t.Read(e.section, e.key);
        if (got != e.value) {
            std::fprintf(stderr, "fuzz_ini (%s): [%s] %s\n", where, e.section.c_str(), e.key.c_str());
            Check(false, "written value does not read back");
        }
    }
}

void CheckNumbers(std::string_view text)
{
    double v = ParseNumber(text, NAN);
    if (std::isnan(v))
        return;
    Check(std::isfinite(v), "ParseNumber gave an infinity");
    for (char sep : {'.', ','}) {
        double back = ParseNumber(FormatNumber(v, sep), NAN);
        Check(std::fabs(back - v) <= std::fabs(v) * 1e-14, "number does not round-trip");
    }
    std::int32_t i = ParseInt(text, 0);
    if (ParseInt(text, 1) == i)
        Check(ParseInt(FormatInt(i), 7) == i, "integer does not round-trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    std::string file = in.ConsumeRandomLengthString(size);
    IniText t = IniText::Parse(file);

    // Every enumerated section can be found and read.
    std::vector<std::string> names = t.SectionNames();
    for (const std::string& name : names) {
        Check(t.HasSection(name), "enumerated section not found");
        (void)t.ReadString(name, "Notes", "d ");
        CheckNumbers(t.ReadString(name, "StartDateTime", ""));
    }

    Model model;
    while (in.remaining_bytes() > 0) {
        int op = in.ConsumeIntegralInRange(0, 7);
        std::string section = in.ConsumeBool() && !names.empty()
                                  ? names[in.ConsumeIntegralInRange<std::size_t>(0, names.size() - 1)]
                                  : Text(in.ConsumeRandomLengthString(24));
        std::string key = Text(in.ConsumeRandomLengthString(16));
        std::string fs = Folded(section);
        std::string fk = Folded(key);
        if (op == 0) {
            t.EraseSection(section);
            // A later section of the same name may come to light: nothing is
            // known of it.
            for (auto it = model.begin(); it != model.end();)
                it = it->first.first == fs ? model.erase(it) : std::next(it);
        } else if (op == 1) {
            t.EraseKey(section, key);
            model.erase({fs, fk});
        } else {
            std::string value = Text(in.ConsumeRandomLengthString(64));
            CheckNumbers(value);
            try {
                t.Write(section, key, value);
            } catch (const std::invalid_argument&) {
                continue;  // a key that cannot be stored
            }
            // A name holding ']' is stored under its part before the ']',
            // as every reader of the file sees it.
            if (fs.find(']') == std::string::npos)
                model[{fs, fk}] = Expected{section, key, WithoutBreaks(value)};
        }
    }
    CheckModel(t, model, "in memory");

    // Whatever the form, ANSI or UTF-16, the text comes back.
    std::string bytes = t.Serialize();
    IniText back = IniText::Parse(bytes);
    CheckModel(back, model, "after a fresh parse");
    Check(back.SectionNames() == t.SectionNames(), "section names changed by writing");
    Check(back.Serialize() == bytes, "writing what was read changed the text");
    return 0;
}
