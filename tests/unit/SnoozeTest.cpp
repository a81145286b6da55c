#include "alerts/Snooze.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "core/DateTime.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "tests/unit/TestFiles.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

// Equal to the millisecond, the resolution the program works with.
void ExpectSameMoment(TDateTime actual, TDateTime expected)
{
    EXPECT_NEAR(actual, expected, 0.5 / 86400000.0) << actual << " vs " << expected;
}

TEST(SnoozeTime, InAddsMinutes)
{
    const TDateTime now = At(2024, 5, 17, 9, 41, 12);
    struct Case {
        int tag;
        TDateTime expected;
    } cases[] = {
        {1, At(2024, 5, 17, 9, 42, 12)},   {3, At(2024, 5, 17, 9, 44, 12)},
        {45, At(2024, 5, 17, 10, 26, 12)}, {420, At(2024, 5, 17, 16, 41, 12)},
        {720, At(2024, 5, 17, 21, 41, 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        ExpectSameMoment(SnoozeInTime(now, c.tag), c.expected);
    }
}

TEST(SnoozeTime, SevenHoursIsFourHundredTwentyMinutes)
{
    const TDateTime now = At(2023, 12, 31, 20, 0);
    ExpectSameMoment(SnoozeInTime(now, 420), At(2024, 1, 1, 3, 0));
}

TEST(SnoozeTime, OnAddsDaysForOrdinaryTags)
{
    const TDateTime now = At(2024, 2, 27, 6, 30);
    ExpectSameMoment(SnoozeOnTime(now, 1), At(2024, 2, 28, 6, 30));
    ExpectSameMoment(SnoozeOnTime(now, 3), At(2024, 3, 1, 6, 30));
    ExpectSameMoment(SnoozeOnTime(now, 5), At(2024, 3, 3, 6, 30));
    ExpectSameMoment(SnoozeOnTime(now, 7), At(2024, 3, 5, 6, 30));
    ExpectSameMoment(SnoozeOnTime(now, 21), At(2024, 3, 19, 6, 30));
}

TEST(SnoozeTime, MonthKeysAddCalendarMonths)
{
    struct Case {
        TDateTime now;
        int tag;
        TDateTime expected;
    } cases[] = {
        {At(2024, 3, 31, 10, 15), 31, At(2024, 4, 30, 10, 15)},
        {At(2023, 1, 31, 8, 0), 31, At(2023, 2, 28, 8, 0)},
        {At(2024, 1, 31, 8, 0), 31, At(2024, 2, 29, 8, 0)},
        {At(2024, 11, 30, 23, 59, 59), 93, At(2025, 2, 28, 23, 59, 59)},
        {At(2024, 8, 31, 12, 0), 186, At(2025, 2, 28, 12, 0)},
        {At(2024, 5, 31, 0, 0), 279, At(2025, 2, 28, 0, 0)},
        {At(2024, 2, 29, 18, 45), 372, At(2025, 2, 28, 18, 45)},
        {At(2023, 7, 14, 9, 0), 372, At(2024, 7, 14, 9, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        ExpectSameMoment(SnoozeOnTime(c.now, c.tag), c.expected);
    }
}

// For every day of a four-year cycle and every month key: the time of day is
// kept, the result lies the right number of calendar months ahead, and the day
// is the same unless the target month is shorter, when it is that month's last.
TEST(SnoozeTime, MonthKeysOverAFourYearCycle)
{
    const struct {
        int tag;
        int months;
    } keys[] = {{31, 1}, {93, 3}, {186, 6}, {279, 9}, {372, 12}};
    const TimeParts time{17, 5, 30, 250};
    for (TDateTime day = At(2020, 1, 1); day < At(2024, 1, 1); day += 1) {
        const TDateTime now = day + EncodeTime(time.hour, time.minute, time.second, time.millisecond);
        const DateParts from = DecodeDate(now);
        for (const auto& k : keys) {
            const TDateTime got = SnoozeOnTime(now, k.tag);
            const DateParts to = DecodeDate(got);
            const TimeParts t = DecodeTime(got);
            const int monthIndex = from.year * 12 + from.month - 1 + k.months;
            ASSERT_EQ(to.year, monthIndex / 12);
            ASSERT_EQ(to.month, monthIndex % 12 + 1);
            ASSERT_EQ(to.day, std::min(from.day, DaysInMonth(to.year, to.month)));
            ASSERT_EQ(t.hour, time.hour);
            ASSERT_EQ(t.minute, time.minute);
            ASSERT_EQ(t.second, time.second);
            ASSERT_EQ(t.millisecond, time.millisecond);
        }
    }
}

TEST(SnoozeChoices, MenuTablesInOrder)
{
    const auto in = SnoozeInChoices();
    ASSERT_EQ(in.size(), 12u);
    const int inTags[] = {1, 3, 5, 15, 30, 45, 60, 180, 300, 420, 600, 720};
    for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(in[i].Tag, inTags[i]) << in[i].Caption;
    EXPECT_STREQ(in[0].Caption, "1 min");
    EXPECT_STREQ(in[6].Caption, "1 hour");
    EXPECT_STREQ(in[11].Caption, "12 hours");
    EXPECT_STREQ(in[2].Shortcut, "Ctrl+5");
    EXPECT_STREQ(in[3].Shortcut, "");

    const auto on = SnoozeOnChoices();
    ASSERT_EQ(on.size(), 10u);
    const int onTags[] = {1, 3, 5, 7, 21, 31, 93, 186, 279, 372};
    for (size_t i = 0; i < on.size(); ++i) EXPECT_EQ(on[i].Tag, onTags[i]) << on[i].Caption;
    EXPECT_STREQ(on[0].Shortcut, "Shift+1");
    EXPECT_STREQ(on[4].Caption, "3 weeks");
    EXPECT_STREQ(on[9].Caption, "1 year");

    // One column break in each submenu: before "1 hour" and before "1 month".
    std::set<std::string> breaks;
    for (const auto& c : in)
        if (c.NewColumn) breaks.insert(c.Caption);
    for (const auto& c : on)
        if (c.NewColumn) breaks.insert(c.Caption);
    EXPECT_EQ(breaks, (std::set<std::string>{"1 hour", "1 month"}));
}

TEST(NoteKeys, Rules)
{
    using K = NoteKeyCommand;
    struct Case {
        int vk;
        bool ctrl, shift;
        K expected;
    } cases[] = {
        {0x1B, false, false, K::Close},     {0x1B, true, true, K::Close},
        {0x20, false, false, K::OpenMenu},  {0x20, true, false, K::OpenMenu},
        {0x23, false, false, K::StopMusic}, {0x23, false, true, K::StopMusic},
        {'1', true, false, K::In1Min},      {'3', true, false, K::In3Min},
        {'5', true, false, K::In5Min},      {'1', false, true, K::On1Day},
        {'3', false, true, K::On3Days},     {'5', false, true, K::On5Days},
        // Ctrl wins over Shift.
        {'1', true, true, K::In1Min},       {'5', true, true, K::In5Min},
        // Other digits and plain digits do nothing.
        {'1', false, false, K::None},       {'2', true, false, K::None},
        {'4', false, true, K::None},        {'3', true, true, K::In3Min},
        // Ctrl with another key does not fall back to the Shift rules.
        {'7', true, true, K::None},         {0x61 /* numpad 1 */, true, false, K::None},
        {0x0D, false, false, K::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vk << " ctrl " << c.ctrl << " shift " << c.shift);
        EXPECT_EQ(NoteKeyAction(c.vk, c.ctrl, c.shift), c.expected);
    }
}

class ApplySnoozeTest : public testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("events.ini");
        original =
            "[Morning walk]\r\nStartDateTime=45000.25\r\nSnoozeDateTime=0\r\n"
            "[Tea]\r\nStartDateTime=45001.5\r\n";
        testfiles::WriteBytes(path, original);
        for (const char* name : {"Morning walk", "Tea"}) {
            auto e = std::make_unique<TEvent>();
            e->Name = name;
            list.Add(std::move(e));
        }
    }

    testfiles::TempDir dir;
    std::string path;
    std::string original;
    EventList list;
};

TEST_F(ApplySnoozeTest, FoundEventGetsTheTimeInMemoryAndFile)
{
    IniFile file(path);
    const TDateTime when = At(2024, 4, 30, 10, 15);
    ASSERT_TRUE(ApplySnooze(list, file, "morning WALK", when));
    EXPECT_EQ(list[0].SnoozeDateTime, when);
    EXPECT_EQ(list[1].SnoozeDateTime, 0);

    const IniText text = IniText::Parse(testfiles::ReadBytes(path));
    const auto stored = text.Read("Morning walk", "SnoozeDateTime");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NEAR(ParseNumber(*stored, 0), when, 1e-9);
    // The other section is untouched.
    EXPECT_FALSE(text.Read("Tea", "SnoozeDateTime").has_value());
}

TEST_F(ApplySnoozeTest, KeyIsAddedWhenMissing)
{
    IniFile file(path);
    ASSERT_TRUE(ApplySnooze(list, file, "Tea", 45002.75));
    const IniText text = IniText::Parse(testfiles::ReadBytes(path));
    const auto stored = text.Read("Tea", "SnoozeDateTime");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NEAR(ParseNumber(*stored, 0), 45002.75, 1e-9);
}

TEST_F(ApplySnoozeTest, UnknownNameWritesNothing)
{
    IniFile file(path);
    for (const char* name : {"", "Birthday!", "Morning walks", "Te"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(ApplySnooze(list, file, name, 45010.0));
    }
    EXPECT_EQ(testfiles::ReadBytes(path), original);
    EXPECT_EQ(list[0].SnoozeDateTime, 0);
    EXPECT_EQ(list[1].SnoozeDateTime, 0);
}

TEST_F(ApplySnoozeTest, UnknownNameDoesNotCreateAMissingFile)
{
    IniFile file(dir.File("absent.ini"));
    EXPECT_FALSE(ApplySnooze(list, file, "Nobody", 45010.0));
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.ini")));
}

}  // namespace
