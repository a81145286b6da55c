#include "shell/ListSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Event.h"
#include "shell/Log.h"
#include "tests/unit/TestFiles.h"

namespace {

using Names = std::vector<std::string>;

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

TDateTime Day(int y, int mo, int d, int h = 0, int mi = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

TEST(ListSortText, LettersIgnoreCaseInEveryScript)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"abc", "ABC", 0},   {"a", "B", -1},  {"B", "a", 1},     {"ab", "abc", -1},
        {"", "a", -1},       {"", "", 0},     {"Zeta", "alpha", 1},
        // Letters fold to capitals, so "_" (0x5F) sorts after every letter
        // and "@" (0x40) before.
        {"_x", "zz", 1},     {"@x", "AA", -1}, {"10", "9", -1},   {"a b", "ab", -1},
        // Other scripts fold too; then UTF-16 order: an emoji (surrogates,
        // D800-DFFF) before the private use and CJK compatibility area.
        {"\u00E9", "\u00C9", 0}, {"z", "\u00E9", -1}, {"\u0436", "\u0416", 0},
        {"\u03C3", "\u03A4", -1}, {"\U0001F600", "\uF900", -1}, {"\u674E", "\U0001F600", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(Sign(CompareText(c.a, c.b)), c.sign);
        EXPECT_EQ(Sign(CompareText(c.b, c.a)), -c.sign);
    }
}

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

class ListSortRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_.Set(Day(2024, 3, 1, 12));
        ConfigureLog(dir_.File("log.txt"), &clock_);
        for (auto [name, start, period] : {std::tuple{"dentist", Day(2024, 5, 2, 9), pkOnce},
                                           std::tuple{"Backup", Day(2024, 4, 1, 23, 30), pkWeekly},
                                           std::tuple{"call mum", Day(2024, 4, 1, 8), pkDaily}}) {
            auto e = std::make_unique<TEvent>();
            e->Name = name;
            e->StartDateTime = start;
            e->PeriodInd = period;
            events_.Add(std::move(e));
        }
        for (auto [name, born] : {std::pair{"Carla", Day(1990, 1, 15)}, std::pair{"anton", Day(1985, 12, 3)},
                                  std::pair{"Berta", Day(2001, 7, 30)}}) {
            auto b = std::make_unique<TBirthday>();
            b->Name = name;
            b->BirthDate = born;
            birthdays_.Add(std::move(b));
        }
    }
    void TearDown() override { ConfigureLog("", nullptr); }

    std::string Log() const { return testfiles::ReadBytes(dir_.File("log.txt")); }

    Names Sort(bool events, const std::vector<ListRowTexts>& rows, int column)
    {
        std::vector<RowSortKey> keys;
        for (const auto& r : rows)
            keys.push_back(events ? EventRowSortKey(events_, column, r) : BirthdayRowSortKey(birthdays_, column, r));
        Names names;
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
    // The date text as shown would sort "01.04." before "02.05." whatever the
    // year or hour; the column sorts by the record's moment instead, found
    // without regard to case.
    const std::vector<ListRowTexts> rows{{"dentist", "02.05.2024 09:00", "Once"},
                                         {"BACKUP", "01.04.2024 23:30", "Weekly"},
                                         {"call mum", "01.04.2024 08:00", "Daily"}};
    EXPECT_EQ(Sort(true, rows, 0), (Names{"BACKUP", "call mum", "dentist"}));
    EXPECT_EQ(Sort(true, rows, 1), (Names{"call mum", "BACKUP", "dentist"}));
    EXPECT_EQ(Sort(true, rows, 2), (Names{"call mum", "dentist", "BACKUP"}));
    // Text columns never look records up, so unknown names log nothing there.
    Sort(true, {{"ghost", "", "Once"}, {"spook", "", "Daily"}}, 2);
    Sort(false, {{"ghost", "", "1"}, {"spook", "", "2"}}, 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(ListSortRecords, MissingRecordSortsAsDateZeroAndIsLoggedOnce)
{
    auto e = std::make_unique<TEvent>();
    e->Name = "ancient";
    e->StartDateTime = Day(1800, 1, 1);
    events_.Add(std::move(e));
    auto lines = [this] {
        const std::string log = Log();
        EXPECT_EQ(log.find(" Error in lvEventsColumnClick\r\n") == std::string::npos, log.empty()) << log;
        return std::count(log.begin(), log.end(), '\n');
    };
    EXPECT_EQ(Sort(true, {{"dentist", "", ""}, {"ghost", "", ""}, {"ancient", "", ""}}, 1),
              (Names{"ancient", "ghost", "dentist"}));
    // One line per missing row, not one per comparison.
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(Sort(false, {{"anton", "", ""}, {"nobody", "", ""}}, 1), (Names{"nobody", "anton"}));
    EXPECT_EQ(lines(), 2);
}

TEST_F(ListSortRecords, BirthdaysByEachColumn)
{
    const std::vector<ListRowTexts> rows{{"Carla", "15.01.1990", "34"},
                                         {"anton", "03.12.1985", "38"},
                                         {"Berta", "30.07.2001", "22"}};
    EXPECT_EQ(Sort(false, rows, 0), (Names{"anton", "Berta", "Carla"}));
    // The year counts: 1985 comes first although 3 December is late in a year.
    EXPECT_EQ(Sort(false, rows, 1), (Names{"anton", "Carla", "Berta"}));
    EXPECT_EQ(Sort(false, rows, 2), (Names{"Berta", "Carla", "anton"}));
    // Ages numerically ("9" before "10"); an age that is no number sorts as 0.
    EXPECT_EQ(Sort(false, {{"ten", "", "10"}, {"word", "", "n/a"}, {"minus", "", "-1"}, {"nine", "", "9"}}, 2),
              (Names{"minus", "word", "nine", "ten"}));
}

TEST(ListSortKeys, NotANumberDateCountsAsZero)
{
    RowSortKey nan{.Rule = SortRule::DateTime, .Text = {}, .Date = std::nan("")};
    RowSortKey zero{.Rule = SortRule::DateTime, .Text = {}, .Date = 0};
    RowSortKey later{.Rule = SortRule::DateTime, .Text = {}, .Date = 1};
    EXPECT_EQ(CompareRowKeys(nan, zero), 0);
    EXPECT_LT(CompareRowKeys(nan, later), 0);
    EXPECT_GT(CompareRowKeys(later, nan), 0);
    EXPECT_EQ(std::vector<bool>({IsSortColumn(-1), IsSortColumn(0), IsSortColumn(2), IsSortColumn(3)}),
              std::vector<bool>({false, true, true, false}));
}

}  // namespace
