#include "core/Occurrence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

// Records what the rules tell the rows on screen, with the list's size at the
// moment of each call.
struct RecordingRows : IEventRows {
    struct Call {
        std::string what;
        int index;
        std::string name;
        TDateTime start;
        int listCount;
    };
    explicit RecordingRows(const EventList* list = nullptr) : list(list) {}
    void StartChanged(const TEvent& e) override { calls.push_back({"StartChanged", -1, e.Name, e.StartDateTime, -1}); }
    void Removing(int index, const TEvent& e) override
    {
        calls.push_back({"Removing", index, e.Name, e.StartDateTime, list->Count()});
    }
    const EventList* list;
    std::vector<Call> calls;
};

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

// ---- ComputeNextDue ---------------------------------------------------------

TEST(ComputeNextDue, TableOfStartAndSnoozeMoments)
{
    const TDateTime now = At(2024, 3, 15, 12);
    // Offsets in seconds from now; snooze NAN means 0, expected NAN means NoDueTime.
    struct Case { const char* what; double start, snooze; bool enabled; double expected; };
    const Case cases[] = {
        {"start ahead", 60, NAN, true, 60},
        {"start half a second behind still counts", -0.5, NAN, true, -0.5},
        {"start a second behind is ignored", -1, NAN, true, NAN},
        {"snooze earlier than start wins", 600, 300, true, 300},
        {"snooze alone ahead of a passed start", -3600, 120, true, 120},
        {"snooze half a second behind counts", -3600, -0.5, true, -0.5},
        {"disabled event never counts", 60, 30, false, NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EventList list;
        auto e = MakeEvent("E", now + c.start * kSecond);
        e->SnoozeDateTime = std::isnan(c.snooze) ? 0 : now + c.snooze * kSecond;
        e->Enabled = c.enabled;
        list.Add(std::move(e));
        EXPECT_EQ(ComputeNextDue(list, now), std::isnan(c.expected) ? NoDueTime : now + c.expected * kSecond);
    }
}

TEST(ComputeNextDue, EarliestOverAllEnabledEventsAndMasksAreNotLookedAt)
{
    const TDateTime now = At(2024, 3, 15, 12);  // a Friday
    EventList list;
    EXPECT_EQ(ComputeNextDue(list, now), 0);
    list.Add(MakeEvent("Later", now + 2));
    // Sunday only, starting on a Saturday: still the next-due moment.
    auto daily = MakeEvent("Daily", At(2024, 3, 16, 9), pkDaily);
    daily->DaysBin = "1000000";
    list.Add(std::move(daily));
    EXPECT_EQ(ComputeNextDue(list, now), At(2024, 3, 16, 9));
}

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

// ---- AdvanceStart -----------------------------------------------------------

TEST(AdvanceStart, SteppingExamples)
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
    TempDir dir;
    IniFile file(dir.File("events.ini"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TEvent e;
        e.Name = "E";
        e.PeriodInd = c.period;
        e.StartDateTime = c.start;
        e.DifDateTime = c.dif;
        e.DaysBin = c.days;
        e.MonthsBin = c.months;
        std::vector<std::string> starts{FormatYmdHm(e.StartDateTime)};
        while (starts.size() < c.expected.size()) {
            AdvanceStart(e, file, nullptr);
            starts.push_back(FormatYmdHm(e.StartDateTime));
        }
        EXPECT_EQ(starts, c.expected);
    }
    // Many monthly steps keep the time of day exact.
    auto e = MakeEvent("M", At(2024, 1, 15, 8, 30), pkMonthly);
    e->MonthsBin = "111111111111";
    for (int i = 0; i < 48; ++i)
        AdvanceStart(*e, file, nullptr);
    EXPECT_NEAR(e->StartDateTime, At(2028, 1, 15, 8, 30), 1e-9);
    // A failed write is reported.
    IniFile nowhere((dir.Path() / "no-folder" / "events.ini").string());
    EXPECT_THROW(AdvanceStart(*e, nowhere, nullptr), IniWriteError);
}

TEST(MoveStartAhead, PassedStartsMoveToTheirNextSlotByTheirOwnRule)
{
    const TDateTime now = At(2024, 3, 15, 9);  // a Friday
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
        {"less than Epsilon behind counts as ahead", pkHourly, now - 0.5 / 86400, 1.0 / 24, "", "",
         now - 0.5 / 86400},
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
        EXPECT_EQ(MoveStartAhead(e, now), c.start != c.expected);
        EXPECT_EQ(FormatYmdHm(e.StartDateTime), FormatYmdHm(c.expected));
    }
}

TEST(AdvanceStart, WritesStartForEveryKindAndTellsTheRowsForPeriodicKinds)
{
    for (int period = -1; period <= 6; ++period) {
        SCOPED_TRACE(period);
        TempDir dir;
        IniFile file(dir.File("events.ini"));
        auto e = MakeEvent("Tea", At(2024, 3, 18, 9), period);
        e->DifDateTime = 1;
        e->DaysBin = "1111111";
        e->MonthsBin = "111111111111";
        e->SaveToFile(file);
        std::string expected = ReadBytes(file.Path());
        RecordingRows rows;
        AdvanceStart(*e, file, &rows);
        const bool periodic = period >= pkHourly && period <= pkAnnually;
        EXPECT_EQ(e->StartDateTime > At(2024, 3, 18, 9), periodic);
        ASSERT_EQ(rows.calls.size(), periodic ? 1u : 0u);
        if (periodic) {  // told after the move
            EXPECT_EQ(std::tie(rows.calls[0].what, rows.calls[0].name, rows.calls[0].start),
                      std::make_tuple("StartChanged", "Tea", e->StartDateTime));
        }
        const IniText text = file.Load();
        // Only that one key changed.
        const std::size_t at = expected.find("StartDateTime=") + 14;
        expected.replace(at, expected.find("\r\n", at) - at, *text.Read("Tea", "StartDateTime"));
        EXPECT_EQ(ReadBytes(file.Path()), expected);
    }
}

// ---- ProcessMissedEvents ----------------------------------------------------

class MissedEvents : public ::testing::Test {
protected:
    void Add(std::unique_ptr<TEvent> e)
    {
        e->SaveToFile(file);
        list.Add(std::move(e));
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < list.Count(); ++i)
            names.push_back(list[i].Name);
        return names;
    }

    TempDir dir;
    IniFile file{dir.File("events.ini")};
    EventList list;
    RecordingRows rows{&list};
    const TDateTime now = At(2024, 3, 15, 12);
};

TEST_F(MissedEvents, DeleteErasesPassedEventsFromTheEndDown)
{
    for (const char* name : {"A", "B", "C", "D"}) {
        auto e = MakeEvent(name, std::string(name) == "B" ? now + 1 : now - 1);  // B still ahead: kept
        e->ExpiredInd = ekDelete;
        e->Enabled = std::string(name) != "C";  // Enabled is not looked at
        Add(std::move(e));
    }
    ProcessMissedEvents(list, file, now, &rows);
    EXPECT_EQ(Names(), (std::vector<std::string>{"B"}));
    ASSERT_EQ(rows.calls.size(), 3u);
    // The rows are told while the entry is still in the list.
    const std::tuple<std::string, int, std::string, int> expected[] = {
        {"Removing", 3, "D", 4}, {"Removing", 2, "C", 3}, {"Removing", 0, "A", 2}};
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::tie(rows.calls[i].what, rows.calls[i].index, rows.calls[i].name, rows.calls[i].listCount),
                  expected[i]);
    EXPECT_EQ(file.Load().SectionNames(), (std::vector<std::string>{"B"}));
}

// "Run again" arms a snooze run in memory only; "Keep" and unknown kinds do nothing.
TEST_F(MissedEvents, RunAgainArmsASnoozeRunInMemoryOnly)
{
    ProcessMissedEvents(list, file, now, &rows);  // an empty list is fine
    struct Case { const char* name; int kind; TDateTime start, last; bool armed; };
    const Case cases[] = {
        {"Never ran", ekRunAgain, now - 2, NeverTime, true},
        {"Ran before its start", ekRunAgain, now - 2, now - 3, true},
        {"Ran at its start", ekRunAgain, now - 2, now - 2 + kSecond, false},
        {"Ran exactly at start", ekRunAgain, now - 2, now - 2, false},
        {"Start ahead", ekRunAgain, now + 2, NeverTime, false},
        {"Start exactly now", ekRunAgain, now, NeverTime, false},
        {"Start never", ekRunAgain, NeverTime, NeverTime, false},
        {"Keep", 0, now - 2, NeverTime, false},
        {"Unknown -1", -1, now - 2, NeverTime, false},
    };
    for (const Case& c : cases) {
        auto e = MakeEvent(c.name, c.start, pkDaily);
        e->LastDateTime = c.last;
        e->ExpiredInd = c.kind;
        e->Dif2DateTime = 5.0 / 1440;
        e->Enabled = false;
        Add(std::move(e));
    }
    const std::string saved = ReadBytes(file.Path());
    ProcessMissedEvents(list, file, now, &rows);
    ASSERT_EQ(list.Count(), static_cast<int>(std::size(cases)));
    for (int i = 0; i < list.Count(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::tie(list[i].MissedRun, list[i].SnoozeDateTime, list[i].StartDateTime),
                  std::make_tuple(c.armed, c.armed ? now + 5.0 / 1440 : 0.0, c.start));
    }
    EXPECT_TRUE(rows.calls.empty());
    EXPECT_EQ(ReadBytes(file.Path()), saved);
}

TEST_F(MissedEvents, PeriodicEventsKeptOrRunAgainGoOnRunning)
{
    auto keep = MakeEvent("Weekly", now - 22, pkWeekly);
    keep->DifDateTime = 7;
    Add(std::move(keep));
    auto again = MakeEvent("Hourly", now - 2.0 / 24 + 0.25 / 24, pkHourly);
    again->DifDateTime = 1.0 / 24;
    again->ExpiredInd = ekRunAgain;
    again->Dif2DateTime = 5.0 / 1440;
    Add(std::move(again));
    ProcessMissedEvents(list, file, now, &rows);
    EXPECT_EQ(list[0].StartDateTime, now + 6);
    // One "Missing..." run, and the hour after that as usual.
    EXPECT_TRUE(list[1].MissedRun);
    EXPECT_NEAR(list[1].SnoozeDateTime, now + 5.0 / 1440, 1e-9);
    EXPECT_NEAR(list[1].StartDateTime, now + 0.25 / 24, 1e-9);
    EXPECT_EQ(ParseNumber(file.ReadString("Weekly", "StartDateTime", ""), 0), now + 6);
    EXPECT_EQ(rows.calls.size(), 2u);
}

TEST_F(MissedEvents, AFailedEraseKeepsTheEventInTheList)
{
    auto e = MakeEvent("Stuck", now - 1);
    e->ExpiredInd = ekDelete;
    list.Add(std::move(e));
    // A file saved as UTF-16 can be read but is never written over.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[Stuck]\r\nExpiredInd=2\r\n"))
        utf16 += std::string{c, '\0'};
    WriteBytes(file.Path(), utf16);
    EXPECT_THROW(ProcessMissedEvents(list, file, now, &rows), IniWriteError);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(rows.calls.empty());
    EXPECT_EQ(ReadBytes(file.Path()), utf16);
}

TEST(PeriodName, TextOfEachKind)
{
    const std::pair<int, const char*> cases[] = {{0, "Once"}, {1, "Hourly"}, {2, "Daily"}, {3, "Weekly"},
        {4, "Monthly"}, {5, "Annually"}, {6, ""}, {-1, ""}, {1000, ""}};
    for (const auto& [kind, text] : cases)
        EXPECT_EQ(PeriodName(kind), text) << kind;
}
