// What the upcoming-reminders window lists, for a clock set by the test.
#include "tooltip/ToolTipRows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Event.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

void AddBirthday(BirthdayList& list, const char* name, TDateTime born, int horizon, bool enabled = true)
{
    auto b = std::make_unique<TBirthday>();
    b->Name = name;
    b->BirthDate = born;
    b->ShowInTTDaysBefore = horizon;
    b->Enabled = enabled;
    b->IconIndex = 4;
    list.Add(std::move(b));
}

void AddEvent(EventList& list, const char* name, TDateTime start, int horizon, bool enabled = true)
{
    auto e = std::make_unique<TEvent>();
    e->Name = name;
    e->StartDateTime = start;
    e->ShowInTTDaysBefore = horizon;
    e->Enabled = enabled;
    e->IconIndex = 2;
    list.Add(std::move(e));
}

std::vector<TooltipRow> Rows(const BirthdayList& b, const EventList& e, TDateTime now)
{
    return BuildTooltipRows(b, e, now, 20, "h:nn AMPM");
}

TEST(ToolTipRows, BirthdaysWithinTheirHorizon)
{
    BirthdayList list;
    const TDateTime now = At(2025, 6, 10, 10);
    AddBirthday(list, "Ann", At(1990, 6, 10), 0);
    AddBirthday(list, "Ben", At(1990, 6, 13), 2);  // 3 days: out of reach
    AddBirthday(list, "Cid", At(1990, 6, 13), 3);
    AddBirthday(list, "Dot", At(1990, 6, 11), 1);
    AddBirthday(list, "Eve", At(1990, 6, 10), 0, false);
    AddBirthday(list, "Fay", At(1990, 6, 9), 99);  // yesterday: next year's, 364 days
    EXPECT_EQ(Rows(list, EventList{}, now),
              (std::vector<TooltipRow>{{"Ann's birthday", 4, "", rcToday},
                                       {"Cid's birthday", 4, "3 day(s) left", rcLater},
                                       {"Dot's birthday", 4, "1 day(s) left", rcTomorrow}}));

    // Over the turn of the year, and 29 February in a common year.
    BirthdayList turn;
    AddBirthday(turn, "Jan", At(1990, 1, 2), 7);
    AddBirthday(turn, "Leap", At(2000, 2, 29), 0);
    EXPECT_EQ(Rows(turn, EventList{}, At(2025, 12, 28, 9)),
              (std::vector<TooltipRow>{{"Jan's birthday", 4, "5 day(s) left", rcLater}}));
    EXPECT_EQ(Rows(turn, EventList{}, At(2025, 2, 28, 9)),
              (std::vector<TooltipRow>{{"Leap's birthday", 4, "", rcToday}}));
}

TEST(ToolTipRows, EventsAfterTheBirthdaysWithTodaysTime)
{
    BirthdayList birthdays;
    AddBirthday(birthdays, "Ann", At(1990, 6, 10), 0);
    EventList events;
    AddEvent(events, "Dentist", At(2025, 6, 10, 9), 0);
    AddEvent(events, "Gym", At(2025, 6, 11, 18), 1);
    AddEvent(events, "Trip", At(2025, 6, 20, 8), 5);   // too far
    AddEvent(events, "Gone", At(2025, 6, 9, 8), 99);   // its day has passed
    AddEvent(events, "Off", At(2025, 6, 10, 9), 0, false);
    const std::vector<TooltipRow> at10 = Rows(birthdays, events, At(2025, 6, 10, 10));
    EXPECT_EQ(at10, (std::vector<TooltipRow>{{"Ann's birthday", 4, "", rcToday},
                                             {"Dentist", 22, "9:00 AM", rcPassed},
                                             {"Gym", 22, "1 day(s) left", rcTomorrow}}));
    // Before its time the event is simply due today.
    EXPECT_EQ(Rows(birthdays, events, At(2025, 6, 10, 8))[1].Class, rcToday);
}

TEST(ToolTipRows, HeightRule)
{
    EXPECT_EQ(TooltipHeight(0, false), 25);
    EXPECT_EQ(TooltipHeight(0, true), 75);
    EXPECT_EQ(TooltipHeight(3, true), 176);
    EXPECT_EQ(TooltipHeight(3, false), 126);
}

}  // namespace
