// The INI engine: the reading rules, the writer (byte-exact), round trips and
// the file layer (atomic writes and their failures).
#include "core/Ini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <map>
#include <optional>
#include <random>

namespace fs = std::filesystem;

namespace {

// A private folder under the temp folder, removed with its contents.
class ScratchDir {
public:
    ScratchDir()
    {
        static int counter = 0;
        std::random_device seed;
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path p = fs::temp_directory_path() /
                         ("vellomir-ini-" + std::to_string(seed()) + "-" + std::to_string(counter++));
            std::error_code ec;
            if (fs::create_directory(p, ec)) {
                path_ = p;
                return;
            }
        }
        throw std::runtime_error("no temporary folder");
    }
    ~ScratchDir()
    {
        std::error_code ec;
        // Read-only files would keep Windows from removing the folder.
        for (auto& e : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path path_;
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spill(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string After(std::string_view text, const std::function<void(IniText&)>& change)
{
    IniText t = IniText::Parse(text);
    change(t);
    return t.Serialize();
}

// ---------------------------------------------------------------- reading

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

class IniReadRules : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadRules, ReadsAsWindowsDoes)
{
    const ReadCase& c = GetParam();
    IniText t = IniText::Parse(c.file);
    EXPECT_EQ(t.Read(c.section, c.key), c.expected) << c.what;
}

const std::optional<std::string> kNone;

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadRules,
    ::testing::Values(
        ReadCase{"CR LF line ends", "[s]\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"LF line ends", "[s]\nk=v\n", "s", "k", "v"},
        ReadCase{"CR line ends", "[s]\rk=v\r", "s", "k", "v"},
        ReadCase{"mixed line ends", "[t]\r\nx=1\n[s]\rk=v", "s", "k", "v"},
        ReadCase{"blank lines between", "[s]\r\n\r\n   \t\r\nk=v", "s", "k", "v"},
        ReadCase{"first ] ends the name", "[sec]whoops]\nk=1", "sec", "k", "1"},
        ReadCase{"name up to the first ]", "[sec]whoops]\nk=1", "sec]whoops", "k", kNone},
        ReadCase{"a second [ is part of the name", "[[sec]\nk=1", "[sec", "k", "1"},
        ReadCase{"no ] runs to the line end", "[sec\nk=1", "sec", "k", "1"},
        ReadCase{"text after ] ignored", "[sec] ; note\nk=1", "sec", "k", "1"},
        ReadCase{"blanks around the name", "  [ \t sec \v] \nk=1", "sec", "k", "1"},
        ReadCase{"inner blanks kept", "[my  sec]\nk=1", "my  sec", "k", "1"},
        ReadCase{"not a header without [", "SectionName]\nk=1", "SectionName]", "k", kNone},
        ReadCase{"; comment line", "[s]\n;k=1", "s", "k", kNone},
        ReadCase{"indented comment", "[s]\n \t;k=1", "s", "k", kNone},
        ReadCase{"# is not a comment", "[s]\n#k=1", "s", "#k", "1"},
        ReadCase{"# line is a key, not k", "[s]\n#k=1", "s", "k", kNone},
        ReadCase{"; inside a value", "[s]\nk=a ; b", "s", "k", "a ; b"},
        ReadCase{"; inside a key", "[s]\nk;x=1", "s", "k;x", "1"},
        ReadCase{"= inside a value", "[s]\nk=a=b", "s", "k", "a=b"},
        ReadCase{"blanks around key and value", "[s]\n \t k \t =  \t v \t ", "s", "k", "v"},
        ReadCase{"empty value is a value", "[s]\nk=", "s", "k", ""},
        ReadCase{"blank value is empty", "[s]\nk=   ", "s", "k", ""},
        ReadCase{"double quotes removed", "[s]\nk=  \"  v  \"  ", "s", "k", "  v  "},
        ReadCase{"single quotes removed", "[s]\nk='v'", "s", "k", "v"},
        ReadCase{"only one pair removed", "[s]\nk='\"v\"'", "s", "k", "\"v\""},
        ReadCase{"empty quotes", "[s]\nk=\"\"", "s", "k", ""},
        ReadCase{"unbalanced quote kept", "[s]\nk=\"abc", "s", "k", "\"abc"},
        ReadCase{"inner quotes kept", "[s]\nk=a\"b\"c", "s", "k", "a\"b\"c"},
        ReadCase{"mismatched quotes kept", "[s]\nk='x\"", "s", "k", "'x\""},
        ReadCase{"one quote character", "[s]\nk=\"", "s", "k", "\""},
        ReadCase{"quotes stay on key names", "[s]\n\"k\"=1", "s", "k", kNone},
        ReadCase{"quoted key name", "[s]\n\"k\"=1", "s", "\"k\"", "1"},
        ReadCase{"quotes stay on section names", "[\"s\"]\nk=1", "s", "k", kNone},
        ReadCase{"line without = holds no value", "[s]\nk", "s", "k", kNone},
        ReadCase{"line without = still wins", "[s]\nk\nk=v", "s", "k", kNone},
        ReadCase{"lines before the first header", "k=v\n[s]\n", "", "k", kNone},
        ReadCase{"section names ignore case", "[SeC]\nk=v", "sEc", "k", "v"},
        ReadCase{"key names ignore case", "[s]\nKeY=v", "s", "kEy", "v"},
        ReadCase{"only ASCII letters fold", "[\xC9]\nk=v", "\xE9", "k", kNone},
        ReadCase{"caller's blanks dropped", "[s]\nk=v", "  s ", " k  ", "v"},
        ReadCase{"first section wins", "[s]\nk=1\n[S]\nk=2\nj=3", "s", "k", "1"},
        ReadCase{"later duplicate not searched", "[s]\nk=1\n[S]\nk=2\nj=3", "s", "j", kNone},
        ReadCase{"first key wins", "[s]\nk=1\nK=2", "s", "k", "1"},
        ReadCase{"missing section", "[s]\nk=1", "t", "k", kNone},
        ReadCase{"missing key", "[s]\nk=1", "s", "j", kNone},
        ReadCase{"key of the next section", "[s]\n[t]\nk=1", "s", "k", kNone},
        ReadCase{"empty section name", "[]\nk=1", "", "k", "1"},
        ReadCase{"UTF-8 byte-order mark skipped", "\xEF\xBB\xBF[s]\r\nk=v", "s", "k", "v"},
        ReadCase{"NUL bytes are text", std::string("[s]\nk=a\0b", 9), "s", "k",
                 std::string("a\0b", 3)}));

TEST(IniText, ReadStringDropsOnlyTrailingSpacesOfTheDefault)
{
    IniText t = IniText::Parse("[s]\r\nk=v\r\nempty=\r\n");
    EXPECT_EQ(t.ReadString("s", "missing", "  d  "), "  d");
    EXPECT_EQ(t.ReadString("none", "k", "d\t "), "d\t");
    EXPECT_EQ(t.ReadString("s", "k", "d"), "v");
    EXPECT_EQ(t.ReadString("s", "empty", "d"), "");
}

TEST(IniText, SectionNamesInFileOrderWithRepeats)
{
    IniText t = IniText::Parse("pre=1\r\n[b]\r\n[ A ]\r\n;[c]\r\n  [a]x\r\n[b\r\n");
    EXPECT_EQ(t.SectionNames(), (std::vector<std::string>{"b", "A", "a", "b"}));
    EXPECT_TRUE(t.HasSection(" a"));
    EXPECT_FALSE(t.HasSection("c"));
}

TEST(IniText, EmptyAndBlankFiles)
{
    for (std::string_view bytes : {"", "\r\n", "\n\n\n", "   ", "\xEF\xBB\xBF"}) {
        IniText t = IniText::Parse(bytes);
        EXPECT_TRUE(t.SectionNames().empty());
        EXPECT_EQ(t.Read("", ""), std::nullopt);
    }
}

// ---------------------------------------------------------------- writing

TEST(IniWrite, ReplacesInPlaceKeepingKeySpellingAndPosition)
{
    EXPECT_EQ(After("[S]\r\n; c\r\n  KEY = old\r\nz=1\r\n",
                    [](IniText& t) { t.Write("s", "key", "new"); }),
              "[S]\r\n; c\r\nKEY=new\r\nz=1\r\n");
}

TEST(IniWrite, ReplacesTheFirstOfRepeatedKeysInTheFirstSection)
{
    EXPECT_EQ(After("[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\n",
                    [](IniText& t) { t.Write("A", "K", "9"); }),
              "[a]\r\nk=9\r\nk=2\r\n[A]\r\nk=3\r\n");
}

TEST(IniWrite, NewKeysFollowTheLastKeyLineInWritingOrder)
{
    EXPECT_EQ(After("[a]\r\nx=1\r\n;mid\r\ny=2\r\n; trailing\r\n\r\n[b]\r\ny=2\r\n",
                    [](IniText& t) {
                        t.Write("a", "n1", "v1");
                        t.Write("a", "n2", "v2");
                    }),
              "[a]\r\nx=1\r\n;mid\r\ny=2\r\nn1=v1\r\nn2=v2\r\n; trailing\r\n\r\n[b]\r\ny=2\r\n");
}

TEST(IniWrite, KeyLineWithoutEqualsCountsAsKeyLine)
{
    EXPECT_EQ(After("[a]\r\nflag\r\n;c\r\n", [](IniText& t) { t.Write("a", "k", "v"); }),
              "[a]\r\nflag\r\nk=v\r\n;c\r\n");
    EXPECT_EQ(After("[a]\r\nk\r\n", [](IniText& t) { t.Write("a", "K", "v"); }), "[a]\r\nk=v\r\n");
}

TEST(IniWrite, SectionWithoutKeysGetsTheKeyRightAfterItsHeader)
{
    EXPECT_EQ(After("[a]\r\n; only a comment\r\n\r\n[b]\r\n",
                    [](IniText& t) { t.Write("a", "k", "v"); }),
              "[a]\r\nk=v\r\n; only a comment\r\n\r\n[b]\r\n");
    EXPECT_EQ(After("[a]", [](IniText& t) { t.Write("a", "k", "v"); }), "[a]\r\nk=v\r\n");
}

TEST(IniWrite, NewSectionAtTheEnd)
{
    auto add = [](IniText& t) { t.Write("b", "k", "v"); };
    EXPECT_EQ(After("[a]\r\nx=1\r\n", add), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(After("[a]\r\nx=1", add), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(After("[a]\r\nx=1\r\n\r\n", add), "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(After("; just a comment", add), "; just a comment\r\n[b]\r\nk=v\r\n");
    EXPECT_EQ(After("", add), "[b]\r\nk=v\r\n");
}

TEST(IniWrite, LastLineWithoutBreakStaysSoWhenUntouched)
{
    EXPECT_EQ(After("[a]\r\nx=1\r\n;end", [](IniText& t) { t.Write("a", "x", "2"); }),
              "[a]\r\nx=2\r\n;end");
    EXPECT_EQ(After("[a]\r\nx=1", [](IniText& t) { t.Write("a", "x", "2"); }), "[a]\r\nx=2\r\n");
    EXPECT_EQ(After("[a]\r\nx=1", [](IniText& t) { t.Write("a", "y", "2"); }),
              "[a]\r\nx=1\r\ny=2\r\n");
}

TEST(IniWrite, UntouchedTextIsKeptByteForByte)
{
    const std::string before =
        "\x01 junk before \xFF\r\n"
        "; comment = [x]\r\n"
        "stray=value\r\n"
        "\t[a] tail text\r\n"
        "  ;  indented comment  \r\n"
        "  unknown =  stuff  \t\r\n"
        "x=1\r\n"
        "   \t\r\n"
        "#hash\r\n"
        "[b]\r\n"
        "  y = \"2\"  \r\n";
    const std::string after = After(before, [](IniText& t) { t.Write("a", "x", "7"); });
    std::string expected = before;
    expected.replace(expected.find("x=1"), 3, "x=7");
    EXPECT_EQ(after, expected);
}

TEST(IniWrite, EveryLineEndBecomesCrLf)
{
    EXPECT_EQ(After("pre\n[a]\rx=1\n;c\r\n\n", [](IniText& t) { t.Write("a", "x", "2"); }),
              "pre\r\n[a]\r\nx=2\r\n;c\r\n\r\n");
    EXPECT_EQ(After("[a]\r\r\nx=1\r\n\n\r;c\r\n", [](IniText& t) { t.Write("a", "y", "2"); }),
              "[a]\r\n\r\nx=1\r\ny=2\r\n\r\n\r\n;c\r\n");
}

TEST(IniWrite, EraseSectionKeepsCommentsAndBlankLines)
{
    EXPECT_EQ(After("[a]\r\nx=1\r\n; a comment\r\ny=2\r\nnoequals\r\n\r\n[b]\r\nz=3\r\n",
                    [](IniText& t) { t.EraseSection(" A "); }),
              "; a comment\r\n\r\n[b]\r\nz=3\r\n");
}

TEST(IniWrite, ErasedSectionIsWrittenAgainAtTheEnd)
{
    EXPECT_EQ(After("[a]\r\nx=1\r\n[b]\r\ny=2\r\n",
                    [](IniText& t) {
                        t.EraseSection("a");
                        t.Write("a", "x", "5");
                        t.Write("a", "w", "6");
                    }),
              "[b]\r\ny=2\r\n[a]\r\nx=5\r\nw=6\r\n");
}

TEST(IniWrite, ErasingTheFirstOfRepeatedSectionsUncoversTheNext)
{
    IniText t = IniText::Parse("[a]\r\nx=1\r\n[b]\r\n[A]\r\nx=2\r\n[a]\r\nx=3\r\n");
    t.EraseSection("a");
    EXPECT_EQ(t.Read("a", "x"), "2");
    EXPECT_EQ(t.SectionNames(), (std::vector<std::string>{"b", "A", "a"}));
    t.EraseSection("a");
    EXPECT_EQ(t.Read("a", "x"), "3");
    t.EraseSection("a");
    EXPECT_FALSE(t.HasSection("a"));
    t.Write("a", "x", "4");
    EXPECT_EQ(t.Serialize(), "[b]\r\n[a]\r\nx=4\r\n");
}

TEST(IniWrite, EraseKeyKeepsTheHeader)
{
    EXPECT_EQ(After("[a]\r\nx=1\r\n", [](IniText& t) { t.EraseKey("a", "X"); }), "[a]\r\n");
    EXPECT_EQ(After("[a]\r\nx=1\r\nx=2\r\n", [](IniText& t) { t.EraseKey("a", "x"); }),
              "[a]\r\nx=2\r\n");
}

TEST(IniWrite, NothingChangedIsNotModified)
{
    IniText t = IniText::Parse("[a]\r\nx=1\r\n");
    t.EraseSection("none");
    t.EraseKey("a", "none");
    t.EraseKey("none", "x");
    t.Write("a", "x", "1");
    EXPECT_FALSE(t.IsModified());
    t.Write("a", "x", "2");
    EXPECT_TRUE(t.IsModified());
}

struct QuoteCase {
    std::string value;
    std::string line;
};

TEST(IniWrite, ValuesThatWouldNotReadBackAreQuoted)
{
    const QuoteCase cases[] = {
        {"plain", "k=plain"},
        {"", "k="},
        {" lead", "k=\" lead\""},
        {"trail ", "k=\"trail \""},
        {"\t", "k=\"\t\""},
        {"\"q\"", "k=\"\"q\"\""},
        {"'q'", "k=\"'q'\""},
        {"\"", "k=\""},
        {"\"q", "k=\"q"},
        {"q\"", "k=q\""},
        {"'q\"", "k='q\""},
        {"a ; b = [c]", "k=a ; b = [c]"},
    };
    for (const QuoteCase& c : cases) {
        IniText t;
        t.Write("s", "k", c.value);
        EXPECT_EQ(t.Serialize(), "[s]\r\n" + c.line + "\r\n") << c.value;
        EXPECT_EQ(IniText::Parse(t.Serialize()).Read("s", "k"), c.value) << c.value;
    }
}

TEST(IniWrite, LineBreaksNeverReachTheFile)
{
    IniText t;
    t.Write("s\r\n", "k\n", "a\r\nb\rc\n");
    t.Write("x\ny", "k", "v");
    EXPECT_EQ(t.Serialize(), "[s]\r\nk=\"a  b c \"\r\n[x y]\r\nk=v\r\n");
    EXPECT_EQ(t.Read("s", "k"), "a  b c ");
    EXPECT_EQ(t.Read("x\ny", "k"), "v");
}

TEST(IniWrite, KeysThatCannotBeStoredAreRefused)
{
    IniText t = IniText::Parse("[s]\r\nk=1\r\n");
    for (std::string_view key : {"a=b", "[x", ";x", " [x"})
        EXPECT_THROW(t.Write("s", key, "v"), std::invalid_argument) << key;
    EXPECT_FALSE(t.IsModified());
    EXPECT_EQ(t.Serialize(), "[s]\r\nk=1\r\n");
}

TEST(IniWrite, SectionNameWithBracketReadsBackAsTheFileDoes)
{
    // "[a]b]" is section "a" to every reader, so our own view agrees.
    IniText t;
    t.Write("a]b", "k", "v");
    EXPECT_EQ(t.Serialize(), "[a]b]\r\nk=v\r\n");
    EXPECT_EQ(t.Read("a", "k"), "v");
    EXPECT_EQ(t.Read("a]b", "k"), std::nullopt);
}

TEST(IniWrite, Utf8ByteOrderMarkIsKept)
{
    EXPECT_EQ(After("\xEF\xBB\xBF[s]\r\nk=v\r\n", [](IniText& t) { t.Write("s", "k", "w"); }),
              "\xEF\xBB\xBF[s]\r\nk=w\r\n");
}

TEST(IniWrite, CopiesAreIndependent)
{
    IniText a = IniText::Parse("[s]\r\nk=1\r\n");
    IniText b = a;
    b.Write("s", "k", "2");
    b.Write("t", "k", "3");
    a.Write("s", "j", "4");
    EXPECT_EQ(a.Serialize(), "[s]\r\nk=1\r\nj=4\r\n");
    EXPECT_EQ(b.Serialize(), "[s]\r\nk=2\r\n[t]\r\nk=3\r\n");
    a = b;
    EXPECT_EQ(a.Read("t", "k"), "3");
}

// ---------------------------------------------------------------- UTF-16

std::string Utf16Le(std::u16string_view text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

std::string Utf16Be(std::u16string_view text)
{
    std::string out = "\xFE\xFF";
    for (char16_t c : text) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

TEST(IniUtf16, ReadAfterConversionBothByteOrders)
{
    const std::u16string text = u"[Caf\u00e9]\r\nName=A\u00e9\u4e2dZ\r\n[b]\nx = ' 1 '";
    for (const std::string& bytes : {Utf16Le(text), Utf16Be(text)}) {
        IniText t = IniText::Parse(bytes);
        EXPECT_TRUE(t.IsUtf16());
        EXPECT_EQ(t.SectionNames(), (std::vector<std::string>{"Caf\xE9", "b"}));
        EXPECT_EQ(t.Read("Caf\xE9", "name"), "A\xE9?Z");
        EXPECT_EQ(t.Read("b", "x"), " 1 ");
    }
}

TEST(IniUtf16, RefusesToBeWritten)
{
    IniText t = IniText::Parse(Utf16Le(u"[s]\r\nk=v\r\n"));
    t.Write("s", "k", "w");
    EXPECT_THROW(t.Serialize(), IniWriteError);
}

TEST(IniUtf16, OddTrailingByteAndEmptyBody)
{
    EXPECT_TRUE(IniText::Parse("\xFF\xFE").SectionNames().empty());
    IniText t = IniText::Parse(Utf16Le(u"[s]\nk=v") + "X");
    EXPECT_EQ(t.Read("s", "k"), "v");
}

// ---------------------------------------------------------------- round trips

// Values drawn from the characters that matter to the format, sometimes long.
std::string RandomValue(std::mt19937& rng)
{
    static const std::string alphabet = "ab Z09 \t\"';=[]<>\\#$,.\xE9\xFF\x01";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    std::uniform_int_distribution<int> shape(0, 99);
    int s = shape(rng);
    std::size_t len = s < 2 ? 100000 : s < 10 ? 0 : static_cast<std::size_t>(shape(rng) % 12);
    std::string v;
    v.reserve(len);
    for (std::size_t i = 0; i < len; ++i)
        v.push_back(alphabet[static_cast<std::size_t>(pick(rng))]);
    return v;
}

std::string Fold(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

TEST(IniRoundTrip, WrittenValuesReadBackExactly)
{
    std::mt19937 rng(20240315);
    const std::vector<std::string> sections = {"Event", "event ", "Other", "x y", "[x", "a=b", ";c",
                                               "Long name with blanks"};
    const std::vector<std::string> keys = {"Notes", "NOTES", "SoundFile", "k", "#k", "k;x", "\"q\""};
    std::uniform_int_distribution<std::size_t> pickSection(0, sections.size() - 1);
    std::uniform_int_distribution<std::size_t> pickKey(0, keys.size() - 1);
    std::uniform_int_distribution<int> action(0, 19);

    for (int round = 0; round < 20; ++round) {
        IniText t = IniText::Parse("; header comment\r\nstray=1\r\n[Other]\r\n; keep\r\n");
        std::map<std::string, std::map<std::string, std::string>> model;
        for (int step = 0; step < 60; ++step) {
            const std::string& sec = sections[pickSection(rng)];
            const std::string& key = keys[pickKey(rng)];
            std::string folded = Fold(std::string(sec == "event " ? "event" : sec));
            int a = action(rng);
            if (a == 0) {
                t.EraseSection(sec);
                model.erase(folded);
            } else if (a == 1) {
                t.EraseKey(sec, key);
                if (model.count(folded))
                    model[folded].erase(Fold(key));
            } else {
                std::string value = RandomValue(rng);
                t.Write(sec, key, value);
                model[folded][Fold(key)] = value;
            }
        }
        std::string bytes = t.Serialize();
        IniText back = IniText::Parse(bytes);
        for (const auto& [sec, kv] : model) {
            EXPECT_TRUE(back.HasSection(sec)) << sec;
            for (const auto& [key, value] : kv) {
                ASSERT_EQ(back.Read(sec, key), value) << "[" << sec << "] " << key;
                ASSERT_EQ(t.Read(sec, key), value) << "[" << sec << "] " << key;
            }
        }
        // Writing what was read changes nothing.
        EXPECT_EQ(back.Serialize(), bytes);
    }
}

TEST(IniRoundTrip, GarbageParsesAndSerializesStably)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> special(0, 9);
    const char specials[] = "[]=;\r\n \"'";
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        int len = byte(rng) * 4;
        for (int i = 0; i < len; ++i) {
            bytes.push_back(special(rng) < 5 ? specials[special(rng)]
                                             : static_cast<char>(byte(rng)));
        }
        IniText t = IniText::Parse(bytes);
        std::vector<std::string> names = t.SectionNames();
        if (t.IsUtf16())
            continue;
        std::string once = t.Serialize();
        IniText again = IniText::Parse(once);
        EXPECT_EQ(again.SectionNames(), names);
        EXPECT_EQ(again.Serialize(), once);
        for (const std::string& name : names)
            EXPECT_EQ(again.Read(name, "k"), t.Read(name, "k"));
    }
}

TEST(IniRoundTrip, OneMegabyteLine)
{
    std::string big(1 << 20, 'x');
    big[12345] = '=';
    big[777777] = ';';
    IniText t = IniText::Parse("[s]\r\nk=" + big + "\r\n" + big);
    EXPECT_EQ(t.Read("s", "k"), big);
    EXPECT_EQ(t.Read("s", big.substr(0, 12345)), big.substr(12346));
    t.Write("s", "k2", big);
    EXPECT_EQ(IniText::Parse(t.Serialize()).Read("s", "k2"), big);
}

TEST(IniRoundTrip, FiftyMegabyteFile)
{
    // Generated in memory: 100,000 sections of about 500 bytes each.
    std::string bytes;
    bytes.reserve(52u << 20);
    const std::string body =
        "]\r\nEnabled=1\r\nNotes=" + std::string(460, 'n') + "\r\nStartDateTime=45366.3541666667\r\n";
    for (int i = 0; i < 100000; ++i) {
        bytes.append("[Event ");
        bytes.append(std::to_string(i));
        bytes.append(body);
    }
    ASSERT_GT(bytes.size(), 50u << 20);
    IniText t = IniText::Parse(bytes);
    std::vector<std::string> names = t.SectionNames();
    EXPECT_EQ(names.size(), 100000u);
    EXPECT_EQ(t.Read("event 99999", "startdatetime"), "45366.3541666667");
    t.Write("Event 50000", "Enabled", "0");
    EXPECT_EQ(t.Serialize().size(), bytes.size());
}

// ---------------------------------------------------------------- files

TEST(IniFileTest, MissingFileReadsDefaultsAndIsCreatedByAWrite)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    EXPECT_TRUE(f.ReadSections().empty());
    EXPECT_EQ(f.ReadString("s", "k", "def "), "def");
    f.EraseSection("s");
    EXPECT_TRUE(dir.Names().empty()) << "erasing nothing creates no file";
    f.WriteString("s", "k", "v");
    EXPECT_EQ(Slurp(f.Path()), "[s]\r\nk=v\r\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});
}

TEST(IniFileTest, EditIsOneReadAndOneWrite)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "; mine\n[a]\nx=1\n");
    f.Edit([](IniText& t) {
        t.EraseSection("a");
        t.Write("a", "x", "2");
        t.Write("a", "y", "3");
    });
    EXPECT_EQ(Slurp(f.Path()), "; mine\r\n[a]\r\nx=2\r\ny=3\r\n");
    EXPECT_EQ(f.ReadString("A", "Y", ""), "3");
    EXPECT_EQ(f.ReadSections(), std::vector<std::string>{"a"});
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});
}

// The file layer parses for editing without preparing fast lookups; what it
// reads and writes must agree with a full parse.
TEST(IniFileTest, EditsAgreeWithAFullParse)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "[Ev]\r\nk=0\r\nK2=0\r\n[Other]\r\nk=9\r\n");
    std::mt19937 rng(11);
    const std::vector<std::string> sections = {"Ev", "ev", "New One", "other"};
    const std::vector<std::string> keys = {"k", "K2", "Notes", "notes", "x"};
    std::map<std::pair<std::string, std::string>, std::string> model = {
        {{"ev", "k"}, "0"}, {{"ev", "k2"}, "0"}, {{"other", "k"}, "9"}};
    for (int round = 0; round < 30; ++round) {
        f.Edit([&](IniText& t) {
            for (int i = 0; i < 4; ++i) {
                const std::string& sec = sections[rng() % sections.size()];
                const std::string& key = keys[rng() % keys.size()];
                auto it = model.find({Fold(sec), Fold(key)});
                // Reads inside an edit see the text as edited so far.
                EXPECT_EQ(t.Read(sec, key),
                          it == model.end() ? std::nullopt : std::optional<std::string>(it->second));
                std::string value = RandomValue(rng).substr(0, 40);
                t.Write(sec, key, value);
                model[{Fold(sec), Fold(key)}] = value;
            }
        });
    }
    IniText full = f.Load();
    for (const auto& [names, value] : model) {
        EXPECT_EQ(full.Read(names.first, names.second), value);
        EXPECT_EQ(f.ReadString(names.first, names.second, "default"), value);
    }
}

TEST(IniFileTest, EachCallReadsAfresh)
{
    ScratchDir dir;
    IniFile f(dir.File("config.cfg"));
    f.WriteString("Options", "A", "1");
    Spill(f.Path(), "[Options]\r\nA=1\r\nB=2\r\n");  // changed behind our back
    f.WriteString("Options", "C", "3");
    EXPECT_EQ(Slurp(f.Path()), "[Options]\r\nA=1\r\nB=2\r\nC=3\r\n");
}

TEST(IniFileTest, UnchangedTextIsNotRewritten)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "[a]\nx=1\n");
    f.WriteString("a", "x", "1");
    EXPECT_EQ(Slurp(f.Path()), "[a]\nx=1\n");
}

TEST(IniFileTest, FailedChangeLeavesTheFile)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "[a]\r\nx=1\r\n");
    EXPECT_THROW(f.Edit([](IniText& t) {
        t.Write("a", "x", "2");
        throw std::runtime_error("stop");
    }),
                 std::runtime_error);
    EXPECT_EQ(Slurp(f.Path()), "[a]\r\nx=1\r\n");
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

TEST(IniFileTest, ReadOnlyFileIsNotReplaced)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "[a]\r\nx=1\r\n");
    fs::permissions(f.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ExpectWriteError(f, f.Path());
    EXPECT_EQ(Slurp(f.Path()), "[a]\r\nx=1\r\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"}) << "temporary file left behind";
}

TEST(IniFileTest, MissingFolderFails)
{
    ScratchDir dir;
    IniFile f((dir.Path() / "no such folder" / "events.ini").string());
    ExpectWriteError(f, f.Path());
    EXPECT_TRUE(dir.Names().empty());
}

TEST(IniFileTest, FolderInPlaceOfTheFileFails)
{
    // It exists but cannot be read as a file: a write must not replace what
    // it cannot see.
    ScratchDir dir;
    fs::create_directory(dir.Path() / "events.ini");
    IniFile f(dir.File("events.ini"));
    ExpectWriteError(f, f.Path());
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"}) << "temporary file left behind";
    EXPECT_TRUE(fs::is_directory(dir.Path() / "events.ini"));
}

TEST(IniFileTest, AtomicWriteOverAFolderLeavesNoTemporaryFile)
{
    // The temporary file is written; only the rename fails.
    ScratchDir dir;
    fs::create_directory(dir.Path() / "events.ini");
    const std::string inner = (dir.Path() / "events.ini" / "inner").string();
    Spill(inner, "x");
    EXPECT_THROW(WriteFileAtomically(dir.File("events.ini"), "[a]\r\n"), IniWriteError);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});
    EXPECT_EQ(Slurp(inner), "x");
}

TEST(IniFileTest, RelativePathIsReportedInFull)
{
    IniFile f("vellomir no such folder/events.ini");
    ExpectWriteError(f, (fs::current_path() / "vellomir no such folder" / "events.ini").string());
}

TEST(IniFileTest, Utf16FileIsReadButNotWritten)
{
    ScratchDir dir;
    IniFile f(dir.File("birthdays.ini"));
    const std::string bytes = Utf16Le(u"[Ann]\r\nEnabled=1\r\n");
    Spill(f.Path(), bytes);
    EXPECT_EQ(f.ReadString("Ann", "Enabled", "0"), "1");
    EXPECT_EQ(f.ReadSections(), std::vector<std::string>{"Ann"});
    ExpectWriteError(f, f.Path());
    EXPECT_EQ(Slurp(f.Path()), bytes);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"birthdays.ini"});
}

#ifndef _WIN32
TEST(IniFileTest, ReadOnlyFolderFails)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "[a]\r\nx=1\r\n");
    fs::permissions(dir.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::ofstream probe(dir.File("probe"));
    if (probe) {
        probe.close();
        fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    ExpectWriteError(f, f.Path());
    fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Slurp(f.Path()), "[a]\r\nx=1\r\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"events.ini"});
}

TEST(IniFileTest, ReplacedFileKeepsItsPermissions)
{
    ScratchDir dir;
    IniFile f(dir.File("events.ini"));
    Spill(f.Path(), "[a]\r\n");
    fs::permissions(f.Path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    f.WriteString("a", "x", "1");
    EXPECT_EQ(fs::status(f.Path()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

}  // namespace
