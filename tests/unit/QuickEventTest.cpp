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

struct Case {
    QuickEventKind kind;
    int tag;
    TDateTime now;
    TDateTime expected;
};

// Concrete moments, including month ends, leap days, the year end and the
// "At" boundary to the millisecond.
TEST(QuickEventTime, Examples)
{
    using K = QuickEventKind;
    const Case cases[] = {
        {K::In, 3, At(2024, 5, 17, 9, 41, 12, 250), At(2024, 5, 17, 9, 44, 12, 250)},
        {K::In, 55, At(2024, 5, 17, 9, 41, 12, 250), At(2024, 5, 17, 10, 36, 12, 250)},
        {K::In, 1380, At(2024, 12, 31, 22, 15), At(2025, 1, 1, 21, 15)},
        {K::On, 31, At(2023, 1, 31, 14, 5, 9), At(2023, 2, 28, 14, 5, 9)},
        {K::On, 31, At(2024, 1, 31, 14, 5, 9), At(2024, 2, 29, 14, 5, 9)},
        {K::On, 31, At(2024, 3, 31, 8), At(2024, 4, 30, 8)},
        {K::On, 93, At(2023, 11, 30, 8), At(2024, 2, 29, 8)},
        {K::On, 186, At(2024, 8, 31, 23, 59, 59), At(2025, 2, 28, 23, 59, 59)},
        {K::On, 279, At(2024, 5, 31), At(2025, 2, 28)},
        {K::On, 372, At(2024, 2, 29, 12), At(2025, 2, 28, 12)},
        {K::On, 372, At(2023, 7, 4, 6, 30), At(2024, 7, 4, 6, 30)},
        // Other "On" tags are days, also 30 and 32 next to the month key.
        {K::On, 3, At(2024, 2, 27, 6, 30), At(2024, 3, 1, 6, 30)},
        {K::On, 30, At(2024, 2, 27, 6, 30), At(2024, 3, 28, 6, 30)},
        {K::On, 32, At(2024, 2, 27, 6, 30), At(2024, 3, 30, 6, 30)},
        {K::At, 9, At(2024, 6, 3, 9), At(2024, 6, 3, 9)},
        {K::At, 9, At(2024, 6, 3, 8, 59, 59, 999), At(2024, 6, 3, 9)},
        {K::At, 9, At(2024, 6, 3, 9, 0, 0, 1), At(2024, 6, 4, 9)},
        {K::At, 0, At(2024, 6, 3, 0, 0, 1), At(2024, 6, 4)},
        {K::At, 5, At(2024, 12, 31, 23, 30), At(2025, 1, 1, 5)},
        {K::At, 12, At(2024, 2, 28, 13), At(2024, 2, 29, 12)},
        {K::Near, 1, At(2024, 6, 2, 17, 45, 30, 120), At(2024, 6, 2, 17, 45, 30, 120)},
        {K::Near, 7, At(2024, 6, 30, 9), At(2024, 7, 6, 9)},
        // A tag that names no hour or no weekday leaves now unchanged.
        {K::At, 24, At(2024, 6, 3, 10), At(2024, 6, 3, 10)},
        {K::At, -1, At(2024, 6, 3, 10), At(2024, 6, 3, 10)},
        {K::Near, 0, At(2024, 6, 3, 10), At(2024, 6, 3, 10)},
        {K::Near, 8, At(2024, 6, 3, 10), At(2024, 6, 3, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " tag " << c.tag << " now " << c.now);
        EXPECT_NEAR(QuickEventTime(c.kind, c.tag, c.now), c.expected, kHalfMs);
    }
}

// Whatever the moment, the proposal is the next h:00:00 that is not in the past.
TEST(QuickEventTime, AtIsAlwaysTheNextFullHourNotBeforeNow)
{
    const TDateTime day = At(2025, 3, 9);
    for (int hour = 0; hour < QuickAtItemCount; ++hour) {
        for (int minuteOfDay = 0; minuteOfDay < 1440; minuteOfDay += 23) {
            const TDateTime now = day + minuteOfDay / 1440.0;
            const TDateTime got = QuickEventTime(QuickEventKind::At, hour, now);
            const TimeParts t = DecodeTime(got);
            ASSERT_EQ(std::vector<int>({t.hour, t.minute, t.second}), std::vector<int>({hour, 0, 0}));
            ASSERT_GE(got, now - kHalfMs) << hour << " " << minuteOfDay;
            ASSERT_LT(got - now, 1.0) << hour << " " << minuteOfDay;
        }
    }
}

TEST(QuickEventTime, NearFindsEveryWeekdayFromEveryWeekdayKeepingTheTime)
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

TEST(QuickEventItems, CaptionsTagsAndColumns)
{
    auto text = [](std::span<const QuickEventItem> items) {
        std::string s;
        for (const QuickEventItem& i : items)
            s += std::string(i.NewColumn ? "|" : "") + i.Caption + "=" + std::to_string(i.Tag) + ";";
        return s;
    };
    EXPECT_EQ(text(QuickInItems()),
              "3 min=3;5 min=5;15 min=15;20 min=20;25 min=25;30 min=30;35 min=35;45 min=45;50 min=50;"
              "55 min=55;|1 hour=60;3 hours=180;5 hours=300;7 hours=420;10 hours=600;12 hours=720;"
              "15 hours=900;18 hours=1080;20 hours=1200;23 hours=1380;");
    EXPECT_EQ(text(QuickOnItems()),
              "1 day=1;3 days=3;5 days=5;1 week=7;3 weeks=21;|1 month=31;3 months=93;6 months=186;"
              "9 months=279;1 year=372;");
    EXPECT_EQ(text(QuickNearItems()),
              "Sunday=1;Monday=2;Tuesday=3;Wednesday=4;Thursday=5;Friday=6;Saturday=7;");
    EXPECT_EQ(QuickAtCaption(0), "0:00:00");
    EXPECT_EQ(QuickAtCaption(9), "9:00:00");
    EXPECT_EQ(QuickAtCaption(23), "23:00:00");
}

}  // namespace
