#include "shell/QuickEvent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/DateTime.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, ms});
}

constexpr double kHalfMs = 0.5 / 86400000.0;

void ExpectSameMoment(TDateTime actual, TDateTime expected)
{
    EXPECT_NEAR(actual, expected, kHalfMs) << actual << " vs " << expected;
}

// --- In -------------------------------------------------------------------------

TEST(QuickEventIn, AddsTheTagInMinutes)
{
    const TDateTime now = At(2024, 5, 17, 9, 41, 12, 250);
    ExpectSameMoment(QuickEventTime(QuickEventKind::In, 3, now), At(2024, 5, 17, 9, 44, 12, 250));
    ExpectSameMoment(QuickEventTime(QuickEventKind::In, 55, now), At(2024, 5, 17, 10, 36, 12, 250));
    ExpectSameMoment(QuickEventTime(QuickEventKind::In, 60, now), At(2024, 5, 17, 10, 41, 12, 250));
}

TEST(QuickEventIn, TwentyThreeHoursIsNowPlus1380Minutes)
{
    const TDateTime now = At(2024, 12, 31, 22, 15, 0);
    const TDateTime got = QuickEventTime(QuickEventKind::In, 1380, now);
    ExpectSameMoment(got, now + 1380.0 / 1440.0);
    ExpectSameMoment(got, At(2025, 1, 1, 21, 15, 0));
}

TEST(QuickEventIn, EveryItemAddsItsTag)
{
    const TDateTime now = At(2023, 3, 26, 1, 59, 59);
    for (const QuickEventItem& item : QuickInItems()) {
        SCOPED_TRACE(item.Caption);
        ExpectSameMoment(QuickEventTime(QuickEventKind::In, item.Tag, now), now + item.Tag / 1440.0);
    }
}

// --- On -------------------------------------------------------------------------

TEST(QuickEventOn, OneMonthFromJanuary31IsTheLastDayOfFebruary)
{
    ExpectSameMoment(QuickEventTime(QuickEventKind::On, 31, At(2023, 1, 31, 14, 5, 9)),
                     At(2023, 2, 28, 14, 5, 9));
    ExpectSameMoment(QuickEventTime(QuickEventKind::On, 31, At(2024, 1, 31, 14, 5, 9)),
                     At(2024, 2, 29, 14, 5, 9));
}

TEST(QuickEventOn, MonthKeysAddCalendarMonths)
{
    struct Case {
        int tag;
        TDateTime now;
        TDateTime expected;
    } cases[] = {
        {31, At(2024, 3, 31, 8), At(2024, 4, 30, 8)},
        {93, At(2023, 11, 30, 8), At(2024, 2, 29, 8)},
        {186, At(2024, 8, 31, 23, 59, 59), At(2025, 2, 28, 23, 59, 59)},
        {279, At(2024, 5, 31), At(2025, 2, 28)},
        {372, At(2024, 2, 29, 12), At(2025, 2, 28, 12)},
        {372, At(2023, 7, 4, 6, 30), At(2024, 7, 4, 6, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        ExpectSameMoment(QuickEventTime(QuickEventKind::On, c.tag, c.now), c.expected);
    }
}

TEST(QuickEventOn, OtherTagsAddDays)
{
    const TDateTime now = At(2024, 2, 27, 6, 30);
    for (int tag : {1, 3, 5, 7, 21, 30, 32}) {
        SCOPED_TRACE(tag);
        ExpectSameMoment(QuickEventTime(QuickEventKind::On, tag, now), now + tag);
    }
}

// --- At -------------------------------------------------------------------------

TEST(QuickEventAt, TheHourItselfIsStillToday)
{
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 9, At(2024, 6, 3, 9, 0, 0)), At(2024, 6, 3, 9));
}

TEST(QuickEventAt, OneSecondLaterIsTomorrow)
{
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 9, At(2024, 6, 3, 9, 0, 1)), At(2024, 6, 4, 9));
}

TEST(QuickEventAt, BoundaryToTheMillisecond)
{
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 9, At(2024, 6, 3, 8, 59, 59, 999)), At(2024, 6, 3, 9));
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 9, At(2024, 6, 3, 9, 0, 0, 1)), At(2024, 6, 4, 9));
}

TEST(QuickEventAt, MidnightAndTheEndOfTheYear)
{
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 0, At(2024, 6, 3)), At(2024, 6, 3));
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 0, At(2024, 6, 3, 0, 0, 1)), At(2024, 6, 4));
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 23, At(2024, 12, 31, 23, 0, 0)), At(2024, 12, 31, 23));
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 5, At(2024, 12, 31, 23, 30)), At(2025, 1, 1, 5));
    ExpectSameMoment(QuickEventTime(QuickEventKind::At, 12, At(2024, 2, 28, 13)), At(2024, 2, 29, 12));
}

// Whatever the moment, the proposal is the next h:00:00 that is not in the past.
TEST(QuickEventAt, AlwaysTheNextFullHourNotBeforeNow)
{
    const TDateTime day = At(2025, 3, 9);
    for (int hour = 0; hour < QuickAtItemCount; ++hour) {
        for (int minuteOfDay = 0; minuteOfDay < 1440; minuteOfDay += 7) {
            const TDateTime now = day + minuteOfDay / 1440.0;
            const TDateTime got = QuickEventTime(QuickEventKind::At, hour, now);
            const TimeParts t = DecodeTime(got);
            ASSERT_EQ(t.hour, hour);
            ASSERT_EQ(t.minute, 0);
            ASSERT_EQ(t.second, 0);
            ASSERT_GE(got, now - kHalfMs) << hour << " " << minuteOfDay;
            ASSERT_LT(got - now, 1.0) << hour << " " << minuteOfDay;
        }
    }
}

TEST(QuickEventAt, AnHourOutsideTheDayChangesNothing)
{
    const TDateTime now = At(2024, 6, 3, 10);
    EXPECT_EQ(QuickEventTime(QuickEventKind::At, 24, now), now);
    EXPECT_EQ(QuickEventTime(QuickEventKind::At, -1, now), now);
}

TEST(QuickEventAt, CaptionsAreTheHoursWithoutLeadingZero)
{
    EXPECT_EQ(QuickAtCaption(0), "0:00:00");
    EXPECT_EQ(QuickAtCaption(9), "9:00:00");
    EXPECT_EQ(QuickAtCaption(12), "12:00:00");
    EXPECT_EQ(QuickAtCaption(23), "23:00:00");
}

// --- Near -----------------------------------------------------------------------

TEST(QuickEventNear, SundayOnASundayIsNow)
{
    const TDateTime sunday = At(2024, 6, 2, 17, 45, 30, 120);
    ASSERT_EQ(DayOfWeek(sunday), 1);
    EXPECT_EQ(QuickEventTime(QuickEventKind::Near, 1, sunday), sunday);
}

TEST(QuickEventNear, EveryWeekdayFromEveryWeekday)
{
    // 2 June 2024 is a Sunday; the week after it covers every start day.
    for (int start = 0; start < 7; ++start) {
        const TDateTime now = At(2024, 6, 2 + start, 7, 8, 9);
        for (int tag = 1; tag <= 7; ++tag) {
            const TDateTime got = QuickEventTime(QuickEventKind::Near, tag, now);
            const double days = got - now;
            EXPECT_EQ(DayOfWeek(got), tag);
            EXPECT_EQ(days, std::floor(days)) << "the time of day stays";
            EXPECT_GE(days, 0);
            EXPECT_LE(days, 6);
        }
    }
}

TEST(QuickEventNear, SaturdayFromSundayCrossesTheMonth)
{
    ExpectSameMoment(QuickEventTime(QuickEventKind::Near, 7, At(2024, 6, 30, 9)), At(2024, 7, 6, 9));
}

TEST(QuickEventNear, ATagThatIsNoWeekdayChangesNothing)
{
    const TDateTime now = At(2024, 6, 3, 10);
    EXPECT_EQ(QuickEventTime(QuickEventKind::Near, 0, now), now);
    EXPECT_EQ(QuickEventTime(QuickEventKind::Near, 8, now), now);
}

// --- the submenus' items --------------------------------------------------------

struct Expected {
    std::string caption;
    int tag;
    bool newColumn;
};

void ExpectItems(std::span<const QuickEventItem> items, const std::vector<Expected>& expected)
{
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].Caption, expected[i].caption);
        EXPECT_EQ(items[i].Tag, expected[i].tag);
        EXPECT_EQ(items[i].NewColumn, expected[i].newColumn);
    }
}

TEST(QuickEventItems, InHasTwoColumnsOfMinutesAndHours)
{
    ExpectItems(QuickInItems(), {{"3 min", 3, false},      {"5 min", 5, false},
                                 {"15 min", 15, false},    {"20 min", 20, false},
                                 {"25 min", 25, false},    {"30 min", 30, false},
                                 {"35 min", 35, false},    {"45 min", 45, false},
                                 {"50 min", 50, false},    {"55 min", 55, false},
                                 {"1 hour", 60, true},     {"3 hours", 180, false},
                                 {"5 hours", 300, false},  {"7 hours", 420, false},
                                 {"10 hours", 600, false}, {"12 hours", 720, false},
                                 {"15 hours", 900, false}, {"18 hours", 1080, false},
                                 {"20 hours", 1200, false}, {"23 hours", 1380, false}});
}

TEST(QuickEventItems, OnHasDaysThenMonths)
{
    ExpectItems(QuickOnItems(), {{"1 day", 1, false},
                                 {"3 days", 3, false},
                                 {"5 days", 5, false},
                                 {"1 week", 7, false},
                                 {"3 weeks", 21, false},
                                 {"1 month", 31, true},
                                 {"3 months", 93, false},
                                 {"6 months", 186, false},
                                 {"9 months", 279, false},
                                 {"1 year", 372, false}});
}

TEST(QuickEventItems, NearHasTheWeekFromSunday)
{
    ExpectItems(QuickNearItems(), {{"Sunday", 1, false},
                                   {"Monday", 2, false},
                                   {"Tuesday", 3, false},
                                   {"Wednesday", 4, false},
                                   {"Thursday", 5, false},
                                   {"Friday", 6, false},
                                   {"Saturday", 7, false}});
}

}  // namespace
