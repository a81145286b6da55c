// The birthday record, its section of birthdays.ini, the list and the load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <tuple>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/Ini.h"
#include "shell/Log.h"
#include "tests/unit/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using BirthdayTempDir = testfiles::TempDir;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

TBirthday SampleBirthday() {
    TBirthday b;
    b.Name = "Ann Smith";
    b.BirthDate = EncodeDate(1980, 5, 10);
    b.LastStart = EncodeDate(2025, 5, 10);
    b.Enabled = true;
    b.EnabledSound = true;
    b.EnabledNote = true;
    b.Notes = "Call %PersonName\r\nShe is born on %BirthDate";
    b.SoundFile = "C:\\Vellomir\\sounds\\tada.wav";
    b.IconIndex = 3;
    b.Remind1Day = true;
    b.Remind1Week = false;
    b.Remind2Weeks = true;
    b.EMail = "ann@example.org";
    b.Address = "12 High Street";
    b.Phone = "+44 20 7946 0000";
    b.ShowInTTDaysBefore = 7;
    return b;
}

const char* const SampleSection =
    "[Ann Smith]\r\n"
    "Enabled=1\r\n"
    "EnabledSound=1\r\n"
    "EnabledNote=1\r\n"
    "SoundFile=C:\\Vellomir\\sounds\\tada.wav\r\n"
    "Notes=Call %PersonName<br>She is born on %BirthDate\r\n"
    "Address=12 High Street\r\n"
    "Phone=+44 20 7946 0000\r\n"
    "E-mail=ann@example.org\r\n"
    "BirthDate=29351\r\n"
    "Remind1Week=0\r\n"
    "Remind2Weeks=1\r\n"
    "Remind1Day=1\r\n"
    "isDeleted=0\r\n"
    "IconIndex=3\r\n"
    "LastStart=45787\r\n"
    "ShowInTTDaysBefore=7\r\n";

auto Fields(const TBirthday& b) {
    return std::tie(b.Name, b.BirthDate, b.LastStart, b.Enabled, b.EnabledSound, b.EnabledNote, b.isDeleted, b.Notes,
                    b.SoundFile, b.IconIndex, b.Remind1Day, b.Remind1Week, b.Remind2Weeks, b.EMail, b.Address,
                    b.Phone, b.ShowInTTDaysBefore);
}

// The sample section as saved under another name.
std::string SampleSectionOf(const std::string& name) {
    return std::string(SampleSection).replace(1, 9, name);
}

BirthdayList LoadText(const std::string& bytes) {
    BirthdayList list;
    LoadBirthdays(IniText::Parse(bytes), list);
    return list;
}

class BirthdayFile : public ::testing::Test {
protected:
    BirthdayTempDir dir;
    IniFile file{dir.File("birthdays.ini")};
};
class BirthdayLoad : public BirthdayFile {};

}  // namespace

TEST(BirthdayRecord, NewRecordHasTheDefaults) {
    const TBirthday b;
    const std::string empty;
    EXPECT_EQ(Fields(b), std::make_tuple(empty, NeverTime, 0.0, true, false, false, false, empty, empty, 0, false,
                                         false, false, empty, empty, empty, 0));
}

TEST_F(BirthdayFile, FlagsReadAsIntegers) {
    const struct {
        const char *key, *text;
        bool expected;
    } cases[] = {{"Enabled", "0x1", true},    {"Enabled", "yes", true},    {"Enabled", "0", false},
                 {"Enabled", "", true},       {"Enabled", "7", true},      {"Remind1Day", "yes", false},
                 {"Remind1Day", "0x1", true}, {"Remind1Day", "1", true}, {"Remind1Day", "0x", false}};
    for (const auto& c : cases) {
        const BirthdayList list = LoadText(std::string("[P]\r\n") + c.key + "=" + c.text + "\r\n");
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(std::string(c.key) == "Enabled" ? list[0].Enabled : list[0].Remind1Day, c.expected)
            << c.key << "=" << c.text;
    }
}

TEST_F(BirthdayFile, MissingKeysAndUnreadableNumbersTakeTheirDefaults) {
    const BirthdayList list =
        LoadText("[P]\r\nBirthDate=soon\r\nLastStart=yesterday\r\nIconIndex=x\r\nShowInTTDaysBefore=\r\n"
                 "[Bob]\r\nBirthDate=29351\r\n");
    ASSERT_EQ(list.Count(), 2);
    TBirthday expected;
    expected.Name = "P";
    EXPECT_EQ(Fields(list[0]), Fields(expected));
    expected.Name = "Bob";
    expected.BirthDate = 29351;
    EXPECT_EQ(Fields(list[1]), Fields(expected));
}

TEST_F(BirthdayFile, SaveToFileWritesTheSixteenKeysInOrder) {
    SampleBirthday().SaveToFile(file);
    EXPECT_EQ(ReadBytes(file.Path()), SampleSection);
}

TEST_F(BirthdayFile, SaveToFileKeepsOtherSectionsAndReplacesValuesInPlace) {
    WriteBytes(file.Path(), "; my people\r\n[Zed]\r\nBirthDate=100\r\n[Ann Smith]\r\nPhone=old\r\nHobby=chess\r\n");
    SampleBirthday().SaveToFile(file);
    const std::string text = ReadBytes(file.Path());
    EXPECT_EQ(text.rfind("; my people\r\n[Zed]\r\nBirthDate=100\r\n[Ann Smith]\r\nPhone=+44 20 7946 0000\r\nHobby=chess\r\n", 0),
              0u)
        << text;
}

TEST_F(BirthdayFile, ChangedRecordMovesToTheEndButKeepsItsListPosition) {
    BirthdayList list;
    for (const char* name : {"Ann Smith", "Bob", "Cid"}) {
        auto b = std::make_unique<TBirthday>(SampleBirthday());
        b->Name = name;
        b->SaveToFile(file);
        list.Add(std::move(b));
    }
    // The change as the edit command makes it: erase under the old name,
    // rename, save under the new name.
    list[0].EraseFromFile(file);
    list.Rename(0, "Ann Jones");
    list[0].SaveToFile(file);

    EXPECT_EQ(list.NameAt(0), "Ann Jones");
    EXPECT_EQ(list[0].Name, "Ann Jones");
    // Erasing took the whole section, keys included.
    EXPECT_EQ(ReadBytes(file.Path()), SampleSectionOf("Bob") + SampleSectionOf("Cid") + SampleSectionOf("Ann Jones"));
}

TEST_F(BirthdayFile, WriteKeyChangesThatKeyAlone) {
    TBirthday b = SampleBirthday();
    b.SaveToFile(file);
    b.LastStart = EncodeDate(2026, 5, 10);
    b.Enabled = false;
    b.Phone = "not written";
    b.WriteKey(file, "LastStart");
    b.WriteKey(file, "Enabled");
    std::string expected = SampleSection;
    expected.replace(expected.find("LastStart=45787"), 15, "LastStart=46152");
    expected.replace(expected.find("Enabled=1"), 9, "Enabled=0");
    EXPECT_EQ(ReadBytes(file.Path()), expected);
    EXPECT_THROW(b.WriteKey(file, "Hobby"), std::invalid_argument);  // not a key of the record
    EXPECT_EQ(ReadBytes(file.Path()), expected);
}

TEST_F(BirthdayFile, SaveThenLoadGivesTheRecordBack) {
    TBirthday tricky = SampleBirthday();
    tricky.Name = "Ma\xEF" "a O'Neil";
    tricky.Notes = "  indented\r\n\r\n\"quoted\"; a=b %CountDays ";
    tricky.SoundFile = " C:\\a b\\c.wav ";
    tricky.Address = "'single'";
    tricky.Phone = "=";
    tricky.EMail = "";
    tricky.IconIndex = -1;
    tricky.ShowInTTDaysBefore = 99;
    tricky.BirthDate = 36526.3993981481;
    tricky.LastStart = 0;
    tricky.Enabled = false;
    tricky.isDeleted = true;

    TBirthday plain;
    plain.Name = "Plain";

    std::mt19937 rng(1234);
    // Not in alphabetical order: loading keeps the file's order.
    std::vector<TBirthday> records = {plain, SampleBirthday(), tricky};
    for (int i = 0; i < 5; ++i) {
        TBirthday r;
        r.Name = "Random " + std::to_string(i);
        r.BirthDate = EncodeDate(1900 + static_cast<int>(rng() % 120), 1 + static_cast<int>(rng() % 12),
                                 1 + static_cast<int>(rng() % 28));
        r.LastStart = static_cast<int>(rng() % 50000);
        r.Enabled = rng() % 2;
        r.EnabledSound = rng() % 2;
        r.EnabledNote = rng() % 2;
        r.isDeleted = rng() % 2;
        r.Remind1Day = rng() % 2;
        r.Remind1Week = rng() % 2;
        r.Remind2Weeks = rng() % 2;
        r.IconIndex = static_cast<int>(rng() % 20);
        r.ShowInTTDaysBefore = static_cast<int>(rng() % 100);
        r.Notes = "line " + std::to_string(rng()) + "\r\nline two";
        records.push_back(r);
    }

    for (const TBirthday& r : records) r.SaveToFile(file);
    // The editor's date keeps its time-of-day fraction in the file.
    EXPECT_NE(ReadBytes(file.Path()).find("\r\nBirthDate=36526.3993981481\r\n"), std::string::npos);
    BirthdayList list;
    LoadBirthdays(file, list);
    ASSERT_EQ(list.Count(), static_cast<int>(records.size()));
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.NameAt(i), records[static_cast<size_t>(i)].Name);
        EXPECT_EQ(Fields(list[i]), Fields(records[static_cast<size_t>(i)]));
    }
}

TEST_F(BirthdayLoad, MissingFileGivesAnEmptyListAndCreatesNothing) {
    BirthdayList list;
    auto b = std::make_unique<TBirthday>();
    b->Name = "left over";
    list.Add(std::move(b));
    LoadBirthdays(file, list);
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(fs::exists(file.Path()));
}

TEST_F(BirthdayLoad, RepeatedSectionIsSkippedAndLogged) {
    const std::string logPath = dir.File("log.txt");
    ManualClock clock(EncodeDate(2026, 5, 1) + 0.5);
    ConfigureLog(logPath, &clock);
    const BirthdayList list =
        LoadText("[Ann]\r\nBirthDate=100\r\nPhone=first\r\n[Bob]\r\n[ANN]\r\nBirthDate=200\r\nE-mail=x\r\n[ann]\r\n");
    ConfigureLog("", nullptr);

    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.NameAt(1), "Bob");
    EXPECT_EQ(std::tie(list.NameAt(0), list[0].BirthDate, list[0].Phone, list[0].EMail),
              std::make_tuple("Ann", 100.0, "first", ""));
    const std::string log = ReadBytes(logPath);
    EXPECT_NE(log.find("ANN"), std::string::npos) << log;
    EXPECT_NE(log.find("ann"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}

TEST_F(BirthdayLoad, LoadingNeverChangesTheFile) {
    const std::string bytes =
        "\xEF\xBB\xBF; comment\n[Ann]\nBirthDate=garbage\n  junk line  \n[Ann]\n[Bob]\r\nIconIndex=99999999999\r\n";
    WriteBytes(file.Path(), bytes);
    const auto before = fs::last_write_time(file.Path());
    BirthdayList list;
    LoadBirthdays(file, list);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1].IconIndex, 0);
    EXPECT_EQ(ReadBytes(file.Path()), bytes);
    EXPECT_EQ(fs::last_write_time(file.Path()), before);
}

TEST(BirthdayList, LookupIgnoresCaseAndTakesTheFirstMatch) {
    BirthdayList list;
    for (const char* name : {"Ann", "Bob", "bob"}) {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        list.Add(std::move(b));
    }
    EXPECT_EQ(list.IndexOf("ANN"), 0);
    EXPECT_EQ(list.IndexOf("bob"), 1);
    EXPECT_EQ(list.IndexOf("Bo"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
    EXPECT_EQ(list.Find("BOB"), &list[1]);
    EXPECT_EQ(list.Find("Cid"), nullptr);
    EXPECT_TRUE(list.ContainsExactly("bob"));
    EXPECT_FALSE(list.ContainsExactly("BOB"));
}

TEST(BirthdayList, AddRenameDeleteKeepTheOrder) {
    BirthdayList list;
    for (const char* name : {"A", "B", "C"}) {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        const int at = list.Add(std::move(b));
        EXPECT_EQ(at, list.Count() - 1);
    }
    TBirthday* c = &list[2];
    list.Rename(1, "Bee");
    EXPECT_EQ(list.NameAt(1), "Bee");
    EXPECT_EQ(list[1].Name, "Bee");
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.NameAt(0), "Bee");
    EXPECT_EQ(&list[1], c);  // records keep their address while the list changes
    list.Delete(5);
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.Add(nullptr), std::invalid_argument);
}

TEST(BirthdayList, ScanSeesOnlyEnabledDueBirthdays) {
    BirthdayList list;
    const TDateTime today = EncodeDate(2026, 5, 10);
    for (bool enabled : {true, false}) {
        auto b = std::make_unique<TBirthday>();
        b->Name = enabled ? "on" : "off";
        b->BirthDate = EncodeDate(1980, 5, 10);
        b->Enabled = enabled;
        list.Add(std::move(b));
    }
    const IBirthdayScan& scan = list;
    EXPECT_EQ(scan.BirthdayCount(), 2);
    EXPECT_TRUE(scan.BirthdayDueOn(0, today));
    EXPECT_FALSE(scan.BirthdayDueOn(1, today));
    EXPECT_FALSE(scan.BirthdayDueOn(0, today + 1));
    EXPECT_FALSE(scan.BirthdayDueOn(2, today));
    EXPECT_FALSE(scan.BirthdayDueOn(-1, today));
}

TEST(BirthdayRow, ShowsNameIconCheckDateAndAge) {
    TBirthday b = SampleBirthday();
    b.BirthDate = EncodeDate(1980, 5, 10) + 0.3993981481;
    b.Enabled = false;
    const BirthdayRow before = BirthdayRowOf(b, EncodeDate(2026, 5, 9), "dd.mm.yyyy");
    EXPECT_EQ(before.Caption, "Ann Smith");
    EXPECT_EQ(before.ImageIndex, 3);
    EXPECT_FALSE(before.Checked);
    EXPECT_EQ(before.DateText, "10.05.1980");
    EXPECT_EQ(before.AgeText, "45");
    EXPECT_EQ(BirthdayRowOf(b, EncodeDate(2026, 5, 10), "dd.mm.yyyy").AgeText, "46");
}
