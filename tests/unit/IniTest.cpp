// The INI engine: the reading rules, the writer (byte-exact), round trips and
// the file layer (atomic writes and their failures).
#include "core/Ini.h"
#include "core/Unicode.h"

#include "tests/unit/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

namespace fs = std::filesystem;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

namespace {

// A scratch folder that also gives back write permission before removal, as
// read-only files would keep Windows from removing it.
struct ScratchDir : testfiles::TempDir {
    ~ScratchDir()
    {
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(Path(), ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(Path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

const std::optional<std::string> kNone;

// ---------------------------------------------------------------- reading

TEST(IniText, ReadsAsWindowsDoes)
{
    struct Case { const char* what; std::string file, section, key; std::optional<std::string> expected; };
    const Case cases[] = {
        {"first ] ends the name", "[sec]whoops]\nk=1", "sec", "k", "1"},
        {"name up to the first ]", "[sec]whoops]\nk=1", "sec]whoops", "k", kNone},
        {"no ] runs to the line end", "[sec\nk=1", "sec", "k", "1"},
        {"blanks around the name", "  [ \t sec \v] \nk=1", "sec", "k", "1"},
        {"not a header without [", "SectionName]\nk=1", "SectionName]", "k", kNone},
        {"indented comment", "[s]\n \t;k=1", "s", "k", kNone},
        {"# is not a comment", "[s]\n#k=1", "s", "#k", "1"},
        {"empty value is a value", "[s]\nk=", "s", "k", ""},
        {"double quotes removed", "[s]\nk=  \"  v  \"  ", "s", "k", "  v  "},
        {"only one pair removed", "[s]\nk='\"v\"'", "s", "k", "\"v\""},
        {"quotes stay on key names", "[s]\n\"k\"=1", "s", "\"k\"", "1"},
        {"line without = holds no value", "[s]\nk", "s", "k", kNone},
        {"line without = still wins", "[s]\nk\nk=v", "s", "k", kNone},
        {"lines before the first header", "k=v\n[s]\n", "", "k", kNone},
        {"section names ignore case", "[SeC]\nk=v", "sEc", "k", "v"},
        {"only ASCII letters fold", "[\xC9]\nk=v", "\xE9", "k", kNone},
        {"first section wins", "[s]\nk=1\n[S]\nk=2\nj=3", "s", "k", "1"},
        {"first key wins", "[s]\nk=1\nK=2", "s", "k", "1"},
        {"UTF-8 byte-order mark skipped", "\xEF\xBB\xBF[s]\r\nk=v", "s", "k", "v"},
        {"NUL bytes are text", std::string("[s]\nk=a\0b", 9), "s", "k", std::string("a\0b", 3)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IniText::Parse(c.file).Read(c.section, c.key), c.expected) << c.what;
}

TEST(IniText, ReadStringDefaultsSectionsAndEmptyFiles)
{
    IniText t = IniText::Parse("[s]\r\nk=v\r\nempty=\r\n");
    EXPECT_EQ(t.ReadString("s", "missing", "  d  "), "  d");  // only trailing blanks go
    EXPECT_EQ(t.ReadString("none", "k", "d\t "), "d\t");
    EXPECT_EQ(t.ReadString("s", "k", "d"), "v");
    EXPECT_EQ(t.ReadString("s", "empty", "d"), "");

    t = IniText::Parse("pre=1\r\n[b]\r\n[ A ]\r\n;[c]\r\n  [a]x\r\n[b\r\n");
    EXPECT_EQ(t.SectionNames(), (std::vector<std::string>{"b", "A", "a", "b"}));
    EXPECT_TRUE(t.HasSection(" a"));
    EXPECT_FALSE(t.HasSection("c"));

    for (std::string_view bytes : {"", "\r\n", "\n\n\n", "   ", "\xEF\xBB\xBF"}) {
        EXPECT_TRUE(IniText::Parse(bytes).SectionNames().empty());
        EXPECT_EQ(IniText::Parse(bytes).Read("", ""), std::nullopt);
    }
}

// ---------------------------------------------------------------- writing

// One change to a text: W writes, S erases a section, K erases a key.
struct Op {
    char kind;
    const char *section = "", *key = "", *value = "";
};

void Apply(IniText& t, const std::vector<Op>& ops)
{
    for (const Op& op : ops) {
        if (op.kind == 'W')
            t.Write(op.section, op.key, op.value);
        else if (op.kind == 'S')
            t.EraseSection(op.section);
        else
            t.EraseKey(op.section, op.key);
    }
}

TEST(IniWrite, ChangesLeaveEverythingElseByteForByte)
{
    struct Case { const char* what; std::string before; std::vector<Op> ops; std::string after; };
    const Case cases[] = {
        {"replaced in place, key spelling kept", "[S]\r\n; c\r\n  KEY = old\r\nz=1\r\n",
         {{'W', "s", "key", "new"}}, "[S]\r\n; c\r\nKEY=new\r\nz=1\r\n"},
        {"first of repeated keys in the first section", "[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\n",
         {{'W', "A", "K", "9"}}, "[a]\r\nk=9\r\nk=2\r\n[A]\r\nk=3\r\n"},
        {"new keys after the last key line, in order",
         "[a]\r\nx=1\r\n;mid\r\ny=2\r\n; trailing\r\n\r\n[b]\r\ny=2\r\n",
         {{'W', "a", "n1", "v1"}, {'W', "a", "n2", "v2"}},
         "[a]\r\nx=1\r\n;mid\r\ny=2\r\nn1=v1\r\nn2=v2\r\n; trailing\r\n\r\n[b]\r\ny=2\r\n"},
        {"a line without = is a key line", "[a]\r\nflag\r\n;c\r\n", {{'W', "a", "k", "v"}},
         "[a]\r\nflag\r\nk=v\r\n;c\r\n"},
        {"no keys: right after the header", "[a]\r\n; only a comment\r\n\r\n[b]\r\n",
         {{'W', "a", "k", "v"}}, "[a]\r\nk=v\r\n; only a comment\r\n\r\n[b]\r\n"},
        {"header without line break", "[a]", {{'W', "a", "k", "v"}}, "[a]\r\nk=v\r\n"},
        {"new section at the end", "[a]\r\nx=1\r\n", {{'W', "b", "k", "v"}}, "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
        {"empty text", "", {{'W', "b", "k", "v"}}, "[b]\r\nk=v\r\n"},
        {"untouched last line keeps no break", "[a]\r\nx=1\r\n;end", {{'W', "a", "x", "2"}},
         "[a]\r\nx=2\r\n;end"},
        {"touched last line gets a break", "[a]\r\nx=1", {{'W', "a", "x", "2"}}, "[a]\r\nx=2\r\n"},
        {"junk, comments and blanks kept",
         "\x01 junk \xFF\r\n; c = [x]\r\nstray=v\r\n\t[a] tail\r\n  ;  c  \r\n  unknown =  x  \t\r\n"
         "x=1\r\n   \t\r\n#hash\r\n[b]\r\n  y = \"2\"  \r\n",
         {{'W', "a", "x", "7"}},
         "\x01 junk \xFF\r\n; c = [x]\r\nstray=v\r\n\t[a] tail\r\n  ;  c  \r\n  unknown =  x  \t\r\n"
         "x=7\r\n   \t\r\n#hash\r\n[b]\r\n  y = \"2\"  \r\n"},
        {"every line end becomes CR LF", "pre\n[a]\rx=1\n;c\r\n\n", {{'W', "a", "x", "2"}},
         "pre\r\n[a]\r\nx=2\r\n;c\r\n\r\n"},
        {"CR CR LF is two line ends", "[a]\r\r\nx=1\r\n\n\r;c\r\n", {{'W', "a", "y", "2"}},
         "[a]\r\n\r\nx=1\r\ny=2\r\n\r\n\r\n;c\r\n"},
        {"erased section keeps comments and blanks",
         "[a]\r\nx=1\r\n; a comment\r\ny=2\r\nnoequals\r\n\r\n[b]\r\nz=3\r\n", {{'S', " A "}},
         "; a comment\r\n\r\n[b]\r\nz=3\r\n"},
        {"erased key keeps the header", "[a]\r\nx=1\r\n", {{'K', "a", "X"}}, "[a]\r\n"},
    };
    for (const Case& c : cases) {
        IniText t = IniText::Parse(c.before);
        Apply(t, c.ops);
        EXPECT_EQ(t.Serialize(), c.after) << c.what;
    }
}


TEST(IniWrite, ValuesThatWouldNotReadBackAreQuoted)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "k=plain"}, {"", "k="}, {" lead", "k=\" lead\""}, {"trail ", "k=\"trail \""},
        {"\t", "k=\"\t\""},   {"\"q\"", "k=\"\"q\"\""},             {"'q'", "k=\"'q'\""},
        {"\"", "k=\""},       {"\"q", "k=\"q"},  {"q\"", "k=q\""},  {"'q\"", "k='q\""},
        {"a ; b = [c]", "k=a ; b = [c]"},
    };
    for (const auto& [value, line] : cases) {
        IniText t;
        t.Write("s", "k", value);
        EXPECT_EQ(t.Serialize(), "[s]\r\n" + line + "\r\n") << value;
        EXPECT_EQ(IniText::Parse(t.Serialize()).Read("s", "k"), value) << value;
    }
}

TEST(IniWrite, NamesAndValuesThatCannotBeStored)
{
    IniText t;
    t.Write("s\r\n", "k\n", "a\r\nb\rc\n");  // line breaks never reach the file
    t.Write("x\ny", "k", "v");
    EXPECT_EQ(t.Serialize(), "[s]\r\nk=\"a  b c \"\r\n[x y]\r\nk=v\r\n");
    EXPECT_EQ(t.Read("s", "k"), "a  b c ");
    EXPECT_EQ(t.Read("x\ny", "k"), "v");

    t = IniText::Parse("[s]\r\nk=1\r\n");
    for (std::string_view key : {"a=b", "[x", ";x", " [x"})
        EXPECT_THROW(t.Write("s", key, "v"), std::invalid_argument) << key;
    EXPECT_FALSE(t.IsModified());
    EXPECT_EQ(t.Serialize(), "[s]\r\nk=1\r\n");

    // "[a]b]" is section "a" to every reader, so our own view agrees.
    t = IniText();
    t.Write("a]b", "k", "v");
    EXPECT_EQ(t.Serialize(), "[a]b]\r\nk=v\r\n");
    EXPECT_EQ(t.Read("a", "k"), "v");
    EXPECT_EQ(t.Read("a]b", "k"), std::nullopt);
}


// ---------------------------------------------------------------- Unicode

std::string Utf16(std::u16string_view text, bool bigEndian = false)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

// Names and notes in every script go through both file forms unchanged. The
// file starts in the ANSI code page (Windows-1252 in the native build) with a
// value of its own; it turns UTF-16 only for a character that does not fit,
// and then stays UTF-16, also when that character goes again.
TEST(IniUnicode, NamesAndNotesRoundTripThroughBothForms)
{
    struct Case { const char* script; std::string name, note; bool fits; };
    const Case cases[] = {
        {"Latin in the code page", "Zo\u00eb \u00c5sa", "Caf\u00e9 \u20ac5 \u00ff", true},
        {"Latin beyond it", "Zo\u00eb \u0141ukasz", "\u0141\u00f3d\u017a", false},
        {"Greek", "\u03a3\u03bf\u03c6\u03af\u03b1", "\u03b3\u03b5\u03b9\u03ac \u03c3\u03bf\u03c5", false},
        {"Cyrillic", "\u0416\u0435\u043d\u044f", "\u041f\u0440\u0438\u0432\u0435\u0442 = [x]", false},
        {"Arabic", "\u0644\u064a\u0644\u0649", "\u0645\u0631\u062d\u0628\u0627", false},
        {"Chinese", "\u674e\u96f7", "\u751f\u65e5\u5feb\u4e50", false},
        {"emoji", "Party \U0001F389", "\U0001F382 \U0001F600", false},
    };
    const std::string old = "[Old]\r\nk=caf\xE9\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        IniText t = IniText::Parse(old);
        t.Write(c.name, "Note", c.note);
        const std::string bytes = t.Serialize();
        EXPECT_EQ(t.IsUtf16(), !c.fits);
        EXPECT_EQ(bytes.starts_with("\xFF\xFE"), !c.fits);
        if (!c.fits) {
            EXPECT_EQ(bytes, Utf16(u"[Old]\r\nk=caf\u00e9\r\n") +
                                 Utf16(Utf8ToUtf16("[" + c.name + "]\r\nNote=" + c.note + "\r\n")).substr(2));
        }

        IniText back = IniText::Parse(bytes);
        EXPECT_EQ(back.SectionNames(), (std::vector<std::string>{"Old", c.name}));
        EXPECT_EQ(back.Read(c.name, "note"), c.note);
        EXPECT_EQ(back.Read("old", "K"), "caf\u00e9");
        back.EraseSection(c.name);
        back.Write("Old", "k", "plain");
        EXPECT_EQ(IniText::Parse(back.Serialize()).Read("Old", "k"), "plain");
        EXPECT_EQ(back.IsUtf16(), !c.fits);
    }
}

// A file whose text fits the code page is written exactly as before: the
// bytes of untouched lines as read, new text in the code page.
TEST(IniUnicode, AnsiStaysAnsiByteForByte)
{
    const std::string before = "[Zo\xEB]\r\nNote=\x80 5 \x81\x8D \xFF junk \x01\r\n[b]\r\nx=1\r\n";
    IniText t = IniText::Parse(before);
    EXPECT_FALSE(t.IsUtf16());
    EXPECT_EQ(t.SectionNames(), (std::vector<std::string>{"Zo\u00eb", "b"}));
    EXPECT_EQ(t.Read("ZO\u00cb", "note"), "\u20ac 5 \u0081\u008d \u00ff junk \x01");
    t.Write("b", "x", "\u00c5sa \u2122");
    EXPECT_EQ(t.Serialize(), "[Zo\xEB]\r\nNote=\x80 5 \x81\x8D \xFF junk \x01\r\n[b]\r\nx=\xC5sa \x99\r\n");
    EXPECT_FALSE(t.IsUtf16());
}

// Notepad saves UTF-8 with a byte-order mark; such a file reads as UTF-8 and
// is written back as UTF-16 LE. UTF-16 reads in either byte order.
TEST(IniUnicode, ReadsUtf8WithMarkAndUtf16EitherOrder)
{
    const std::string utf8 = "\xEF\xBB\xBF[\u00c9va]\r\nNote=\u674e\u96f7 \U0001F382\r\n";
    const std::u16string utf16 = u"[\u00c9va]\r\nNote=\u674e\u96f7 \U0001F382\r\n";
    for (const std::string& bytes : {utf8, Utf16(utf16), Utf16(utf16, true)}) {
        IniText t = IniText::Parse(bytes);
        EXPECT_TRUE(t.IsUtf16());
        EXPECT_EQ(t.Read("\u00e9VA", "note"), "\u674e\u96f7 \U0001F382");
        t.Write("\u00e9va", "k", "1");
        EXPECT_EQ(t.Serialize(), Utf16(u"[\u00c9va]\r\nNote=\u674e\u96f7 \U0001F382\r\nk=1\r\n"));
    }
    EXPECT_TRUE(IniText::Parse("\xFF\xFE").SectionNames().empty());
    EXPECT_EQ(IniText::Parse(Utf16(u"[s]\nk=v") + "X").Read("s", "k"), "v");  // odd last byte
    // An unpaired surrogate cannot be kept; it reads as U+FFFD.
    EXPECT_EQ(IniText::Parse(Utf16(u"[s]\nk=a") + std::string("\x00\xD8", 2) + Utf16(u"b").substr(2)).Read("s", "k"),
              "a\uFFFDb");
}

// The file on disk changes form once and keeps it, also through the text the
// file object keeps between edits.
TEST(IniUnicode, FileTurnsUtf16OnceAndStays)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    f.WriteString("a", "k", "caf\u00e9");
    EXPECT_EQ(ReadBytes(f.Path()), "[a]\r\nk=caf\xE9\r\n");
    f.WriteString("\u674e\u96f7", "k", "1");
    f.EraseSection("\u674e\u96f7");
    f.WriteString("a", "k", "x");
    EXPECT_EQ(ReadBytes(f.Path()), Utf16(u"[a]\r\nk=x\r\n"));
    EXPECT_EQ(IniFile(f.Path()).ReadString("A", "K", ""), "x");
}

// ---------------------------------------------------------------- round trips

TEST(IniRoundTrip, GarbageParsesAndSerializesStably)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (unsigned i = 0, len = rng() % 256 * 4; i < len; ++i)
            bytes.push_back(rng() % 2 ? "[]=;\r\n \"'"[rng() % 9] : static_cast<char>(rng() % 256));
        IniText t = IniText::Parse(bytes);
        if (t.IsUtf16())
            continue;
        IniText again = IniText::Parse(t.Serialize());
        EXPECT_EQ(again.SectionNames(), t.SectionNames());
        EXPECT_EQ(again.Serialize(), t.Serialize());
        for (const std::string& name : t.SectionNames())
            EXPECT_EQ(again.Read(name, "k"), t.Read(name, "k"));
    }
}

TEST(IniRoundTrip, OneMegabyteLineAndFiftyMegabyteFile)
{
    std::string big(1 << 20, 'x');
    big[12345] = '=';
    big[777777] = ';';
    IniText t = IniText::Parse("[s]\r\nk=" + big + "\r\n" + big);
    EXPECT_EQ(t.Read("s", "k"), big);
    EXPECT_EQ(t.Read("s", big.substr(0, 12345)), big.substr(12346));
    t.Write("s", "k2", big);
    EXPECT_EQ(IniText::Parse(t.Serialize()).Read("s", "k2"), big);

    // 100,000 sections of about 500 bytes each.
    std::string bytes;
    const std::string body =
        "]\r\nEnabled=1\r\nNotes=" + std::string(460, 'n') + "\r\nStartDateTime=45366.3541666667\r\n";
    for (int i = 0; i < 100000; ++i)
        bytes.append("[Event ").append(std::to_string(i)).append(body);
    ASSERT_GT(bytes.size(), 50u << 20);
    t = IniText::Parse(bytes);
    EXPECT_EQ(t.SectionNames().size(), 100000u);
    EXPECT_EQ(t.Read("event 99999", "startdatetime"), "45366.3541666667");
    t.Write("Event 50000", "Enabled", "0");
    EXPECT_EQ(t.Serialize().size(), bytes.size());
}

// ---------------------------------------------------------------- files

TEST(IniFileTest, EditIsOneReadAndOneWrite)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    // A missing file reads as defaults; erasing nothing creates no file.
    EXPECT_TRUE(f.ReadSections().empty());
    EXPECT_EQ(f.ReadString("s", "k", "def "), "def");
    f.EraseSection("s");
    EXPECT_TRUE(dir.Names().empty());

    WriteBytes(f.Path(), "; mine\n[a]\nx=1\n");
    f.Edit([](IniText& t) { Apply(t, {{'S', "a"}, {'W', "a", "x", "2"}, {'W', "a", "y", "3"}}); });
    EXPECT_EQ(ReadBytes(f.Path()), "; mine\r\n[a]\r\nx=2\r\ny=3\r\n");
    EXPECT_EQ(f.ReadString("A", "Y", ""), "3");
    EXPECT_EQ(f.ReadSections(), std::vector<std::string>{"a"});
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});

    // An unchanged text is not rewritten (the LF line ends stay).
    WriteBytes(f.Path(), "[a]\nx=1\n");
    f.WriteString("a", "x", "1");
    EXPECT_EQ(ReadBytes(f.Path()), "[a]\nx=1\n");
    // Each call reads afresh: a change behind our back is kept.
    WriteBytes(f.Path(), "[a]\r\nx=1\r\nB=2\r\n");
    f.WriteString("a", "C", "3");
    const std::string after = "[a]\r\nx=1\r\nB=2\r\nC=3\r\n";
    EXPECT_EQ(ReadBytes(f.Path()), after);
    // A change that fails half-way leaves the file.
    auto failing = [](IniText& t) {
        t.Write("a", "x", "2");
        throw std::runtime_error("stop");
    };
    EXPECT_THROW(f.Edit(failing), std::runtime_error);
    EXPECT_EQ(ReadBytes(f.Path()), after);

    // Changes in a row through one object build on the text it wrote last,
    // with no trace of the failed one, and see a change from outside that
    // keeps the file's size.
    f.WriteString("a", "B", "5");
    EXPECT_EQ(ReadBytes(f.Path()), "[a]\r\nx=1\r\nB=5\r\nC=3\r\n");
    WriteBytes(f.Path(), "[a]\r\nx=7\r\nB=5\r\nC=3\r\n");
    f.WriteString("a", "C", "6");
    EXPECT_EQ(ReadBytes(f.Path()), "[a]\r\nx=7\r\nB=5\r\nC=6\r\n");
    // Nothing to change, nothing written: a read-only file does not refuse it.
    fs::permissions(f.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    f.WriteString("a", "C", "6");
    fs::permissions(f.Path(), fs::perms::owner_write, fs::perm_options::add);
    // Long runs of big values, past the point where the kept text is dropped.
    for (int i = 0; i < 12; ++i) {
        const std::string value(10000 + i, static_cast<char>('a' + i));
        f.WriteString("a", "B", value);
        ASSERT_EQ(ReadBytes(f.Path()), "[a]\r\nx=7\r\nB=" + value + "\r\nC=6\r\n") << i;
    }
}


// The message names the file in full, whatever form the caller gave it.
void ExpectWriteError(IniFile& f, const std::string& fullPath)
{
    try {
        f.WriteString("s", "k", "v");
        ADD_FAILURE() << "no IniWriteError for " << f.Path();
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + fullPath);
        EXPECT_EQ(e.Path(), fullPath);
    }
}

TEST(IniFileTest, FailedWritesLeaveTheFileAndNoTemporaryFile)
{
    {
        ScratchDir dir;  // a read-only file
        IniFile f(dir.File("events.ini"));
        WriteBytes(f.Path(), "[a]\r\nx=1\r\n");
        fs::permissions(f.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        ExpectWriteError(f, f.Path());
        EXPECT_EQ(ReadBytes(f.Path()), "[a]\r\nx=1\r\n");
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});
    }
    {
        // A folder where the file should be: a write must not replace what it
        // cannot see, and a rename over it fails after the temporary is written.
        ScratchDir dir;
        fs::create_directory(dir.Path() / "events.ini");
        const std::string inner = (dir.Path() / "events.ini" / "inner").string();
        WriteBytes(inner, "x");
        IniFile f(dir.File("events.ini"));
        ExpectWriteError(f, f.Path());
        EXPECT_THROW(WriteFileAtomically(dir.File("events.ini"), "[a]\r\n"), IniWriteError);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});
        EXPECT_EQ(ReadBytes(inner), "x");
    }
    // A missing folder, given as a relative name.
    IniFile relative("vellomir no such folder/events.ini");
    ExpectWriteError(relative, (fs::current_path() / "vellomir no such folder" / "events.ini").string());
    EXPECT_FALSE(fs::exists("vellomir no such folder"));
}


}  // namespace
