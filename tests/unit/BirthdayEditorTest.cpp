// The birthday editor's rules without its window: the checks of OK, the two
// commands that store a birthday, the preview's count; and the zodiac table.
#include "birthdays/BirthdayEditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Ini.h"
#include "core/Names.h"
#include "core/Reminders.h"
#include "tests/unit/NullDesktop.h"
#include "core/Clock.h"
#include "tests/unit/TestFiles.h"
#include "tooltip/Zodiac.h"

namespace {

using testfiles::ReadBytes;

TDateTime Day(int y, int m, int d)
{
    return EncodeDate(y, m, d);
}

const TDateTime kToday = Day(2025, 6, 10);

BirthdayEditorValues Person(const std::string& name, TDateTime date)
{
    BirthdayEditorValues v;
    v.Name = name;
    v.Date = date + kPickerTimeOfDay;
    return v;
}

TEST(BirthdayEditorChecks, AllRunInTheirOrder)
{
    BirthdayList list;
    for (const char* name : {"Anna", "Tom"}) {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        list.Add(std::move(b));
    }
    const std::string anna = "Anna";
    const EditorRefusal noName{"Please enter name of the person", RefusalIcon::Exclamation};
    const EditorRefusal future{"Selected date of birthday in future! Please select right date", RefusalIcon::Stop};
    auto taken = [](const char* name) {
        return EditorRefusal{"Person \"" + std::string(name) +
                             "\" already exists in list. Please enter another name of the person"};
    };
    const struct {
        const char* what;
        BirthdayEditorValues values;
        const std::string* edited;
        std::vector<EditorRefusal> expected;
    } cases[] = {
        {"no name and a future date", Person("", kToday + 1), nullptr, {noName, future}},
        {"a blank name is not empty", Person(" ", kToday), nullptr, {EditorRefusal{kUnstorableNameText}}},
        {"a bracket, in the future, taken", Person("To]m", kToday + 3), nullptr,
         {EditorRefusal{kUnstorableNameText}, future}},
        {"another case of a name", Person("anna", kToday), nullptr, {taken("anna")}},
        {"its own name in another case", Person("ANNA", kToday - 9000), &anna, {}},
        {"another's name in an edit", Person("Tom", kToday - 9000), &anna, {taken("Tom")}},
        {"born today", Person("Baby", kToday), nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckBirthdayEditor(c.values, kToday, list, c.edited), c.expected);
    }
}

class BirthdayEditorCommit : public ::testing::Test {
protected:
    std::unique_ptr<TReminders> MakeReminders()
    {
        RemindersOptions o;
        o.EventsPath = dir.File("events.ini");
        o.BirthdaysPath = dir.File("birthdays.ini");
        o.Clock = &clock;
        o.Desktop = &desktop;
        return std::make_unique<TReminders>(o);
    }
    testfiles::TempDir dir;
    IniFile file{dir.File("birthdays.ini")};
    ManualClock clock{kToday + 0.5};
    NullDesktop desktop;
    std::unique_ptr<TReminders> reminders = MakeReminders();
    const BirthdayList& list = reminders->Birthdays();

    std::string Stored(const std::string& name, const char* key)
    {
        return file.ReadString(name, key, "<none>");
    }
};

TEST_F(BirthdayEditorCommit, NewBirthdayKeepsThePickersTimeAndPassedAnniversaries)
{
    const struct {
        const char* name;
        TDateTime born;
        TDateTime lastStart;
    } cases[] = {
        {"Yesterday", Day(1990, 6, 9), Day(2025, 6, 9)},  // not reported as missed at the next start
        {"Today", Day(1990, 6, 10), 0},
        {"Next week", Day(1990, 6, 17), 0},
    };
    for (const auto& c : cases) {
        const int index = CommitNewBirthday(*reminders, Person(c.name, c.born), kToday);
        EXPECT_EQ(list[index].LastStart, c.lastStart) << c.name;
    }
    CommitNewBirthday(*reminders, Person("New year", Day(2000, 1, 1)), kToday);
    EXPECT_EQ(Stored("New year", "BirthDate"), "36526.3993981481");
    EXPECT_EQ(list.Count(), 4);

    // 29 February is a birth date like any other, reminded on the 28th in
    // common years.
    BirthdayEditorValues leap = Person("Leap", Day(2000, 2, 29));
    leap.Remind1Day = leap.Remind1Week = leap.Remind2Weeks = false;
    const int index = CommitNewBirthday(*reminders, leap, kToday);
    EXPECT_TRUE(IsDueOn(list[index], Day(2025, 2, 28)));
    EXPECT_FALSE(IsDueOn(list[index], Day(2025, 3, 1)));

    const std::string before = ReadBytes(file.Path());
    EXPECT_THROW(CommitNewBirthday(*reminders, Person("x]", Day(1990, 1, 1)), kToday), std::invalid_argument);
    EXPECT_EQ(ReadBytes(file.Path()), before);
    EXPECT_EQ(list.Count(), 5);
}

TEST_F(BirthdayEditorCommit, EditStoresTheWholeDayUnderTheNewNameAtTheEnd)
{
    for (const char* name : {"Ann Smith", "Bob", "Cid"})
        CommitNewBirthday(*reminders, Person(name, Day(2000, 6, 10)), kToday);
    reminders->RemindIfDueToday("Ann Smith", false);  // her day: reminded
    ASSERT_EQ(list[0].LastStart, kToday);

    // The same day of the year: the reminder given today stands.
    CommitBirthdayEdit(*reminders, "ann smith", Person("Ann Jones", Day(2001, 6, 10)), kToday);
    EXPECT_EQ(list.NameAt(0), "Ann Jones");  // keeps its place in the list
    EXPECT_EQ(file.ReadSections(), (std::vector<std::string>{"Bob", "Cid", "Ann Jones"}));
    EXPECT_EQ(Stored("Ann Jones", "BirthDate"), "37052");
    EXPECT_EQ(list[0].LastStart, kToday);
    // Another day: its reminders start afresh.
    CommitBirthdayEdit(*reminders, "Ann Jones", Person("Ann Jones", Day(2001, 1, 1)), kToday);
    EXPECT_EQ(list[0].LastStart, Day(2025, 1, 1));

    const std::string before = ReadBytes(file.Path());
    EXPECT_THROW(CommitBirthdayEdit(*reminders, "Ann Jones", Person("Ann ", Day(2000, 1, 1)), kToday),
                 std::invalid_argument);
    EXPECT_EQ(ReadBytes(file.Path()), before);
    EXPECT_EQ(list.NameAt(0), "Ann Jones");
}

TEST(BirthdayEditorPreview, CountsWholeDaysFromNow)
{
    const TDateTime born = Day(1990, 6, 11);
    const TDateTime tenOClock = kToday + 10.0 / 24;
    const struct {
        TDateTime now;
        int count;
    } cases[] = {
        {tenOClock, 0},                         // the day before: the reminder itself says 1
        {Day(2025, 6, 11) + 10.0 / 24, 0},      // the day itself
        {Day(2025, 6, 12) + 10.0 / 24, 363},    // just passed: next year's
        {Day(2025, 6, 1), 10},                  // at midnight every day counts
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewCountDays(born, c.now), c.count) << c.now;
    EXPECT_EQ(DaysLeft(born, kToday), 1);

    BirthdayEditorValues v = Person("Eva", Day(1990, 6, 20));
    v.Notes = "%PersonName, %BirthDate, %CountDays days";
    EXPECT_EQ(PreviewText(v, tenOClock, "June 20, 1990"), "Eva, June 20, 1990, 9 days");
}

TEST(Zodiac, EverySignFromItsFirstToItsLastDay)
{
    // The first and last day of each sign; the day before the first belongs
    // to the sign before.
    const struct {
        int sign, fromMonth, fromDay, toMonth, toDay;
    } signs[] = {{0, 3, 21, 4, 19},   {1, 4, 20, 5, 20},   {2, 5, 21, 6, 21},    {3, 6, 22, 7, 22},
                 {4, 7, 23, 8, 22},   {5, 8, 23, 9, 22},   {6, 9, 23, 10, 22},   {7, 10, 23, 11, 21},
                 {8, 11, 22, 12, 21}, {9, 12, 22, 1, 19},  {10, 1, 20, 2, 18},   {11, 2, 19, 3, 20}};
    for (const auto& s : signs) {
        const int toYear = s.toMonth < s.fromMonth ? 2025 : 2024;
        EXPECT_EQ(ZodiacSignOf(Day(2024, s.fromMonth, s.fromDay)).Index, s.sign);
        EXPECT_EQ(ZodiacSignOf(Day(toYear, s.toMonth, s.toDay)).Index, s.sign);
        // The signs run through the year in index order, Pisces before Aries.
        EXPECT_EQ(ZodiacSignOf(Day(2024, s.fromMonth, s.fromDay) - 1).Index, (s.sign + 11) % 12);
    }
    EXPECT_EQ(std::string(ZodiacSignOf(Day(2024, 2, 29)).Name), "Pisces");
    EXPECT_EQ(std::string(ZodiacSignOf(Day(2024, 12, 31)).Name), "Capricorn");
    EXPECT_EQ(std::string(ZodiacSignOf(Day(2025, 1, 5)).Period), "22.12 - 19.01");
    EXPECT_EQ(std::string(ZodiacSigns()[4].Name), "Leo");
}

}  // namespace
