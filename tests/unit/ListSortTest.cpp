#include "shell/ListSort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Event.h"
#include "shell/Log.h"
#include "tests/unit/TestFiles.h"

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

TDateTime Day(int y, int mo, int d, int h = 0, int mi = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

// --- text -----------------------------------------------------------------------

TEST(ListSortText, AsciiLettersIgnoreCase)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"abc", "ABC", 0},   {"Alarm", "alarm", 0}, {"a", "B", -1},     {"B", "a", 1},
        {"ab", "abc", -1},   {"", "a", -1},         {"", "", 0},        {"Zeta", "alpha", 1},
        // Letters fold to capitals, so "_" (0x5F) sorts after every letter
        // and "@" (0x40) before.
        {"_x", "zz", 1},     {"@x", "AA", -1},      {"10", "9", -1},    {"a b", "ab", -1},
        // Bytes outside ASCII are compared by their unsigned code, not folded.
        {"\xE9", "\xC9", 1}, {"z", "\xE9", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(Sign(CompareTextAscii(c.a, c.b)), c.sign);
    }
}

TEST(ListSortText, ComparisonIsAntisymmetric)
{
    const std::vector<std::string> words{"", "a", "A", "ab", "aB", "b", "_", "@", "Meeting", "meeting 2",
                                         "\xE4pfel", "Zoo", "zoo!", "1", "10"};
    for (const auto& a : words)
        for (const auto& b : words)
            EXPECT_EQ(Sign(CompareTextAscii(a, b)), -Sign(CompareTextAscii(b, a))) << a << " | " << b;
}

// --- age ------------------------------------------------------------------------

TEST(ListSortAge, DecimalIntegersOrZero)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"42", 42},   {"0", 0},       {"-3", -3},  {"+7", 7},         {"007", 7},
        {"abc", 0},   {"", 0},        {"12a", 0},  {" 5", 0},         {"5 ", 0},
        {"+", 0},     {"-", 0},       {"+-5", 0},  {"99999999999", 0}, {"0x10", 0},
        {"2147483647", 2147483647},   {"-2147483648", std::numeric_limits<int>::min()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseAge(c.text), c.value);
    }
}

// --- the record-backed date columns ----------------------------------------------

class ListSortRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_.Set(Day(2024, 3, 1, 12));
        ConfigureLog(dir_.File("log.txt"), &clock_);
    }
    void TearDown() override { ConfigureLog("", nullptr); }

    void AddEvent(const std::string& name, TDateTime start, int period = pkOnce)
    {
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        e->StartDateTime = start;
        e->PeriodInd = period;
        events_.Add(std::move(e));
    }
    void AddBirthday(const std::string& name, TDateTime born)
    {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        b->BirthDate = born;
        birthdays_.Add(std::move(b));
    }
    std::string Log() const { return testfiles::ReadBytes(dir_.File("log.txt")); }

    std::vector<std::string> SortEvents(const std::vector<ListRowTexts>& rows, int column)
    {
        std::vector<RowSortKey> keys;
        for (const auto& r : rows)
            keys.push_back(EventRowSortKey(events_, column, r));
        std::vector<std::string> names;
        for (int i : SortedOrder(keys))
            names.push_back(rows[static_cast<size_t>(i)].Caption);
        return names;
    }
    std::vector<std::string> SortBirthdays(const std::vector<ListRowTexts>& rows, int column)
    {
        std::vector<RowSortKey> keys;
        for (const auto& r : rows)
            keys.push_back(BirthdayRowSortKey(birthdays_, column, r));
        std::vector<std::string> names;
        for (int i : SortedOrder(keys))
            names.push_back(rows[static_cast<size_t>(i)].Caption);
        return names;
    }

    testfiles::TempDir dir_;
    ManualClock clock_;
    EventList events_;
    BirthdayList birthdays_;
};

TEST_F(ListSortRecords, EventsByEachColumn)
{
    AddEvent("dentist", Day(2024, 5, 2, 9), pkOnce);
    AddEvent("Backup", Day(2024, 4, 1, 23, 30), pkWeekly);
    AddEvent("call mum", Day(2024, 4, 1, 8), pkDaily);
    // The date text as shown would sort "01.04." before "02.05." whatever the
    // year or hour; the column sorts by the record's moment instead.
    const std::vector<ListRowTexts> rows{{"dentist", "02.05.2024 09:00", "Once"},
                                         {"Backup", "01.04.2024 23:30", "Weekly"},
                                         {"call mum", "01.04.2024 08:00", "Daily"}};
    EXPECT_EQ(SortEvents(rows, 0), (std::vector<std::string>{"Backup", "call mum", "dentist"}));
    EXPECT_EQ(SortEvents(rows, 1), (std::vector<std::string>{"call mum", "Backup", "dentist"}));
    EXPECT_EQ(SortEvents(rows, 2), (std::vector<std::string>{"call mum", "dentist", "Backup"}));
    EXPECT_EQ(Log(), "");
}

TEST_F(ListSortRecords, EventRecordsAreFoundWithoutRegardToCase)
{
    AddEvent("Late", Day(2030, 1, 1));
    AddEvent("Early", Day(2020, 1, 1));
    EXPECT_EQ(SortEvents({{"LATE", "", ""}, {"early", "", ""}}, 1), (std::vector<std::string>{"early", "LATE"}));
    EXPECT_EQ(Log(), "");
}

TEST_F(ListSortRecords, MissingEventSortsAsDateZeroAndIsLogged)
{
    AddEvent("modern", Day(2024, 1, 1));
    AddEvent("ancient", Day(1800, 1, 1));
    const auto order = SortEvents({{"modern", "", ""}, {"ghost", "", ""}, {"ancient", "", ""}}, 1);
    EXPECT_EQ(order, (std::vector<std::string>{"ancient", "ghost", "modern"}));
    const std::string log = Log();
    EXPECT_NE(log.find(" Error in lvEventsColumnClick\r\n"), std::string::npos) << log;
    // One line per missing row, not one per comparison.
    EXPECT_EQ(log.find("Error in lvEventsColumnClick"), log.rfind("Error in lvEventsColumnClick"));
}

TEST_F(ListSortRecords, TextColumnsNeverLookUpRecords)
{
    SortEvents({{"ghost", "", "Once"}, {"spook", "", "Daily"}}, 0);
    SortEvents({{"ghost", "", "Once"}, {"spook", "", "Daily"}}, 2);
    SortBirthdays({{"ghost", "", "1"}, {"spook", "", "2"}}, 0);
    SortBirthdays({{"ghost", "", "1"}, {"spook", "", "2"}}, 2);
    EXPECT_EQ(Log(), "");
}

TEST_F(ListSortRecords, BirthdaysByEachColumn)
{
    AddBirthday("Carla", Day(1990, 1, 15));
    AddBirthday("anton", Day(1985, 12, 3));
    AddBirthday("Berta", Day(2001, 7, 30));
    const std::vector<ListRowTexts> rows{{"Carla", "15.01.1990", "34"},
                                         {"anton", "03.12.1985", "38"},
                                         {"Berta", "30.07.2001", "22"}};
    EXPECT_EQ(SortBirthdays(rows, 0), (std::vector<std::string>{"anton", "Berta", "Carla"}));
    // The year counts: 1985 comes first although 3 December is late in a year.
    EXPECT_EQ(SortBirthdays(rows, 1), (std::vector<std::string>{"anton", "Carla", "Berta"}));
    EXPECT_EQ(SortBirthdays(rows, 2), (std::vector<std::string>{"Berta", "Carla", "anton"}));
}

TEST_F(ListSortRecords, AgeThatIsNoNumberSortsAsZero)
{
    const std::vector<ListRowTexts> rows{{"ten", "", "10"}, {"word", "", "n/a"}, {"minus", "", "-1"},
                                         {"one", "", "1"}};
    EXPECT_EQ(SortBirthdays(rows, 2), (std::vector<std::string>{"minus", "word", "one", "ten"}));
    // Numerically, not as text: "9" before "10".
    EXPECT_EQ(SortBirthdays({{"b", "", "10"}, {"a", "", "9"}}, 2), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ListSortRecords, MissingBirthdaySortsAsDateZeroAndIsLogged)
{
    AddBirthday("old", Day(1890, 1, 1));
    AddBirthday("young", Day(1990, 1, 1));
    EXPECT_EQ(SortBirthdays({{"young", "", ""}, {"nobody", "", ""}, {"old", "", ""}}, 1),
              (std::vector<std::string>{"old", "nobody", "young"}));
    EXPECT_NE(Log().find("Error in lvEventsColumnClick"), std::string::npos);
}

TEST_F(ListSortRecords, EqualKeysKeepTheirOrder)
{
    AddEvent("a", Day(2024, 1, 1));
    AddEvent("b", Day(2024, 1, 1));
    AddEvent("c", Day(2023, 1, 1));
    EXPECT_EQ(SortEvents({{"b", "", "Once"}, {"a", "", "Once"}, {"c", "", "Once"}}, 1),
              (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(SortEvents({{"b", "", "Once"}, {"a", "", "Once"}, {"c", "", "Once"}}, 2),
              (std::vector<std::string>{"b", "a", "c"}));
}

TEST(ListSortKeys, NotANumberDateCountsAsZero)
{
    RowSortKey nan;
    nan.Rule = SortRule::DateTime;
    nan.Date = std::nan("");
    RowSortKey zero = nan;
    zero.Date = 0;
    RowSortKey later = nan;
    later.Date = 1;
    EXPECT_EQ(CompareRowKeys(nan, zero), 0);
    EXPECT_LT(CompareRowKeys(nan, later), 0);
    EXPECT_GT(CompareRowKeys(later, nan), 0);
}

TEST(ListSortKeys, OnlyTheThreeColumnsSort)
{
    EXPECT_FALSE(IsSortColumn(-1));
    EXPECT_TRUE(IsSortColumn(0));
    EXPECT_TRUE(IsSortColumn(2));
    EXPECT_FALSE(IsSortColumn(3));
}

}  // namespace
