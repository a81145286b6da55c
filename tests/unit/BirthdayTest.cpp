// The birthday record, its section of birthdays.ini, the list and the load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

TEST_F(BirthdayFile, SaveThenLoadGivesTheRecordBack) {
    TBirthday tricky = SampleBirthday();
    tricky.Name = "Ma\u00efa O'Neil";
    tricky.Notes = "  indented\r\n\r\n\"quoted\"; a=b %CountDays ";
    tricky.SoundFile = " C:\\a b\\c.wav ";
    tricky.IconIndex = -1;
    tricky.BirthDate = 36526.3993981481;
    tricky.LastStart = 0;
    tricky.Enabled = false;
    tricky.isDeleted = true;

    TBirthday plain;
    plain.Name = "Plain";

    // Not in alphabetical order: loading keeps the file's order.
    std::vector<TBirthday> records = {plain, SampleBirthday(), tricky};

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
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}

TEST(BirthdayList, DeleteOutOfRangeIsIgnoredAndRecordsKeepTheirAddress) {
    BirthdayList list;
    for (const char* name : {"A", "B", "C"}) {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        b->BirthDate = EncodeDate(1980, 5, 10);
        b->Enabled = name[0] != 'B';
        list.Add(std::move(b));
    }
    TBirthday* c = &list[2];
    list.Delete(5);
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.Add(nullptr), std::invalid_argument);
    list.Delete(0);
    EXPECT_EQ(&list[1], c);
}

TEST(BirthdayRow, ShowsNameIconCheckDateAndAge) {
    TBirthday b = SampleBirthday();
    b.BirthDate = EncodeDate(1980, 5, 10) + 0.3993981481;
    b.Enabled = false;
    const BirthdayRow r = BirthdayRowOf(b, EncodeDate(2026, 5, 9), "dd.mm.yyyy");
    EXPECT_EQ(std::tie(r.Caption, r.ImageIndex, r.Checked, r.DateText, r.AgeText),
              std::make_tuple("Ann Smith", 3, false, "10.05.1980", "45"));
    EXPECT_EQ(BirthdayRowOf(b, EncodeDate(2026, 5, 10), "dd.mm.yyyy").AgeText, "46");
}
