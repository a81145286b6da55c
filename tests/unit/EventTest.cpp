#include "core/Event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Ini.h"
#include "shell/Log.h"
#include "tests/unit/TestFiles.h"

namespace {

using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

constexpr double kMillisecond = 1.0 / 86400000.0;

TEvent ReadEvent(std::string_view fileText, const std::string& name)
{
    TEvent e;
    e.Name = name;
    e.ReadFrom(IniText::Parse(fileText));
    return e;
}

// Sets a decimal separator for the length of one test and restores the
// settings that were there before.
class DecimalSeparatorScope {
public:
    explicit DecimalSeparatorScope(char separator) : saved_(CurrentFormatSettings())
    {
        FormatSettings fs = saved_;
        fs.DecimalSeparator = separator;
        SetCurrentFormatSettings(fs);
    }
    ~DecimalSeparatorScope() { SetCurrentFormatSettings(saved_); }

private:
    FormatSettings saved_;
};

// Sends the log to a file in a temp folder for one test.
class LogScope {
public:
    explicit LogScope(const TempDir& dir) : path_(dir.File("log.txt"))
    {
        ConfigureLog(path_, &clock_);
    }
    ~LogScope() { ConfigureLog("", nullptr); }
    std::string Text() const { return ReadBytes(path_); }

private:
    ManualClock clock_{45366.5};
    std::string path_;
};

TEvent SampleEvent()
{
    return {.Name = "Morning walk", .StartDateTime = EncodeDateTime({2024, 3, 15}, {8, 30}),
            .DifDateTime = 1.0 / 24 + 15.0 / 1440, .Dif2DateTime = 5.0 / 1440, .EnabledSound = true,
            .EnabledNote = true, .PeriodInd = pkHourly, .ExpiredInd = ekRunAgain,
            .Notes = "Shoes\r\nWater", .SoundFile = "C:\\Sounds\\chime.wav", .IconIndex = 3,
            .DaysBin = "0100010", .MonthsBin = "101000000000", .RunAppName = "notepad.exe",
            .RunAppParams = "C:\\notes.txt", .RunAppCmdInd = 2, .ShowInTTDaysBefore = 2};
}

const char kSampleSection[] =
    "[Morning walk]\r\n"
    "Enabled=1\r\n"
    "EnabledSound=1\r\n"
    "EnabledNote=1\r\n"
    "EnabledAction=0\r\n"
    "SoundFile=C:\\Sounds\\chime.wav\r\n"
    "Notes=Shoes<br>Water\r\n"
    "StartDateTime=45366.3541666667\r\n"
    "LastDateTime=-100000\r\n"
    "DifDateTime=0.0520833333333333\r\n"
    "SnoozeDateTime=0\r\n"
    "Dif2DateTime=0.00347222222222222\r\n"
    "PeriodInd=1\r\n"
    "ExpiredInd=1\r\n"
    "DeleteAfterRun=0\r\n"
    "IconIndex=3\r\n"
    "DaysBin=0100010\r\n"
    "MonthsBin=101000000000\r\n"
    "ActionIndex=0\r\n"
    "RunAppName=notepad.exe\r\n"
    "RunAppParams=C:\\notes.txt\r\n"
    "RunAppCmdInd=2\r\n"
    "ShtShowingSec=10\r\n"
    "ShtCloseByForce=0\r\n"
    "ShowInTTDaysBefore=2\r\n";

void ExpectSameEvent(const TEvent& a, const TEvent& b)
{
    EXPECT_NEAR(a.StartDateTime, b.StartDateTime, kMillisecond);
    EXPECT_NEAR(a.LastDateTime, b.LastDateTime, kMillisecond);
    EXPECT_NEAR(a.SnoozeDateTime, b.SnoozeDateTime, kMillisecond);
    EXPECT_NEAR(a.DifDateTime, b.DifDateTime, std::fabs(b.DifDateTime) * 1e-14);
    EXPECT_NEAR(a.Dif2DateTime, b.Dif2DateTime, std::fabs(b.Dif2DateTime) * 1e-14);
    auto exact = [](const TEvent& e) {
        return std::tie(e.Name, e.Enabled, e.EnabledSound, e.EnabledNote, e.EnabledAction,
                        e.PeriodInd, e.ExpiredInd, e.DeleteAfterRun, e.Notes, e.SoundFile,
                        e.IconIndex, e.DaysBin, e.MonthsBin, e.ActionIndex, e.RunAppName,
                        e.RunAppParams, e.RunAppCmdInd, e.ShtShowingSec, e.ShtCloseByForce,
                        e.ShowInTTDaysBefore);
    };
    EXPECT_EQ(exact(a), exact(b));
}

std::vector<std::string> Names(const EventList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list[i].Name);
    return names;
}

}  // namespace

// ---- the record and its keys ------------------------------------------------

TEST(EventRecord, MissingSectionGivesTheDefaultsOfAFreshRecord)
{
    TEvent named;
    named.Name = "Nothing";
    const TEvent e = ReadEvent("[Lonely]\r\nEnabled=0\r\n", "Nothing");
    ExpectSameEvent(e, named);
    EXPECT_EQ(e.StartDateTime, NeverTime);
    EXPECT_EQ(e.LastDateTime, NeverTime);
    EXPECT_EQ(e.SnoozeDateTime, 0);
    EXPECT_TRUE(e.Enabled);
    EXPECT_EQ(e.PeriodInd, pkOnce);
    EXPECT_EQ(e.ShtShowingSec, 10);
    EXPECT_EQ(e.DaysBin, "0000000");
    EXPECT_EQ(e.MonthsBin, "000000000000");
    // A section with only Enabled=0 is a disabled once-event that never comes.
    const TEvent lonely = ReadEvent("[Lonely]\r\nEnabled=0\r\n", "Lonely");
    named.Name = "Lonely";
    named.Enabled = false;
    ExpectSameEvent(lonely, named);
}

TEST(EventRecord, TextFormsOfFlagsAndIntegers)
{
    struct Case {
        const char *enabled, *period;
        bool expectEnabled;
        int expectPeriod;
    };
    const Case cases[] = {
        {"1", "0", true, pkOnce},
        {"0", "2", false, pkDaily},
        {"yes", "$4", true, pkMonthly},      // not an integer: the default
        {"0x1", "0x5", true, pkAnnually},    // hexadecimal
        {"0X0", "3", false, pkWeekly},
        {"2", "-1", true, -1},               // any non-zero value is true
        {"", "", true, pkOnce},              // empty: the defaults
        {"  0  ", " 1 ", false, pkHourly},   // blanks around values are dropped
        {"\"0\"", "'2'", false, pkDaily},    // one pair of outer quotes too
        {"0x", "$", true, pkOnce},           // a bare prefix is no number
        {"99999999999", "99999999999", true, pkOnce},  // beyond 32 bits
    };
    for (const Case& c : cases) {
        const TEvent e = ReadEvent(std::string("[E]\r\nEnabled=") + c.enabled + "\r\nPeriodInd=" + c.period, "E");
        EXPECT_EQ(e.Enabled, c.expectEnabled) << c.enabled;
        EXPECT_EQ(e.PeriodInd, c.expectPeriod) << c.period;
    }
}

TEST(EventRecord, OtherKeysAsRead)
{
    TEvent e = ReadEvent(
        "[E]\r\nStartDateTime=45366,3541666667\r\nLastDateTime=yesterday\r\nDifDateTime=7\r\n"
        "SnoozeDateTime=soon\r\nDif2DateTime=1E-5\r\nShtShowingSec=ten\r\nNotes=<br><br>x<BR>\r\n"
        "SoundFile=a<br>b\r\nDaysBin=01\r\nMonthsBin=\r\n",
        "E");
    // Numbers read with either separator; unreadable ones take their defaults.
    EXPECT_NEAR(e.StartDateTime, EncodeDateTime({2024, 3, 15}, {8, 30}), kMillisecond);
    EXPECT_EQ(e.LastDateTime, NeverTime);
    EXPECT_EQ(e.DifDateTime, 7);
    EXPECT_EQ(e.SnoozeDateTime, 0);
    EXPECT_NEAR(e.Dif2DateTime, 1e-5, 1e-20);
    EXPECT_EQ(e.ShtShowingSec, 10);
    // Only the notes turn "<br>" into line breaks; short masks stay as they are.
    EXPECT_EQ(e.Notes, "\r\n\r\nx<BR>");
    EXPECT_EQ(e.SoundFile, "a<br>b");
    EXPECT_EQ(e.DaysBin, "01");
    EXPECT_EQ(e.MonthsBin, "");

    e = ReadEvent("[Meeting]\r\nperiodind=3\r\nPERIODIND=4\r\nUnknownKey=1\r\nstartdatetime=100\r\n",
                  "MEETING");
    EXPECT_EQ(e.PeriodInd, pkWeekly);  // letter case ignored, the first repeated key wins
    EXPECT_EQ(e.StartDateTime, 100);
}

TEST(EventRecord, ReadFromResetsFieldsThatTheSectionLacks)
{
    TEvent e = SampleEvent();
    e.SnoozeRun = true;
    e.MissedRun = true;
    e.ReadFrom(IniText::Parse("[Morning walk]\r\nPeriodInd=2\r\n"));
    EXPECT_EQ(e.PeriodInd, pkDaily);
    EXPECT_EQ(e.StartDateTime, NeverTime);
    EXPECT_EQ(e.Notes, "");
    EXPECT_EQ(e.IconIndex, 0);
    EXPECT_FALSE(e.SnoozeRun);
    EXPECT_FALSE(e.MissedRun);
}

TEST(EventRecord, ShowCommandOfEachShowMode)
{
    const int expected[][2] = {{0, 1}, {1, 3}, {2, 2}, {3, 0}, {7, 0}, {-1, 0}, {1000000, 0}};
    for (const auto& c : expected)
        EXPECT_EQ(ShowCommandOf(c[0]), c[1]) << "RunAppCmdInd " << c[0];
}

// ---- writing the file -------------------------------------------------------

TEST(EventFile, SaveToFileWritesTheSectionByteForByte)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    SampleEvent().SaveToFile(file);
    EXPECT_EQ(ReadBytes(file.Path()), kSampleSection);

    // A new section is appended and the rest left alone.
    const std::string before = "; my events\r\n[Other]\r\nEnabled=0\r\nMine=kept\r\n";
    WriteBytes(file.Path(), before);
    SampleEvent().SaveToFile(file);
    EXPECT_EQ(ReadBytes(file.Path()), before + kSampleSection);
}

TEST(EventFile, SaveToFileReplacesValuesInPlaceInAnExistingSection)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    WriteBytes(file.Path(), "[morning WALK]\r\nIconIndex=9\r\nExtra=x\r\nEnabled=0\r\n[Next]\r\nEnabled=1\r\n");
    SampleEvent().SaveToFile(file);
    const IniText text = file.Load();
    EXPECT_EQ(text.SectionNames(), (std::vector<std::string>{"morning WALK", "Next"}));
    EXPECT_EQ(text.Read("Morning walk", "IconIndex"), "3");
    EXPECT_EQ(text.Read("Morning walk", "Enabled"), "1");
    EXPECT_EQ(text.Read("Morning walk", "Extra"), "x");
    EXPECT_EQ(text.Read("Morning walk", "ShowInTTDaysBefore"), "2");
    EXPECT_EQ(text.Read("Next", "Enabled"), "1");
}

TEST(EventFile, NumbersAreWrittenWithTheCurrentDecimalSeparator)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    {
        DecimalSeparatorScope comma(',');
        SampleEvent().SaveToFile(file);
    }
    const IniText text = file.Load();
    EXPECT_EQ(text.Read("Morning walk", "StartDateTime"), "45366,3541666667");
    EXPECT_EQ(text.Read("Morning walk", "DifDateTime"), "0,0520833333333333");
    EXPECT_EQ(text.Read("Morning walk", "LastDateTime"), "-100000");
    // Read back whatever the separator is now.
    ExpectSameEvent(ReadEvent(ReadBytes(file.Path()), "Morning walk"), SampleEvent());
}

TEST(EventFile, NotesNeverPutARawLineBreakIntoTheFile)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    TEvent e;
    e.Name = "N";
    e.Notes = "a\r\nb\nc\rd";
    e.SaveToFile(file);
    EXPECT_EQ(file.Load().Read("N", "Notes"), "a<br>b<br>c<br>d");
    EXPECT_EQ(ReadEvent(ReadBytes(file.Path()), "N").Notes, "a\r\nb\r\nc\r\nd");
}

TEST(EventFile, WriteKeyWritesOneKeyInItsTextForm)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    TEvent e = SampleEvent();
    e.SaveToFile(file);
    std::string expected = ReadBytes(file.Path());
    EXPECT_THROW(e.WriteKey(file, "Colour"), std::invalid_argument);
    EXPECT_THROW(e.WriteKey(file, ""), std::invalid_argument);
    EXPECT_EQ(ReadBytes(file.Path()), expected);

    e.StartDateTime += 1;
    e.LastDateTime = EncodeDateTime({2024, 3, 15}, {8, 30, 5});
    e.SnoozeDateTime = EncodeDateTime({2024, 3, 15}, {8, 45});
    e.Enabled = false;
    e.IconIndex = 42;  // not written: only the named keys go to the file
    for (const char* key : {"StartDateTime", "LastDateTime", "SnoozeDateTime", "enabled"})
        e.WriteKey(file, key);
    // 08:30:05 is 45366.3542245370...; the general format drops the trailing zero.
    for (auto [from, to] : {std::pair{"Enabled=1\r\n", "Enabled=0\r\n"},
                            {"StartDateTime=45366.3541666667", "StartDateTime=45367.3541666667"},
                            {"LastDateTime=-100000", "LastDateTime=45366.354224537"},
                            {"SnoozeDateTime=0\r\n", "SnoozeDateTime=45366.3645833333\r\n"}}) {
        const std::size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, std::string_view(from).size(), to);
    }
    EXPECT_EQ(ReadBytes(file.Path()), expected);
}

TEST(EventFile, EraseAndWriteKeyTouchOnlyTheirSection)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    WriteBytes(file.Path(), "[A]\r\nEnabled=1\r\n[B]\r\nEnabled=0\r\n[C]\r\nEnabled=1\r\n");
    TEvent e;
    e.Name = "b";
    e.EraseFromFile(file);
    EXPECT_EQ(ReadBytes(file.Path()), "[A]\r\nEnabled=1\r\n[C]\r\nEnabled=1\r\n");
    // Writing a key of an erased section adds it at the end.
    e.LastDateTime = 7;
    e.WriteKey(file, "LastDateTime");
    EXPECT_EQ(ReadBytes(file.Path()), "[A]\r\nEnabled=1\r\n[C]\r\nEnabled=1\r\n[b]\r\nLastDateTime=7\r\n");
}

TEST(EventFile, AFailedSaveThrowsTheWriteErrorWithTheFileName)
{
    TempDir dir;
    IniFile file((dir.Path() / "missing-folder" / "events.ini").string());
    try {
        SampleEvent().SaveToFile(file);
        FAIL() << "no error";
    } catch (const IniWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + file.Path());
    }
    EXPECT_THROW(SampleEvent().WriteKey(file, "Enabled"), IniWriteError);
}

// Property: whatever a record holds comes back from the file as it was (dates
// to the millisecond), including texts with blanks, quotes and ANSI bytes.
TEST(EventFile, SaveThenLoadGivesBackTheRecord)
{
    std::mt19937 rng(20240315);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&rng](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    const std::string alphabet = " \t\"';=[]<>#$abcXYZ019\\/.,\xE4\xFC\xDF\x80\xFF";
    auto text = [&](int maxLength) {
        std::string s;
        for (int n = pick(0, maxLength); n > 0; --n)
            s += alphabet[rng() % alphabet.size()];
        for (std::size_t at; (at = s.find("<br>")) != std::string::npos;)
            s.erase(at, 4);  // "<br>" in the notes would read back as a line break
        return s;
    };
    auto mask = [&](int length) {
        std::string s;
        for (int i = 0; i < length; ++i)
            s += pick(0, 1) ? '1' : '0';
        return s;
    };
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    std::vector<TEvent> saved;
    for (int n = 0; n < 40; ++n) {
        TEvent e{.Name = "Event " + std::to_string(n), .StartDateTime = real(-1e5, 1e5),
                 .LastDateTime = pick(0, 3) == 0 ? NeverTime : real(-1e5, 1e5), .DifDateTime = real(-1e6, 1e6),
                 .Dif2DateTime = pick(0, 3) == 0 ? 1e-7 : real(0, 2), .SnoozeDateTime = pick(0, 1) ? 0 : real(-1e5, 1e5),
                 .Enabled = pick(0, 1) != 0, .EnabledSound = pick(0, 1) != 0, .EnabledNote = pick(0, 1) != 0,
                 .EnabledAction = pick(0, 1) != 0, .PeriodInd = pick(-3, 8), .ExpiredInd = pick(0, 2),
                 .DeleteAfterRun = pick(0, 1) != 0, .Notes = text(20), .SoundFile = text(20),
                 .IconIndex = pick(-2147483647 - 1, 2147483647), .DaysBin = mask(pick(0, 7)),
                 .MonthsBin = mask(12), .ActionIndex = pick(0, 4), .RunAppName = text(20),
                 .RunAppParams = text(20), .RunAppCmdInd = pick(-1, 9), .ShtShowingSec = pick(0, 3600),
                 .ShtCloseByForce = pick(0, 1) != 0, .ShowInTTDaysBefore = pick(0, 365)};
        for (int lines = pick(0, 3); lines > 0; --lines)
            e.Notes += "\r\n" + text(20);
        e.SaveToFile(file);
        saved.push_back(e);
    }
    EventList list;
    LoadEvents(file, list);
    ASSERT_EQ(list.Count(), static_cast<int>(saved.size()));
    for (int i = 0; i < list.Count(); ++i)
        ExpectSameEvent(list[i], saved[static_cast<std::size_t>(i)]);
}

// ---- the list ---------------------------------------------------------------

TEST(EventListTest, LookupsAddAndDelete)
{
    EventList list;
    for (const char* name : {"Alpha", "beta", "Gamma \xC4", "D"}) {
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        const int index = list.Add(std::move(e));
        EXPECT_EQ(index, list.Count() - 1);
    }
    EXPECT_EQ(list.Add(nullptr), -1);
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("gamma \xC4"), 2);
    EXPECT_EQ(list.IndexOf("Alph"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
    ASSERT_NE(list.Find("BETA"), nullptr);
    EXPECT_EQ(list.Find("BETA")->Name, "beta");
    EXPECT_EQ(list.Find("delta"), nullptr);
    list.Delete(1);
    list.Delete(-1);
    list.Delete(3);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Gamma \xC4", "D"}));
}

TEST(EventListTest, SameNameComparesAsTheFileDoes)
{
    struct Case {
        const char *a, *b;
        bool same;
    };
    const Case cases[] = {
        {"Walk the Dog", "WALK THE dog", true},
        {"", "", true},
        {"walk", "walks", false},
        {"a[", "A{", false},  // '[' and '{' are not a letter pair
        {"@", "`", false},
        {"\xC4", "\xE4", false},  // only ASCII letters fold
        {" Walk\t", "walk", true},  // the file drops blanks around a name
        {"a\r\nb", "A  B", true},   // and stores a line break as a blank
        {"a b", "ab", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameName(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

// Two events the list tells apart must never share a section of the file.
TEST(EventListTest, NamesTheListTellsApartGetSectionsOfTheirOwn)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    EventList list;
    for (const char* name : {"Tea", " tea", "TEA ", "T\xC9" "A", "t\xE9" "a", "Tea\n", "Te a"}) {
        if (list.IndexOf(name) >= 0)
            continue;  // what the editors do: refuse a name the list already has
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        e->IconIndex = list.Count();
        e->SaveToFile(file);
        list.Add(std::move(e));
    }
    EXPECT_EQ(list.Count(), 4);
    EventList loaded;
    LoadEvents(file, loaded);
    ASSERT_EQ(loaded.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(loaded[i].IconIndex, i);
}

// ---- loading ----------------------------------------------------------------

TEST(EventLoad, SectionsLoadInFileOrderIntoAClearedList)
{
    EventList list;
    LoadEvents(IniText::Parse("[Old]\r\n"), list);
    LoadEvents(IniText::Parse("[Zeta]\r\n[alpha]\r\nPeriodInd=2\r\n[Mid]\r\nEnabled=0\r\n"), list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    EXPECT_EQ(list[1].PeriodInd, pkDaily);
    EXPECT_FALSE(list[2].Enabled);

    TempDir dir;  // a missing file gives an empty list and creates nothing
    IniFile file(dir.File("events.ini"));
    LoadEvents(file, list);
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
}

TEST(EventLoad, DuplicateSectionsAreSkippedAndLogged)
{
    TempDir dir;
    LogScope log(dir);
    IniFile file(dir.File("events.ini"));
    const std::string bytes =
        "[Alpha]\r\nIconIndex=1\r\n[Beta]\r\nIconIndex=2\r\n[ALPHA]\r\nIconIndex=3\r\n[alpha]\r\n[Beta]\r\n";
    WriteBytes(file.Path(), bytes);
    EventList list;
    LoadEvents(file, list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(list[0].IconIndex, 1);
    EXPECT_EQ(list[1].IconIndex, 2);
    for (const char* name : {"ALPHA", "alpha", "Beta"})
        EXPECT_NE(log.Text().find(std::string(" Duplicate event section skipped: ") + name + "\r\n"),
                  std::string::npos) << name;
    EXPECT_EQ(ReadBytes(file.Path()), bytes);  // nothing merged, nothing written
}

TEST(EventLoad, LoadingNeverChangesTheFile)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    const std::string bytes =
        "\xEF\xBB\xBF; comment\n[A]\nEnabled=yes\nStartDateTime=garbage\n"
        "[A]\r\n[B]\rNotes=x<br>y\r\n  [C]  \r\nk\r\n";
    WriteBytes(file.Path(), bytes);
    const auto stamp = std::filesystem::last_write_time(file.Path()) - std::chrono::hours(1);
    std::filesystem::last_write_time(file.Path(), stamp);
    EventList list;
    LoadEvents(file, list);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(ReadBytes(file.Path()), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file.Path()), stamp);
    // Nothing else appeared in the folder either (no temporary files).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()), 1);
}

TEST(EventLoad, GarbageLoadsWhatCanBeLoaded)
{
    std::mt19937 rng(1626);
    const std::string pieces[] = {"[", "]", "=", "\r\n", "\n", "\r", "\"", "'", " ",
                                  "Enabled", "StartDateTime", "Notes", "<br>", "DaysBin",
                                  "0x", "$", "-", "1e400", "nan", "inf", "9", ",", ".",
                                  "\xFF\xFE", "\xEF\xBB\xBF", "\xC4", ";", "PeriodInd"};
    for (int round = 0; round < 150; ++round) {
        std::string bytes;
        for (unsigned n = rng() % 201; n > 0; --n)
            bytes += rng() % 4 == 0 ? std::string(1, static_cast<char>(rng() & 0xFF)) : pieces[rng() % std::size(pieces)];
        EventList list;
        LoadEvents(IniText::Parse(bytes), list);
        for (int i = 0; i < list.Count(); ++i) {
            for (int j = 0; j < i; ++j)
                EXPECT_FALSE(SameName(list[i].Name, list[j].Name));
        }
    }
}

TEST(EventLoad, TenThousandEventsLoadWhole)
{
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    std::string bytes;
    const std::string body = std::string(kSampleSection).substr(std::string("[Morning walk]\r\n").size());
    for (int i = 0; i < 10000; ++i)
        bytes += "[Event " + std::to_string(i) + "]\r\n" + body;
    WriteBytes(file.Path(), bytes);
    EventList list;
    LoadEvents(file, list);
    ASSERT_EQ(list.Count(), 10000);
    TEvent e = SampleEvent();
    e.Name = "Event 9999";
    ExpectSameEvent(list[9999], e);
}
