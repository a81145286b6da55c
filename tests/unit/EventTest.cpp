#include "core/Event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>
#include <tuple>
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
            .RunAppParams = "C:\\notes.txt", .RunAppCmdInd = 2, .ShowInTTDaysBefore = 2,
            .ShtShowWarning = false};
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
    "ShowInTTDaysBefore=2\r\n"
    "ShtShowWarning=0\r\n"
    "ShowWhenBusy=0\r\n"
    "MaxLateMinutes=0\r\n";

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
                        e.ShowInTTDaysBefore, e.ShtShowWarning);
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

std::unique_ptr<TEvent> Named(const char* name)
{
    auto e = std::make_unique<TEvent>();
    e->Name = name;
    return e;
}

}  // namespace

// ---- the record and its keys ------------------------------------------------

TEST(EventRecord, MissingSectionGivesTheDefaultsOfAFreshRecord)
{
    const TEvent e = ReadEvent("[Lonely]\r\nEnabled=0\r\n", "Nothing");
    EXPECT_EQ(std::tie(e.StartDateTime, e.LastDateTime, e.SnoozeDateTime, e.Enabled, e.PeriodInd, e.ShtShowingSec,
                       e.DaysBin, e.MonthsBin),
              std::make_tuple(NeverTime, NeverTime, 0.0, true, int(pkOnce), 10, "0000000", "000000000000"));
    TEvent fresh;
    fresh.Name = "Nothing";
    ExpectSameEvent(e, fresh);
}

TEST(EventRecord, FlagsAndIntegersReadInTheirTextForms)
{
    struct Case { const char *enabled, *period; bool expectEnabled; int expectPeriod; };
    const Case cases[] = {
        {"0", "2", false, pkDaily},
        {"yes", "$4", true, pkMonthly},  // not an integer: the default
        {"0X0", "0x5", false, pkAnnually},
        {"2", "-1", true, -1},  // any non-zero value is true
        {"  0  ", "'2'", false, pkDaily},  // blanks and one pair of outer quotes dropped
    };
    for (const Case& c : cases) {
        const TEvent e = ReadEvent(std::string("[E]\r\nEnabled=") + c.enabled + "\r\nPeriodInd=" + c.period, "E");
        EXPECT_EQ(std::tie(e.Enabled, e.PeriodInd), std::make_tuple(c.expectEnabled, c.expectPeriod)) << c.enabled;
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
    EXPECT_NEAR(e.Dif2DateTime, 1e-5, 1e-20);
    // Only the notes turn "<br>" into line breaks; short masks stay as they are.
    EXPECT_EQ(std::tie(e.LastDateTime, e.DifDateTime, e.SnoozeDateTime, e.ShtShowingSec, e.Notes, e.SoundFile,
                       e.DaysBin, e.MonthsBin),
              std::make_tuple(NeverTime, 7.0, 0.0, 10, "\r\n\r\nx<BR>", "a<br>b", "01", ""));
    // Letter case ignored, the first repeated key wins.
    e = ReadEvent("[Meeting]\r\nperiodind=3\r\nPERIODIND=4\r\nUnknownKey=1\r\nstartdatetime=100\r\n", "MEETING");
    EXPECT_EQ(std::tie(e.PeriodInd, e.StartDateTime), std::make_tuple(int(pkWeekly), 100.0));
}

TEST(EventRecord, ReadFromResetsFieldsThatTheSectionLacks)
{
    TEvent e = SampleEvent();
    e.SnoozeRun = e.MissedRun = true;
    e.ReadFrom(IniText::Parse("[Morning walk]\r\nPeriodInd=2\r\n"));
    EXPECT_EQ(std::tie(e.PeriodInd, e.StartDateTime, e.Notes, e.IconIndex, e.SnoozeRun, e.MissedRun),
              std::make_tuple(int(pkDaily), NeverTime, "", 0, false, false));
}

// ---- writing the file -------------------------------------------------------

class EventFile : public ::testing::Test {
protected:
    TempDir dir;
    IniFile file{dir.File("events.ini")};
};

TEST_F(EventFile, SaveToFileWritesTheSectionByteForByte)
{
    SampleEvent().SaveToFile(file);
    EXPECT_EQ(ReadBytes(file.Path()), kSampleSection);
    // A new section is appended and the rest left alone.
    const std::string before = "; my events\r\n[Other]\r\nEnabled=0\r\nMine=kept\r\n";
    WriteBytes(file.Path(), before);
    SampleEvent().SaveToFile(file);
    EXPECT_EQ(ReadBytes(file.Path()), before + kSampleSection);
}

TEST_F(EventFile, NumbersAreWrittenWithTheCurrentDecimalSeparator)
{
    {
        DecimalSeparatorScope comma(',');
        SampleEvent().SaveToFile(file);
    }
    std::string expected = kSampleSection;
    for (const char* key : {"StartDateTime=45366", "DifDateTime=0", "Dif2DateTime=0"})
        expected[expected.find(key) + std::string_view(key).size()] = ',';
    EXPECT_EQ(ReadBytes(file.Path()), expected);
    // Read back whatever the separator is now.
    ExpectSameEvent(ReadEvent(expected, "Morning walk"), SampleEvent());
}

TEST_F(EventFile, AnotherRegionalSeparatorWritesAPointAndReadsBoth)
{
    DecimalSeparatorScope slash('/');
    SampleEvent().SaveToFile(file);
    EXPECT_EQ(file.Load().Read("Morning walk", "StartDateTime"), "45366.3541666667");
    ExpectSameEvent(ReadEvent(ReadBytes(file.Path()), "Morning walk"), SampleEvent());
    EXPECT_DOUBLE_EQ(ReadEvent("[E]\r\nDifDateTime=7/5\r\n", "E").DifDateTime, 7.5);
}

TEST_F(EventFile, NotesNeverPutARawLineBreakIntoTheFile)
{
    TEvent e;
    e.Name = "N";
    e.Notes = "a\r\nb\nc\rd";
    e.SaveToFile(file);
    EXPECT_EQ(file.Load().Read("N", "Notes"), "a<br>b<br>c<br>d");
    EXPECT_EQ(ReadEvent(ReadBytes(file.Path()), "N").Notes, "a\r\nb\r\nc\r\nd");
}

TEST_F(EventFile, WriteKeyWritesOneKeyInItsTextForm)
{
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

// ---- the list ---------------------------------------------------------------

TEST(EventListTest, LookupsAddAndDelete)
{
    EventList list;
    for (const char* name : {"Alpha", "beta", "Gamma \xC4", "D"}) {
        const int count = list.Count();
        EXPECT_EQ(list.Add(Named(name)), count);
    }
    EXPECT_EQ(list.Add(nullptr), -1);
    EXPECT_EQ(std::make_tuple(list.IndexOf("ALPHA"), list.IndexOf("gamma \xC4"), list.IndexOf("Alph"), list.IndexOf("")),
              std::make_tuple(0, 2, -1, -1));
    ASSERT_EQ(list.Find("BETA"), &list[1]);
    EXPECT_EQ(list.Find("delta"), nullptr);
    EXPECT_EQ(list.Add(Named(" ALPHA ")), -1);  // the list keeps its names unique
    list.Delete(1);
    list.Delete(-1);
    list.Delete(3);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Gamma \xC4", "D"}));
    EXPECT_EQ(std::make_tuple(list.IndexOf("beta"), list.IndexOf("d"), list.IndexOf("\tgamma \xC4 ")),
              std::make_tuple(-1, 2, 1));
    list.Rename(0, "Omega");
    EXPECT_EQ(std::make_tuple(list.IndexOf("alpha"), list.IndexOf("OMEGA")), std::make_tuple(-1, 0));
    list.Rename(0, "omega");  // a change of letter case only
    EXPECT_EQ(std::make_tuple(list.IndexOf("Omega"), list[0].Name), std::make_tuple(0, std::string("omega")));

    // Deleting from the middle of a long list keeps every position right.
    EventList many;
    for (int i = 0; i < 500; ++i)
        many.Add(Named(("Event " + std::to_string(i)).c_str()));
    for (int i = 0; i < 100; ++i)
        many.Delete(i * 3 % many.Count());
    for (int i = 0; i < many.Count(); ++i)
        ASSERT_EQ(many.IndexOf(many[i].Name), i) << many[i].Name;
}

TEST(EventListTest, SameNameComparesAsTheFileDoes)
{
    struct Case { const char *a, *b; bool same; };
    const Case cases[] = {
        {"Walk the Dog", "WALK THE dog", true},
        {"walk", "walks", false},
        {"a[", "A{", false},  // '[' and '{' are not a letter pair
        {"\u00c4 \u0141", "\u00e4 \u0142", true},  // letters fold in every script:
        {"\u03a3\u039f\u03a6\u0399\u0391", "\u03c3\u03bf\u03c6\u03b9\u03b1", true},  // Greek,
        {"\u0416\u0415\u041d\u042f", "\u0436\u0435\u043d\u044f", true},      // Cyrillic
        {"\u00df", "SS", false},  // one character to one character only
        {"\u674e\u96f7", "\u674e\u96f7 ", true}, {"\u674e\u96f7", "\u674e\u96f6", false},
        {"\U0001F382", "\U0001F381", false},
        {"\u0131", "i", true},  // the dotless i uppercases to I
        {" Walk\t", "walk", true},  // the file drops blanks around a name
        {"a\r\nb", "A  B", true},   // and stores a line break as a blank
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameName(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

// Two events the list tells apart must never share a section of the file.
TEST_F(EventFile, NamesTheListTellsApartGetSectionsOfTheirOwn)
{
    EventList list;
    for (const char* name : {"Tea", " tea", "TEA ", "T\u00c9A", "t\u00e9a", "Tea\n", "Te a",
                             "\u0416\u0435\u043d\u044f", "\u0436\u0415\u041d\u042f", "\u674e\u96f7",
                             "\U0001F382", "\U0001F382 "}) {
        if (list.IndexOf(name) >= 0)
            continue;  // what the editors do: refuse a name the list already has
        auto e = Named(name);
        e->IconIndex = list.Count();
        e->SaveToFile(file);
        list.Add(std::move(e));
    }
    EXPECT_EQ(list.Count(), 6);
    EventList loaded;
    LoadEvents(file, loaded);
    ASSERT_EQ(loaded.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(loaded[i].IconIndex, i);
}

// ---- loading ----------------------------------------------------------------

TEST_F(EventFile, SectionsLoadInFileOrderIntoAClearedList)
{
    EventList list;
    LoadEventsText("[Old]\r\n", list);
    // Keys in any order and letter case; of repeated keys the first counts,
    // even a line without "=" (which leaves the default).
    LoadEventsText("[Zeta]\r\n[alpha]\r\nIconIndex=4\r\nPeriodInd=2\r\nICONINDEX=5\r\n"
                   "[Mid]\r\nEnabled\r\nEnabled=0\r\nDifDateTime=2\r\nenabled=0\r\n",
                   list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    EXPECT_EQ(std::tie(list[1].PeriodInd, list[1].IconIndex, list[2].Enabled, list[2].DifDateTime),
              std::make_tuple(int(pkDaily), 4, true, 2.0));
    // A missing file gives an empty list and creates nothing.
    LoadEvents(file, list);
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
}

TEST_F(EventFile, DuplicateSectionsAreSkippedAndLoggedAndLoadingNeverWrites)
{
    LogScope log(dir);
    const std::string bytes = "\xEF\xBB\xBF; comment\n[Alpha]\nIconIndex=1\nStartDateTime=garbage\n"
                              "[Beta]\rIconIndex=2\r\n[ALPHA]\r\nIconIndex=3\r\n[alpha]\r\n  [Beta]  \r\nk\r\n";
    WriteBytes(file.Path(), bytes);
    const auto stamp = std::filesystem::last_write_time(file.Path()) - std::chrono::hours(1);
    std::filesystem::last_write_time(file.Path(), stamp);
    EventList list;
    LoadEvents(file, list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(std::tie(list[0].IconIndex, list[1].IconIndex), std::make_tuple(1, 2));
    for (const char* name : {"ALPHA", "alpha", "Beta"})
        EXPECT_NE(log.Text().find(std::string(" Duplicate event section skipped: ") + name + "\r\n"),
                  std::string::npos) << name;
    // Nothing merged, nothing written, no temporary files in the folder.
    EXPECT_EQ(ReadBytes(file.Path()), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(file.Path()), stamp);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()),
              2);  // events.ini and the log
}

TEST(EventLoad, GarbageLoadsWhatCanBeLoaded)
{
    std::mt19937 rng(1626);
    const std::string pieces[] = {"[", "]", "=", "\r\n", "\n", "\r", "\"", "'", " ", "Enabled", "StartDateTime",
                                  "Notes", "<br>", "DaysBin", "0x", "$", "-", "1e400", "nan", "inf", "9", ",",
                                  ".", "\xFF\xFE", "\xEF\xBB\xBF", "\xC4", ";", "PeriodInd"};
    for (int round = 0; round < 100; ++round) {
        std::string bytes;
        for (unsigned n = rng() % 201; n > 0; --n)
            bytes += rng() % 4 == 0 ? std::string(1, static_cast<char>(rng() & 0xFF)) : pieces[rng() % std::size(pieces)];
        EventList list;
        LoadEventsText(bytes, list);
        // The one-pass loader gives what looking up every key by name gives:
        // the first section of a name, the first of repeated keys.
        const IniText text = IniText::Parse(bytes);
        for (int i = 0; i < list.Count(); ++i) {
            for (int j = 0; j < i; ++j)
                EXPECT_FALSE(SameName(list[i].Name, list[j].Name));
            TEvent byLookup;
            byLookup.Name = list[i].Name;
            byLookup.ReadFrom(text);
            for (const char* key : EventKeys)
                ASSERT_EQ(list[i].KeyText(key), byLookup.KeyText(key)) << key << " in " << round;
        }
    }
}
