#include "core/Occurrence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Clock.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "tests/unit/TestFiles.h"

namespace {

using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

constexpr double kSecond = 1.0 / 86400.0;

TDateTime At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0, int ms = 0)
{
    return EncodeDateTime({y, m, d}, {hh, mm, ss, ms});
}

std::unique_ptr<TEvent> MakeEvent(const std::string& name, TDateTime start, int period = pkOnce)
{
    auto e = std::make_unique<TEvent>();
    e->Name = name;
    e->StartDateTime = start;
    e->PeriodInd = period;
    return e;
}

std::string FormatYmdHm(TDateTime t)
{
    const DateParts d = DecodeDate(t);
    const TimeParts tp = DecodeTime(t);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", d.year, d.month, d.day, tp.hour,
                  tp.minute);
    return text;
}

std::string MaskOf(unsigned bits, int length)
{
    std::string mask;
    for (int i = 0; i < length; ++i)
        mask += (bits >> i) & 1 ? '1' : '0';
    return mask;
}

}  // namespace

// ---- CanRunNow --------------------------------------------------------------

TEST(CanRunNow, DailyAndMonthlyFollowTheirMasks)
{
    const TDateTime sunday = At(2024, 3, 17, 9);
    TEvent e;
    e.PeriodInd = pkMonthly;
    for (int month = 1; month <= 12; ++month) {
        e.MonthsBin = MaskOf(1u << (month - 1), 12);
        EXPECT_TRUE(CanRunNow(e, At(2024, month, 28, 23, 59))) << month;
        EXPECT_FALSE(CanRunNow(e, At(2024, month % 12 + 1, 1))) << month;
    }
    // Short or odd masks: missing positions count as not selected.
    struct Case { int period; const char* mask; TDateTime now; bool expected; };
    const Case cases[] = {
        {pkDaily, "1", sunday, true},
        {pkDaily, "", sunday, false},
        {pkDaily, "111111", sunday + 6, false},  // Saturday lies past the end
        {pkDaily, "11111111111", sunday + 6, true},  // extra characters are ignored
        {pkMonthly, "001", At(2024, 3, 1), true},
        {pkMonthly, "11111111111", At(2024, 12, 31), false},
    };
    for (const Case& c : cases) {
        e.PeriodInd = c.period;
        (c.period == pkDaily ? e.DaysBin : e.MonthsBin) = c.mask;
        EXPECT_EQ(CanRunNow(e, c.now), c.expected) << c.period << " '" << c.mask << "'";
    }
}

TEST(CanRunNow, OtherKindsIgnoreMasksAndNothingRunsWhenDisabled)
{
    for (int period : {0, 1, 2, 3, 4, 5, 9, -1}) {
        TEvent e;
        e.PeriodInd = period;
        e.DaysBin = e.MonthsBin = "";
        EXPECT_EQ(CanRunNow(e, At(2024, 3, 15, 12)), period != pkDaily && period != pkMonthly) << period;
        e.DaysBin = "1111111";
        e.MonthsBin = "111111111111";
        e.Enabled = false;
        EXPECT_FALSE(CanRunNow(e, At(2024, 3, 15, 12))) << period;
    }
}

// ---- DaysToNextWeekday / DaysToNextMonth ----------------------------------

TEST(DaysToNextWeekday, LandsOnTheNearestSelectedWeekdayAfterD)
{
    const TDateTime saturday = At(2024, 3, 23, 7);
    EXPECT_EQ(DaysToNextWeekday("0000001", saturday), 7);  // only its own weekday
    EXPECT_EQ(DaysToNextWeekday("", saturday), 0);
    EXPECT_EQ(DaysToNextWeekday("1", saturday), 1);  // Sunday, the only position there is
    EXPECT_EQ(DaysToNextWeekday("01", saturday), 2);
    EXPECT_EQ(DaysToNextWeekday("0100010", NeverTime), 4);  // 1626-03-16 was a Monday
    EXPECT_EQ(DaysToNextWeekday("1111111", 1e300), 0);      // no calendar day: no step
    EXPECT_EQ(DaysToNextWeekday("1111111", NAN), 0);
}

TEST(DaysToNextMonth, ShortMasksAndNonDatesGiveTheExpectedStep)
{
    EXPECT_EQ(DaysToNextMonth("01", At(2024, 3, 1)), DaysToNextMonth("010000000000", At(2024, 3, 1)));
    const std::pair<const char*, TDateTime> zero[] = {{"000000000000", At(2024, 3, 1)}, {"", At(2024, 3, 1)},
        {"111111111111", 1e300}, {"111111111111", -1e300}, {"111111111111", NAN}};
    for (const auto& [mask, d] : zero)
        EXPECT_EQ(DaysToNextMonth(mask, d), 0) << mask << " " << d;
}

// ---- NextSlot, PreviousSlot --------------------------------------------------

TEST(NextSlot, SteppingExamplesAndBackAgain)
{
    struct Case {
        const char* what;
        int period;
        TDateTime start;
        double dif;
        const char* days;
        const char* months;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"Daily Monday and Friday", pkDaily, At(2024, 3, 18, 9), 0, "0100010", "",
         {"2024-03-18 09:00", "2024-03-22 09:00", "2024-03-25 09:00", "2024-03-29 09:00"}},
        {"Monthly January and March from the 31st", pkMonthly, At(2024, 1, 31, 10), 0, "",
         "101000000000", {"2024-01-31 10:00", "2024-03-31 10:00", "2025-01-31 10:00"}},
        {"Monthly January and February, leap year", pkMonthly, At(2024, 1, 31, 10), 0, "",
         "110000000000", {"2024-01-31 10:00", "2024-02-29 10:00", "2025-01-29 10:00", "2025-02-28 10:00",
                          "2026-01-28 10:00"}},
        {"Monthly own month only from 29 February", pkMonthly, At(2024, 2, 29, 8), 0, "",
         "010000000000", {"2024-02-29 08:00", "2025-02-28 08:00", "2026-02-28 08:00"}},
        {"Hourly one hour fifteen", pkHourly, At(2024, 3, 15, 10), 1.0 / 24 + 15.0 / 1440, "", "",
         {"2024-03-15 10:00", "2024-03-15 11:15", "2024-03-15 12:30"}},
        {"Annually saved on 1 March 2023", pkAnnually, At(2023, 3, 1, 9), 366, "", "",
         {"2023-03-01 09:00", "2024-03-01 09:00", "2025-03-02 09:00"}},
        {"Daily with an empty mask does not move", pkDaily, At(2024, 3, 15, 10), 1, "", "",
         {"2024-03-15 10:00", "2024-03-15 10:00"}},
        {"Monthly with an empty mask does not move", pkMonthly, At(2024, 3, 15, 10), 30, "",
         "000000000000", {"2024-03-15 10:00", "2024-03-15 10:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TEvent e;
        e.Name = "E";
        e.PeriodInd = c.period;
        e.DifDateTime = c.dif;
        e.DaysBin = c.days;
        e.MonthsBin = c.months;
        std::vector<TDateTime> slots{c.start};
        while (slots.size() < c.expected.size())
            slots.push_back(NextSlot(e, slots.back()));
        std::vector<std::string> starts;
        for (TDateTime slot : slots)
            starts.push_back(FormatYmdHm(slot));
        EXPECT_EQ(starts, c.expected);
        // Back again step by step, where no day was cut at a month's end.
        if (std::string(c.what).find("from the 31st") != std::string::npos || c.period == pkMonthly)
            continue;
        for (std::size_t i = slots.size() - 1; i > 0; --i)
            EXPECT_EQ(FormatYmdHm(PreviousSlot(e, slots[i])), FormatYmdHm(slots[i - 1])) << i;
    }
    // Many monthly steps keep the time of day exact, also going back.
    auto e = MakeEvent("M", At(2024, 1, 15, 8, 30), pkMonthly);
    e->MonthsBin = "101010101010";
    TDateTime slot = e->StartDateTime;
    for (int i = 0; i < 48; ++i)
        slot = NextSlot(*e, slot);
    EXPECT_NEAR(slot, At(2032, 1, 15, 8, 30), 1e-9);
    for (int i = 0; i < 48; ++i)
        slot = PreviousSlot(*e, slot);
    EXPECT_NEAR(slot, At(2024, 1, 15, 8, 30), 1e-9);
}

TEST(MoveStartAhead, PassedStartsMoveToTheirNextSlotByTheirOwnRule)
{
    const TDateTime now = At(2024, 3, 15, 9);  // a Friday
    const ManualClock clock(now);
    struct Case {
        const char* what;
        int period;
        TDateTime start;
        double dif;
        const char* days;
        const char* months;
        TDateTime expected;
    };
    const Case cases[] = {
        {"weekly, off for three weeks", pkWeekly, At(2024, 2, 22, 9), 7, "", "", At(2024, 3, 21, 9)},
        {"hourly, a month behind", pkHourly, At(2024, 2, 15, 8, 15), 1.0 / 24, "", "", At(2024, 3, 15, 9, 15)},
        {"exactly now is behind", pkHourly, now, 1.0 / 24, "", "", now + 1.0 / 24},
        {"ahead stays", pkWeekly, now + kSecond, 7, "", "", now + kSecond},
        {"daily, Monday and Friday", pkDaily, At(2024, 1, 1, 8), 0, "0100010", "", At(2024, 3, 18, 8)},
        {"daily, ahead but on an excluded day", pkDaily, At(2024, 3, 19, 8), 0, "0100010", "", At(2024, 3, 22, 8)},
        {"daily, empty mask stays", pkDaily, At(2024, 1, 1, 8), 0, "0000000", "", At(2024, 1, 1, 8)},
        {"monthly from the 31st", pkMonthly, At(2023, 1, 31, 10), 0, "", "101000000000", At(2024, 3, 31, 10)},
        {"annually", pkAnnually, At(2022, 3, 1, 9), 365, "", "", At(2025, 2, 28, 9)},
        {"once stays", pkOnce, At(2024, 1, 1, 8), 0, "", "", At(2024, 1, 1, 8)},
        {"an unreadable start stays", pkWeekly, NeverTime, 7, "", "", NeverTime},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TEvent e;
        e.PeriodInd = c.period;
        e.StartDateTime = c.start;
        e.DifDateTime = c.dif;
        e.DaysBin = c.days;
        e.MonthsBin = c.months;
        EXPECT_EQ(MoveStartAhead(e, clock, now), c.start != c.expected);
        EXPECT_EQ(FormatYmdHm(e.StartDateTime), FormatYmdHm(c.expected));
    }
}

TEST(PeriodName, TextOfEachKind)
{
    const std::pair<int, const char*> cases[] = {{0, "Once"}, {1, "Hourly"}, {2, "Daily"}, {3, "Weekly"},
        {4, "Monthly"}, {5, "Annually"}, {6, ""}, {-1, ""}, {1000, ""}};
    for (const auto& [kind, text] : cases)
        EXPECT_EQ(PeriodName(kind), text) << kind;
}
