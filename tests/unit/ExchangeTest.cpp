// Calendar and address-book files: the line format (folding, escaping),
// events and birthdays both ways as tables, files in the forms of the common
// exporters, broken files named by their line, the import plan, and the one
// write an import makes.
#include "exchange/Exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "birthdays/BirthdayRules.h"
#include "core/Clock.h"
#include "core/Ini.h"
#include "core/Reminders.h"
#include "core/Unicode.h"
#include "editors/EventEditor.h"
#include "exchange/CommandLine.h"
#include "exchange/ContentLines.h"
#include "exchange/ImportPlan.h"
#include "exchange/Recurrence.h"
#include "tests/unit/NullDesktop.h"
#include "tests/unit/TestFiles.h"
#include "tests/unit/ZoneClock.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

// Monday 7 December 2026, noon; local time is UTC.
const TDateTime kNow = At(2026, 12, 7, 12);

std::vector<std::string> PhysicalLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    return lines;
}

std::string Calendar(const std::string& body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

const ImportEntry& Only(const std::vector<ImportEntry>& entries)
{
    EXPECT_EQ(entries.size(), 1u);
    return entries.front();
}

// --- the line format -----------------------------------------------------------

TEST(ContentLines, FoldedLinesStayWithin75OctetsAndUnfoldToTheSameText)
{
    // Every length around the limits, in one-, two-, three- and four-byte characters.
    for (const std::string unit : {"a", "\xC3\xA9", "\xE6\x9D\x8E", "\xF0\x9F\x8E\x82"}) {
        for (int count = 1; count < 200; count += 7) {
            std::string value;
            for (int i = 0; i < count; ++i)
                value += unit;
            const std::string line = "DESCRIPTION:" + value;
            const std::string folded = FoldLine(line);
            for (const std::string& physical : PhysicalLines(folded)) {
                EXPECT_LE(physical.size(), 75u) << physical;
                std::string valid;
                AppendValidUtf8(valid, physical);
                EXPECT_EQ(valid, physical) << "a character was cut at a fold";
            }
            const auto lines = ParseContentLines(folded);
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0].Value, value);
        }
    }
    EXPECT_EQ(FoldLine(std::string(75, 'x')), std::string(75, 'x') + "\r\n");
    EXPECT_EQ(FoldLine(std::string(76, 'x')), std::string(75, 'x') + "\r\n x\r\n");
}

TEST(ContentLines, TextEscapesBothWays)
{
    const struct {
        const char* text;
        const char* escaped;
    } cases[] = {
        {"plain", "plain"},
        {"a, b; c", "a\\, b\\; c"},
        {"back\\slash", "back\\\\slash"},
        {"two\r\nlines", "two\\nlines"},
        {"lf\nonly", "lf\\nonly"},
        {"Zoë 李 🎂, ok", "Zoë 李 🎂\\, ok"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeText(c.text), c.escaped);
        std::string back = UnescapeText(c.escaped);
        std::string expected = c.text;
        if (const auto crlf = expected.find("\r\n"); crlf != std::string::npos)
            expected.erase(crlf, 1);
        EXPECT_EQ(back, expected);
    }
    EXPECT_EQ(UnescapeText("A\\NB\\:C"), "A\nB:C");
    EXPECT_EQ(SplitValue("Berg;Anna\\;Maria;;;", ';'), (std::vector<std::string>{"Berg", "Anna;Maria", "", "", ""}));
}

TEST(ContentLines, BrokenFilesNameTheirLine)
{
    const struct {
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {Calendar("BEGIN:VEVENT\r\nDTSTART:2027XX01T100000\r\nSUMMARY:x\r\nEND:VEVENT\r\n"), 5, "not a date"},
        {Calendar("BEGIN:VEVENT\r\nSUMMARY x\r\nEND:VEVENT\r\n"), 5, "NAME:value"},
        {Calendar("BEGIN:VEVENT\r\nDTSTART:20270101T100000\r\nEND:VTODO\r\n"), 6, "END:VEVENT"},
        {"BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20270101T100000\r\n", 2, "never closed"},
        {Calendar("BEGIN:VEVENT\r\nDTSTART:20270101T100000\r\nRRULE:FREQ=FORTNIGHTLY\r\nEND:VEVENT\r\n"), 6,
         "FREQ=FORTNIGHTLY"},
        {Calendar("BEGIN:VEVENT\r\nDTSTART:20270101T100000\r\nRRULE:INTERVAL=2\r\nEND:VEVENT\r\n"), 6, "no FREQ"},
        {Calendar("BEGIN:VEVENT\r\nSUMMARY:no start\r\nEND:VEVENT\r\n"), 4, "without DTSTART"},
        {"Name,Birthday\r\nAnna,1980-05-10\r\n", 1, "NAME:value"},
        {"BEGIN:VCARD\r\nFN;TYPE=\"x:Anna\r\nEND:VCARD\r\n", 2, "quotes"},
        {"\r\n\r\nEND:VCARD\r\n", 3, "neither"},
        {"X-NOTHING:here\r\n", 1, "neither"},
        {"", 1, "neither"},
        {"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nX-STRAY:1\r\n", 4, "outside BEGIN"},
        {"BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nEND:VCARD\r\n", 4, "without a BEGIN"},
    };
    ManualClock clock(kNow);
    for (const auto& c : cases) {
        try {
            ReadExchangeFile(c.text, clock);
            ADD_FAILURE() << "read without complaint: " << c.text;
        } catch (const ExchangeError& e) {
            EXPECT_EQ(e.Line(), c.line) << e.Text();
            EXPECT_NE(e.Text().find(c.says), std::string::npos) << e.Text();
            EXPECT_EQ(e.Text().rfind("Line " + std::to_string(c.line) + ": ", 0), 0u) << e.Text();
        }
    }
}

// --- events both ways ------------------------------------------------------------

// An event as the editor makes it: start Wednesday 13 January 2027, 09:36.
TEvent EditorEvent(const char* name, int period, const char* days = "0000000", const char* months = "000000000000",
                   int minutes = 0)
{
    EventEditorValues v;
    v.Name = name;
    v.PeriodIndex = period;
    v.Minutes = minutes;
    for (int i = 0; i < 7; ++i)
        v.Days[static_cast<std::size_t>(i)] = days[i] == '1';
    for (int i = 0; i < 12; ++i)
        v.Months[static_cast<std::size_t>(i)] = months[i] == '1';
    v.Date = At(2027, 1, 13);
    v.Time = At(1899, 12, 30, 9, 36);
    v.Notes = std::string("Note of ") + name + ", with; commas\r\nand a second line: Zoë 李";
    TEvent e;
    ReadEditorIntoEvent(v, e);
    e.Name = name;
    return e;
}

TEST(ICalendarEvents, EveryPeriodKindAndMaskGoesOutAsItsRuleAndComesBackTheSame)
{
    const struct {
        TEvent event;
        const char* rule;  // "" for none
    } cases[] = {
        {EditorEvent("Once", pkOnce), ""},
        {EditorEvent("Hourly", pkHourly), "FREQ=HOURLY"},
        {EditorEvent("Hourly 75", pkHourly, "0000000", "000000000000", 15), "FREQ=MINUTELY;INTERVAL=75"},
        {EditorEvent("Hourly 119", pkHourly, "0000000", "000000000000", 59), "FREQ=MINUTELY;INTERVAL=119"},
        {EditorEvent("Every day", pkDaily, "1111111"), "FREQ=DAILY"},
        {EditorEvent("Mon Fri", pkDaily, "0100010"), "FREQ=DAILY;BYDAY=MO,FR"},
        {EditorEvent("Wednesdays", pkDaily, "0001000"), "FREQ=DAILY;BYDAY=WE"},
        {EditorEvent("Weekend", pkDaily, "1000001"), "FREQ=DAILY;BYDAY=SU,SA"},
        {EditorEvent("Weekly", pkWeekly), "FREQ=WEEKLY"},
        {EditorEvent("Monthly", pkMonthly, "0000000", "111111111111"), "FREQ=MONTHLY;BYMONTHDAY=13"},
        {EditorEvent("Jan Mar", pkMonthly, "0000000", "101000000000"), "FREQ=MONTHLY;BYMONTH=1,3;BYMONTHDAY=13"},
        {EditorEvent("December", pkMonthly, "0000000", "000000000001"), "FREQ=MONTHLY;BYMONTH=12;BYMONTHDAY=13"},
        {EditorEvent("Annually", pkAnnually), "FREQ=YEARLY"},
    };
    EventList list;
    for (const auto& c : cases)
        list.Add(std::make_unique<TEvent>(c.event));
    ManualClock clock(kNow);
    const std::string file = WriteICalendar(list, false, clock);
    const auto lines = ParseContentLines(file);
    std::vector<std::string> rules;
    std::string current = "-";
    for (const ContentLine& l : lines) {
        if (l.Name == "BEGIN" && l.Value == "VEVENT")
            current = "";
        if (l.Name == "RRULE")
            current = l.Value;
        if (l.Name == "END" && l.Value == "VEVENT")
            rules.push_back(current);
    }
    ASSERT_EQ(rules.size(), std::size(cases));
    for (std::size_t i = 0; i < rules.size(); ++i)
        EXPECT_EQ(rules[i], cases[i].rule) << cases[i].event.Name;

    const auto entries = ReadICalendar(file, clock);
    ASSERT_EQ(entries.size(), std::size(cases));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TEvent& in = cases[i].event;
        const ImportEntry& entry = entries[i];
        ASSERT_TRUE(entry.Usable) << entry.Why;
        EXPECT_EQ(entry.Why, "") << in.Name;
        const TEvent& out = entry.Event;
        EXPECT_EQ(out.Name, in.Name);
        EXPECT_EQ(out.PeriodInd, in.PeriodInd) << in.Name;
        EXPECT_NEAR(out.DifDateTime, in.DifDateTime, 1e-9) << in.Name;
        EXPECT_EQ(out.StartDateTime, in.StartDateTime) << in.Name;
        EXPECT_EQ(out.Notes, in.Notes);
        if (in.PeriodInd == pkDaily) {
            EXPECT_EQ(out.DaysBin, in.DaysBin) << in.Name;
        }
        if (in.PeriodInd == pkMonthly) {
            EXPECT_EQ(out.MonthsBin, in.MonthsBin) << in.Name;
        }
        EXPECT_TRUE(out.Enabled && out.EnabledNote);
    }
}

TEST(ICalendarEvents, TheExportCarriesAStableUidAnAlarmAndCancelledOnlyWhenAsked)
{
    EventList list;
    list.Add(std::make_unique<TEvent>(EditorEvent("Dentist", pkOnce)));
    TEvent off = EditorEvent("Off", pkWeekly);
    off.Enabled = false;
    list.Add(std::make_unique<TEvent>(off));
    ManualClock clock(kNow);
    const std::string some = WriteICalendar(list, false, clock);
    const std::string all = WriteICalendar(list, true, clock);
    EXPECT_EQ(some.find("SUMMARY:Off"), std::string::npos);
    EXPECT_NE(all.find("SUMMARY:Off\r\nDESCRIPTION"), std::string::npos);
    EXPECT_NE(all.find("STATUS:CANCELLED"), std::string::npos);
    EXPECT_EQ(some.find("STATUS:"), std::string::npos);
    EXPECT_NE(some.find("UID:" + ExchangeUid("Dentist")), std::string::npos);
    EXPECT_EQ(ExchangeUid("Dentist"), ExchangeUid("DENTIST"));
    EXPECT_EQ(ExchangeUid("Éva"), ExchangeUid("éVA"));
    EXPECT_NE(ExchangeUid("Dentist"), ExchangeUid("Dentist 2"));
    EXPECT_NE(some.find("BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Dentist\r\nTRIGGER;RELATED=START:PT0S\r\n"),
              std::string::npos);
    EXPECT_NE(some.find("DTSTART:20270113T093600\r\n"), std::string::npos) << "floating local time";
    // A disabled event comes back disabled.
    const auto entries = ReadICalendar(all, clock);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[1].Event.Enabled);
}

TEST(ICalendarEvents, RulesAreMappedToPeriodsOrTakenOnceAtTheirNextTime)
{
    // DTSTART Friday 15 January 2027 10:00 unless the row says otherwise.
    const struct {
        const char* start;
        const char* rule;
        int period;      // -1: skipped
        const char* days;
        const char* months;
        TDateTime first;  // the start it gets
        const char* why;  // part of the remark or the reason
    } cases[] = {
        {"20270115T100000", "FREQ=WEEKLY;BYDAY=MO,WE", pkDaily, "0101000", nullptr, At(2027, 1, 15, 10), ""},
        {"20270115T100000", "FREQ=WEEKLY;BYDAY=FR", pkWeekly, nullptr, nullptr, At(2027, 1, 15, 10), ""},
        {"20270115T100000", "FREQ=DAILY", pkDaily, "1111111", nullptr, At(2027, 1, 15, 10), ""},
        {"20270115T100000", "FREQ=MONTHLY", pkMonthly, nullptr, "111111111111", At(2027, 1, 15, 10), ""},
        {"20270115T100000", "FREQ=YEARLY;BYMONTH=1;BYMONTHDAY=15", pkAnnually, nullptr, nullptr, At(2027, 1, 15, 10), ""},
        {"20270115T100000", "FREQ=HOURLY;INTERVAL=2", pkOnce, nullptr, nullptr, At(2027, 1, 15, 10), "cannot follow"},
        {"20270115T100000", "FREQ=WEEKLY;INTERVAL=2", pkOnce, nullptr, nullptr, At(2027, 1, 15, 10), "cannot follow"},
        {"20270115T100000", "FREQ=WEEKLY;COUNT=10", pkOnce, nullptr, nullptr, At(2027, 1, 15, 10), "cannot follow"},
        // Started long ago: the next time after now (Monday 7 December 2026, noon).
        {"20200106T080000", "FREQ=WEEKLY", pkWeekly, nullptr, nullptr, At(2026, 12, 14, 8), ""},
        {"20200101T080000", "FREQ=MONTHLY;BYDAY=2TU", pkOnce, nullptr, nullptr, At(2026, 12, 8, 8), "BYDAY=2TU"},
        {"20200131T080000", "FREQ=MONTHLY;BYMONTHDAY=-1", pkOnce, nullptr, nullptr, At(2026, 12, 31, 8), "cannot follow"},
        {"20200101T080000", "FREQ=DAILY;UNTIL=20261210", pkOnce, nullptr, nullptr, At(2026, 12, 8, 8), "cannot follow"},
        {"20200101T080000", "FREQ=DAILY;UNTIL=20261201T000000Z", -1, nullptr, nullptr, 0, "all its times have passed"},
        {"20200101T080000", "FREQ=DAILY;COUNT=3", -1, nullptr, nullptr, 0, "all its times have passed"},
        {"20200101T080000", "FREQ=MONTHLY;BYSETPOS=-1;BYDAY=MO,TU", -1, nullptr, nullptr, 0, "BYSETPOS"},
        {"20270101T080000", "FREQ=MONTHLY;BYSETPOS=-1;BYDAY=MO,TU", pkOnce, nullptr, nullptr, At(2027, 1, 1, 8), "BYSETPOS"},
        {"20200229T080000", "FREQ=YEARLY", pkAnnually, nullptr, nullptr, At(2028, 2, 29, 8), ""},
        {"20261201T080000", "", -1, nullptr, nullptr, 0, "its time has passed"},
    };
    ManualClock clock(kNow);
    for (const auto& c : cases) {
        const std::string rule = *c.rule ? std::string("RRULE:") + c.rule + "\r\n" : "";
        const auto entries = ReadICalendar(
            Calendar("BEGIN:VEVENT\r\nDTSTART:" + std::string(c.start) + "\r\n" + rule + "SUMMARY:x\r\nEND:VEVENT\r\n"),
            clock);
        const ImportEntry& e = Only(entries);
        SCOPED_TRACE(std::string(c.start) + " " + c.rule);
        EXPECT_NE(e.Why.find(c.why), std::string::npos) << e.Why;
        if (c.period < 0) {
            EXPECT_FALSE(e.Usable);
            continue;
        }
        ASSERT_TRUE(e.Usable) << e.Why;
        EXPECT_EQ(e.Event.PeriodInd, c.period);
        EXPECT_EQ(e.Event.StartDateTime, c.first);
        if (c.days) {
            EXPECT_EQ(e.Event.DaysBin, c.days);
        }
        if (c.months) {
            EXPECT_EQ(e.Event.MonthsBin, c.months);
        }
    }
}

TEST(ICalendarEvents, TimesInUtcAndNamedZonesAreTakenToLocalTime)
{
    // The user's zone: Central European time.
    ZoneClock clock(At(2026, 12, 7, 12));
    const std::string newYork =
        "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
        "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nDTSTART:20070311T020000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
        "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nDTSTART:20071104T020000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    const struct {
        const char* dtstart;
        TDateTime local;
        const char* remark;
    } cases[] = {
        {"DTSTART:20270115T100000Z", At(2027, 1, 15, 11), ""},            // winter: UTC+1
        {"DTSTART:20270715T100000Z", At(2027, 7, 15, 12), ""},            // summer: UTC+2
        {"DTSTART;TZID=America/New_York:20270115T100000", At(2027, 1, 15, 16), ""},  // EST = UTC-5
        {"DTSTART;TZID=America/New_York:20270715T100000", At(2027, 7, 15, 16), ""},  // EDT = UTC-4
        {"DTSTART;TZID=\"America/New_York\":20270320T100000", At(2027, 3, 20, 15), ""},  // EDT, CET still
        {"DTSTART;TZID=Mars/Olympus:20270115T100000", At(2027, 1, 15, 10), "Mars/Olympus"},
        {"DTSTART;TZID=UTC:20270115T100000", At(2027, 1, 15, 11), ""},
        {"DTSTART;VALUE=DATE:20270115", At(2027, 1, 15, 9), ""},
        {"DTSTART:20270115T100000", At(2027, 1, 15, 10), ""},  // floating
    };
    for (const auto& c : cases) {
        const auto entries = ReadICalendar(
            Calendar(newYork + "BEGIN:VEVENT\r\n" + c.dtstart + "\r\nSUMMARY:x\r\nEND:VEVENT\r\n"), clock);
        const ImportEntry& e = Only(entries);
        ASSERT_TRUE(e.Usable) << c.dtstart << ": " << e.Why;
        EXPECT_EQ(e.Event.StartDateTime, c.local) << c.dtstart;
        EXPECT_NE(e.Why.find(c.remark), std::string::npos) << e.Why;
    }
}

// --- files in the forms of the common programs -----------------------------------------

// Google Calendar: a zone of its own, folded lines, a weekly meeting with
// one moved occurrence, a cancelled event.
constexpr const char* kGoogle =
    "BEGIN:VCALENDAR\r\nPRODID:-//Google Inc//Google Calendar 70.9054//EN\r\nVERSION:2.0\r\nCALSCALE:GREGORIAN\r\n"
    "METHOD:PUBLISH\r\nX-WR-CALNAME:Work\r\nX-WR-TIMEZONE:Europe/Berlin\r\n"
    "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nX-LIC-LOCATION:Europe/Berlin\r\n"
    "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\nDTSTART:19700329T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\nDTSTART:19701025T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
    "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20250106T093000\r\nDTEND;TZID=Europe/Berlin:20250106T094500\r\n"
    "RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR\r\nDTSTAMP:20261201T101010Z\r\nUID:7kukuqrfedlm2f9t@google.com\r\n"
    "CREATED:20241220T120000Z\r\nDESCRIPTION:Join with Google Meet: https://meet.google.com/abc-defg-hij\\nOr d\r\n"
    " ial: (DE) +49 30 1234567 PIN: 123456789#\r\nLAST-MODIFIED:20241220T120000Z\r\nLOCATION:Room 4\\, 2nd floor\r\n"
    "SEQUENCE:0\r\nSTATUS:CONFIRMED\r\nSUMMARY:Stand-up\r\nTRANSP:OPAQUE\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:This is an event reminder\r\nTRIGGER:-P0DT0H10M0S\r\nEND:VALARM\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20261209T110000\r\nDTEND;TZID=Europe/Berlin:20261209T114500\r\n"
    "DTSTAMP:20261201T101010Z\r\nUID:7kukuqrfedlm2f9t@google.com\r\nRECURRENCE-ID;TZID=Europe/Berlin:20261209T093000\r\n"
    "SUMMARY:Stand-up\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART:20270110T150000Z\r\nDTEND:20270110T160000Z\r\nDTSTAMP:20261201T101010Z\r\n"
    "UID:0a1b2c@google.com\r\nSTATUS:CANCELLED\r\nSUMMARY:Call Ingrid\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

// Outlook: Windows zone names, a quoted-free folded description, all-day
// birthdays of the address book as yearly events.
constexpr const char* kOutlook =
    "BEGIN:VCALENDAR\r\nPRODID:-//Microsoft Corporation//Outlook 16.0 MIMEDIR//EN\r\nVERSION:2.0\r\nMETHOD:PUBLISH\r\n"
    "X-MS-OLK-FORCEINSPECTOROPEN:TRUE\r\n"
    "BEGIN:VTIMEZONE\r\nTZID:W. Europe Standard Time\r\n"
    "BEGIN:STANDARD\r\nDTSTART:16011028T030000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\nTZOFFSETFROM:+0200\r\n"
    "TZOFFSETTO:+0100\r\nEND:STANDARD\r\n"
    "BEGIN:DAYLIGHT\r\nDTSTART:16010325T020000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\nTZOFFSETFROM:+0100\r\n"
    "TZOFFSETTO:+0200\r\nEND:DAYLIGHT\r\nEND:VTIMEZONE\r\n"
    "BEGIN:VEVENT\r\nCLASS:PUBLIC\r\nCREATED:20261130T080000Z\r\n"
    "DESCRIPTION:Quarterly figures. Please bring the printed report\\, the budget\r\n  sheet and your questions.\\n\r\n"
    "DTEND;TZID=\"W. Europe Standard Time\":20270304T160000\r\nDTSTAMP:20261130T080000Z\r\n"
    "DTSTART;TZID=\"W. Europe Standard Time\":20270304T143000\r\nLAST-MODIFIED:20261130T080000Z\r\nPRIORITY:5\r\n"
    "SEQUENCE:0\r\nSUMMARY;LANGUAGE=de:Quartalsbericht\r\nTRANSP:OPAQUE\r\n"
    "UID:040000008200E00074C5B7101A82E00800000000\r\nX-MICROSOFT-CDO-BUSYSTATUS:BUSY\r\n"
    "BEGIN:VALARM\r\nTRIGGER:-PT15M\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nEND:VALARM\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:19820412\r\nDTEND;VALUE=DATE:19820413\r\nRRULE:FREQ=YEARLY;BYMONTHDAY=12;BYMONTH=4\r\n"
    "SUMMARY:Jonas Berg's Birthday\r\nUID:040000008200E00074C5B7101A82E0080000000001\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

// Apple Calendar: LF line ends, a series that ends, a monthly rule by
// weekday, an alarm relative to the start.
constexpr const char* kApple =
    "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Apple Inc.//macOS 14.1//EN\nCALSCALE:GREGORIAN\n"
    "BEGIN:VEVENT\nTRANSP:OPAQUE\nDTEND:20270202T190000Z\nUID:5D9B3F2E-1C52-4B0B-9E1A-2F3E4D5C6B7A\n"
    "DTSTAMP:20261201T090000Z\nLOCATION:Sporthalle\nDESCRIPTION:Bring shoes\nSEQUENCE:0\n"
    "X-APPLE-TRAVEL-ADVISORY-BEHAVIOR:AUTOMATIC\nSUMMARY:Badminton\nLAST-MODIFIED:20261201T090000Z\n"
    "DTSTART:20270202T180000Z\nCREATED:20261201T090000Z\nRRULE:FREQ=WEEKLY;UNTIL=20270601T175959Z\n"
    "BEGIN:VALARM\nX-WR-ALARMUID:A1\nUID:A1\nTRIGGER:-PT30M\nACTION:DISPLAY\nDESCRIPTION:Reminder\nEND:VALARM\n"
    "END:VEVENT\n"
    "BEGIN:VEVENT\nDTSTART;TZID=Europe/Berlin:20250107T190000\nDTEND;TZID=Europe/Berlin:20250107T210000\n"
    "RRULE:FREQ=MONTHLY;BYDAY=1TU\nSUMMARY:Book club\nUID:B2\nDTSTAMP:20261201T090000Z\nEND:VEVENT\n"
    "END:VCALENDAR\n";

// Thunderbird: tasks (a due one, a done one, one without a date) and an
// all-day event.
constexpr const char* kThunderbird =
    "BEGIN:VCALENDAR\r\nPRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN\r\nVERSION:2.0\r\n"
    "BEGIN:VTODO\r\nCREATED:20261201T100000Z\r\nLAST-MODIFIED:20261201T100000Z\r\nDTSTAMP:20261201T100000Z\r\n"
    "UID:c0ffee-1\r\nSUMMARY:Renew passport\r\nDUE;VALUE=DATE-TIME:20270301T120000Z\r\n"
    "X-MOZ-GENERATION:1\r\nDESCRIPTION:Photos first\r\nEND:VTODO\r\n"
    "BEGIN:VTODO\r\nUID:c0ffee-2\r\nSUMMARY:Old task\r\nDUE:20270101T120000Z\r\nSTATUS:COMPLETED\r\n"
    "COMPLETED:20261130T120000Z\r\nPERCENT-COMPLETE:100\r\nEND:VTODO\r\n"
    "BEGIN:VTODO\r\nUID:c0ffee-3\r\nSUMMARY:Someday\r\nEND:VTODO\r\n"
    "BEGIN:VEVENT\r\nUID:c0ffee-4\r\nSUMMARY:Tax deadline\r\nDTSTART;VALUE=DATE:20270731\r\n"
    "DTEND;VALUE=DATE:20270801\r\nX-MOZ-GENERATION:2\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

struct Expected {
    const char* name;
    bool usable;
    int period;
    TDateTime start;
    const char* why;
};

void CheckEntries(const std::vector<ImportEntry>& entries, const std::vector<Expected>& expected)
{
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ImportEntry& e = entries[i];
        const Expected& x = expected[i];
        SCOPED_TRACE(x.name);
        EXPECT_EQ(e.Name, x.name);
        EXPECT_EQ(e.Usable, x.usable) << e.Why;
        EXPECT_NE(e.Why.find(x.why), std::string::npos) << e.Why;
        if (e.Usable && x.usable) {
            EXPECT_EQ(e.Event.PeriodInd, x.period);
            EXPECT_EQ(e.Event.StartDateTime, x.start);
        }
    }
}

TEST(ICalendarSamples, FilesOfTheCommonCalendarsImport)
{
    ManualClock clock(kNow);  // local time is UTC
    {
        const auto entries = ReadICalendar(kGoogle, clock);
        CheckEntries(entries, {{"Stand-up", true, pkDaily, At(2026, 12, 8, 8, 30), ""},
                               {"Stand-up", false, 0, 0, "one time of a repeating event"},
                               {"Call Ingrid", true, pkOnce, At(2027, 1, 10, 15), ""}});
        EXPECT_EQ(entries[0].Event.DaysBin, "0111110");
        EXPECT_EQ(entries[0].Event.Notes,
                  "Join with Google Meet: https://meet.google.com/abc-defg-hij\r\nOr dial: (DE) +49 30 1234567 PIN: "
                  "123456789#\r\nLocation: Room 4, 2nd floor");
        EXPECT_FALSE(entries[2].Event.Enabled);
    }
    {
        const auto entries = ReadICalendar(kOutlook, clock);
        CheckEntries(entries, {{"Quartalsbericht", true, pkOnce, At(2027, 3, 4, 13, 30), ""},
                               {"Jonas Berg's Birthday", true, pkAnnually, At(2027, 4, 12, 9), ""}});
        EXPECT_EQ(entries[0].Event.Notes,
                  "Quarterly figures. Please bring the printed report, the budget sheet and your questions.\r\n");
    }
    {
        const auto entries = ReadICalendar(kApple, clock);
        CheckEntries(entries, {{"Badminton", true, pkOnce, At(2027, 2, 2, 18), "cannot follow"},
                               {"Book club", true, pkOnce, At(2027, 1, 5, 19), "BYDAY=1TU"}});
    }
    {
        const auto entries = ReadICalendar(kThunderbird, clock);
        CheckEntries(entries, {{"Renew passport", true, pkOnce, At(2027, 3, 1, 12), ""},
                               {"Old task", false, 0, 0, "completed"},
                               {"Someday", false, 0, 0, "without a due date"},
                               {"Tax deadline", true, pkOnce, At(2027, 7, 31, 9), ""}});
    }
}

// --- birthdays both ways ----------------------------------------------------------------

// Android's contacts export: vCard 2.1, quoted-printable UTF-8 with soft
// line breaks, types without TYPE=.
constexpr const char* kAndroid =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85str=C3=B6m;Bj=C3=B6rn;;;\r\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Bj=C3=B6rn =C3=85str=C3=B6m\r\nTEL;CELL:+46 70 123 45 67\r\n"
    "TEL;HOME:+46 8 123 456\r\nEMAIL;HOME:bjorn@example.se\r\nBDAY:1975-08-21\r\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE:A long note that the phone folds with a soft line break at the en=\r\n"
    "d of the line\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Nobday;Nils;;;\r\nFN:Nils Nobday\r\nTEL;CELL:+46 70 000 00 00\r\nEND:VCARD\r\n";

// The iPhone: vCard 3.0, grouped properties, a birthday without its year
// written as Apple does, a preferred e-mail that is not the first.
constexpr const char* kIPhone =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 17.1//EN\r\nN:Lefèvre;Zoé;;;\r\nFN:Zoé Lefèvre\r\n"
    "EMAIL;type=INTERNET;type=WORK:zoe@work.example\r\nEMAIL;type=INTERNET;type=HOME;type=pref:zoe@home.example\r\n"
    "item1.ADR;type=HOME;type=pref:;;12 Rue de la Paix;Paris;;75002;France\r\nitem1.X-ABADR:fr\r\n"
    "BDAY;X-APPLE-OMIT-YEAR=1604:1604-03-02\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tanaka;Yuki;;;\r\nFN:田中 由紀\r\nBDAY;value=date:1990-11-03\r\nEND:VCARD\r\n";

// Google Contacts and the newer address books: vCard 3.0 and 4.0 forms.
constexpr const char* kGoogleContacts =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mia Kowalski\r\nN:Kowalski;Mia;;;\r\nBDAY:--12-24\r\n"
    "TEL;TYPE=CELL:+48 600 100 200\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ola Nordmann\r\nBDAY:19850517\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ada\r\nBDAY;VALUE=text:circa 1815\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Unborn\r\nBDAY:20300101\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Ek;Bo;;Dr.;\r\nBDAY:--0229\r\nEND:VCARD\r\n";

struct ExpectedCard {
    const char* name;
    const char* date;  // YYYY-MM-DD, or "" when skipped
    const char* why;
};

void CheckCards(const std::vector<ImportEntry>& entries, const std::vector<ExpectedCard>& expected)
{
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ImportEntry& e = entries[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(e.Name, expected[i].name);
        EXPECT_NE(e.Why.find(expected[i].why), std::string::npos) << e.Why;
        EXPECT_EQ(e.Usable, *expected[i].date != '\0') << e.Why;
        if (!e.Usable)
            continue;
        const DateParts d = DecodeDate(e.Birthday.BirthDate);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
        EXPECT_STREQ(text, expected[i].date);
    }
}

TEST(VCardSamples, AddressBooksOfPhonesAndMailProgramsImport)
{
    const TDateTime today = DateOf(kNow);
    const auto android = ReadVCards(kAndroid, today);
    CheckCards(android, {{"Björn Åström", "1975-08-21", ""}, {"Nils Nobday", "", "no birthday"}});
    EXPECT_EQ(android[0].Birthday.Phone, "+46 70 123 45 67");
    EXPECT_EQ(android[0].Birthday.EMail, "bjorn@example.se");

    const auto iphone = ReadVCards(kIPhone, today);
    CheckCards(iphone, {{"Zoé Lefèvre", "1804-03-02", "year is not known"}, {"田中 由紀", "1990-11-03", ""}});
    EXPECT_EQ(iphone[0].Birthday.EMail, "zoe@home.example");
    EXPECT_EQ(iphone[0].Birthday.Address, "12 Rue de la Paix, Paris, 75002, France");

    const auto google = ReadVCards(kGoogleContacts, today);
    CheckCards(google, {{"Mia Kowalski", "1804-12-24", "year is not known"},
                        {"Ola Nordmann", "1985-05-17", ""},
                        {"Ada", "", "text"},
                        {"Unborn", "", "future"},
                        {"Dr. Bo Ek", "1804-02-29", ""}});
    // As the editor makes a new one; a birthday already past this year is
    // not reported as missed at the next start.
    const TBirthday& ola = google[1].Birthday;
    EXPECT_TRUE(ola.Enabled && ola.EnabledNote && ola.Remind1Day && ola.Remind1Week && ola.Remind2Weeks);
    EXPECT_EQ(ola.LastStart, At(2026, 5, 17));
    EXPECT_EQ(google[0].Birthday.LastStart, 0);
}

TEST(VCards, BirthdaysGoOutAndComeBackTheSame)
{
    BirthdayList list;
    auto add = [&](const char* name, TDateTime date, const char* mail = "", const char* phone = "",
                   const char* address = "", bool enabled = true) {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        b->BirthDate = date;
        b->EMail = mail;
        b->Phone = phone;
        b->Address = address;
        b->Enabled = enabled;
        list.Add(std::move(b));
    };
    add("Anna Berg", At(1980, 5, 10) + 0.3993981481481482, "anna@example.com", "+49 30 1", "Hauptstr. 1, Berlin");
    add("Bo", At(kUnknownBirthYear, 3, 2));
    add("Zoë; \"Li\", 李", At(2001, 12, 31));
    add("Off", At(1970, 1, 1), "", "", "", false);
    const std::string some = WriteVCards(list, false);
    EXPECT_NE(some.find("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + ExchangeUid("Anna Berg") +
                        "\r\nFN:Anna Berg\r\nN:Berg;Anna;;;\r\nBDAY:1980-05-10\r\n"),
              std::string::npos);
    EXPECT_NE(some.find("BDAY:--03-02\r\n"), std::string::npos);
    EXPECT_NE(some.find("FN:Zoë\\; \"Li\"\\, 李\r\n"), std::string::npos);
    EXPECT_EQ(some.find("FN:Off"), std::string::npos);
    EXPECT_NE(WriteVCards(list, true).find("FN:Off"), std::string::npos);

    const auto back = ReadVCards(WriteVCards(list, true), DateOf(kNow));
    ASSERT_EQ(back.size(), 4u);
    // The same file saved as UTF-16 by a Windows program, or in its code page.
    std::string utf16 = "\xFF\xFE";
    AppendUtf8AsUtf16Le(utf16, WriteVCards(list, true));
    EXPECT_EQ(ReadVCards(utf16, DateOf(kNow))[2].Name, "Zoë; \"Li\", 李");
    EXPECT_EQ(ReadVCards("BEGIN:VCARD\r\nFN:Zo\xEB\r\nBDAY:2001-12-31\r\nEND:VCARD\r\n", DateOf(kNow))[0].Name,
              "Zoë");
    for (int i = 0; i < 4; ++i) {
        const TBirthday& in = list[i];
        const TBirthday& out = back[static_cast<std::size_t>(i)].Birthday;
        EXPECT_EQ(out.Name, in.Name);
        EXPECT_EQ(out.BirthDate, DateOf(in.BirthDate));
        EXPECT_EQ(out.EMail, in.EMail);
        EXPECT_EQ(out.Phone, in.Phone);
        EXPECT_EQ(out.Address, in.Address);
    }
}

TEST(UnknownBirthYear, NoAgeAndNoYearInTheNote)
{
    const TDateTime today = At(2026, 12, 7);
    EXPECT_EQ(AgeText(At(kUnknownBirthYear, 3, 2), today), "?");
    EXPECT_EQ(AgeText(At(1980, 3, 2), today), "46");
    const FormatSettings& fs = EnglishUSFormatSettings();
    const struct {
        const char* pattern;
        const char* without;
    } cases[] = {
        {"dd.mm.yyyy", "dd.mm"},   {"yyyy-mm-dd", "mm-dd"},          {"mmmm d, yyyy", "mmmm d"},
        {"d/m/yy", "d/m"},         {"ddddd", "m/d"},                 {"dddddd", "dddd, mmmm d"},
        {"'Year' yyyy", "'Year'"}, {"dd.mm", "dd.mm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DatePatternWithoutYear(c.pattern, fs), c.without) << c.pattern;
    TBirthday b;
    b.Name = "Bo";
    b.BirthDate = At(kUnknownBirthYear, 3, 2);
    EXPECT_EQ(ExpandMacros("%PersonName on %BirthDate", b, today, "dd.mm.yyyy"), "Bo on 02.03");
    EXPECT_EQ(BirthdayRowOf(b, today, "dd.mm.yyyy").AgeText, "?");
}

// --- the plan and the one write ---------------------------------------------------------

ImportEntry Entry(ImportEntry::Kind kind, const char* name, int line)
{
    ImportEntry e;
    e.What = kind;
    e.Name = name;
    e.Line = line;
    e.Event.Name = name;
    e.Birthday.Name = name;
    return e;
}

TEST(ImportPlan, ATakenNameIsSkippedRenamedOrReplacedByOneChoice)
{
    using K = ImportEntry::Kind;
    using A = PlannedEntry::Action;
    EventList events;
    for (const char* n : {"Dentist", "Dentist (2)"}) {
        auto e = std::make_unique<TEvent>();
        e->Name = n;
        events.Add(std::move(e));
    }
    BirthdayList birthdays;
    auto anna = std::make_unique<TBirthday>();
    anna->Name = "Anna";
    birthdays.Add(std::move(anna));
    ImportEntry skipped = Entry(K::Event, "Past", 9);
    skipped.Usable = false;
    skipped.Why = "its time has passed";
    const std::vector<ImportEntry> entries{Entry(K::Event, "DENTIST", 3),  Entry(K::Event, "Gym", 5),
                                           Entry(K::Event, "gym", 7),      skipped,
                                           Entry(K::Birthday, "anna", 11), Entry(K::Birthday, "Dentist", 13)};
    const struct {
        NameConflict choice;
        std::vector<A> actions;
        std::vector<const char*> names;
        int events, birthdays;
        const char* summary;
    } cases[] = {
        {NameConflict::Skip,
         {A::Skip, A::Add, A::Skip, A::Skip, A::Skip, A::Add},
         {"DENTIST", "Gym", "gym", "Past", "anna", "Dentist"},
         1, 1, "2 to add, 4 skipped"},
        {NameConflict::Rename,
         {A::Add, A::Add, A::Add, A::Skip, A::Add, A::Add},
         {"DENTIST (3)", "Gym", "gym (2)", "Past", "anna (2)", "Dentist"},
         3, 2, "5 to add, 1 skipped"},
        {NameConflict::Replace,
         {A::Replace, A::Skip, A::Add, A::Skip, A::Replace, A::Add},
         {"DENTIST", "Gym", "gym", "Past", "anna", "Dentist"},
         2, 2, "2 to add, 2 to replace, 2 skipped"},
    };
    for (const auto& c : cases) {
        const ImportPlan plan = PlanImport(entries, events, birthdays, c.choice);
        ASSERT_EQ(plan.Rows.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(plan.Rows[i].What, c.actions[i]) << i;
            EXPECT_EQ(plan.Rows[i].Name, c.names[i]) << i;
        }
        EXPECT_EQ(static_cast<int>(plan.Events.size()), c.events);
        EXPECT_EQ(static_cast<int>(plan.Birthdays.size()), c.birthdays);
        EXPECT_EQ(PlanSummary(plan), c.summary);
    }
    EXPECT_EQ(PlanImport(entries, events, birthdays, NameConflict::Replace).Rows[1].Why,
              "replaced by the entry on line 7");
}

// Counts the writes of the data files.
class CountingFiles final : public IFileSystem {
public:
    FileReadStatus Read(const std::string& path, std::string& contents) override
    {
        return ReadFileStatus(path, contents);
    }
    void WriteAtomically(const std::string& path, std::string_view contents) override
    {
        ++writes;
        WriteFileAtomically(path, contents);
    }
    int writes = 0;
};

TEST(ImportRecords, OneWritePerFileNewOnesAppendedNamesakesReplacedInPlace)
{
    testfiles::TempDir dir;
    ManualClock clock(kNow);
    NullDesktop desktop;
    CountingFiles files;
    RemindersOptions options;
    options.EventsPath = dir.File("events.ini");
    options.BirthdaysPath = dir.File("birthdays.ini");
    options.Clock = &clock;
    options.Desktop = &desktop;
    options.Files = &files;
    TReminders reminders(options);
    reminders.Load();
    reminders.StartUp();
    reminders.AddEvent(std::make_unique<TEvent>(EditorEvent("First", pkOnce)));
    reminders.AddEvent(std::make_unique<TEvent>(EditorEvent("Dentist", pkOnce)));
    const int before = files.writes;

    std::vector<TEvent> events{EditorEvent("DENTIST", pkWeekly), EditorEvent("Gym", pkDaily, "0101010"),
                               EditorEvent("Swim", pkMonthly, "0000000", "111111111111")};
    events[0].SnoozeDateTime = kNow + 1;  // an import owes only the start
    TBirthday anna;
    anna.Name = "Anna";
    anna.BirthDate = At(1980, 5, 10);
    reminders.ImportRecords(events, {anna});
    EXPECT_EQ(files.writes - before, 2) << "one write per file";

    ASSERT_EQ(reminders.Events().Count(), 4);
    EXPECT_EQ(reminders.Events()[1].Name, "DENTIST");
    EXPECT_EQ(reminders.Events()[1].PeriodInd, pkWeekly);
    EXPECT_EQ(reminders.Events()[1].SnoozeDateTime, 0);
    EXPECT_EQ(reminders.Events()[3].Name, "Swim");
    EXPECT_EQ(reminders.Birthdays().Count(), 1);
    EXPECT_EQ(reminders.NextDueTime(), At(2027, 1, 13, 9, 36));

    // The files read back as the lists.
    EventList read;
    LoadEvents(IniFile(dir.File("events.ini")), read);
    ASSERT_EQ(read.Count(), 4);
    EXPECT_EQ(read.IndexOf("dentist"), 1) << "replaced as an edit replaces it";
    EXPECT_EQ(read[1].Name, "DENTIST");
    EXPECT_EQ(read[1].PeriodInd, pkWeekly);
    EXPECT_EQ(read.Find("Gym")->DaysBin, "0101010");
    BirthdayList births;
    LoadBirthdays(IniFile(dir.File("birthdays.ini")), births);
    EXPECT_EQ(births.Count(), 1);

    // A name that cannot be stored leaves list and file as they were.
    std::vector<TEvent> bad{EditorEvent("Fine", pkOnce), EditorEvent(" padded", pkOnce)};
    EXPECT_THROW(reminders.ImportRecords(bad, {}), std::invalid_argument);
    EXPECT_EQ(reminders.Events().Count(), 4);
}

TEST(CommandLine, ImportAndExportSwitches)
{
    using K = ExchangeCommand::Kind;
    const struct {
        std::vector<std::string> args;
        K what;
        const char* path;
        bool disabled;
        bool error;
    } cases[] = {
        {{}, K::None, "", false, false},
        {{"/import", "C:\\a b\\cards.vcf"}, K::Import, "C:\\a b\\cards.vcf", false, false},
        {{"-IMPORT", "x.ics"}, K::Import, "x.ics", false, false},
        {{"/export", "out.ics", "/disabled"}, K::Export, "out.ics", true, false},
        {{"/Disabled", "--export", "out.vcf"}, K::Export, "out.vcf", true, false},
        {{"/import"}, K::Import, "", false, true},
        {{"something.txt"}, K::None, "", false, false},
    };
    for (const auto& c : cases) {
        const ExchangeCommand cmd = ParseExchangeCommand(c.args);
        EXPECT_EQ(cmd.What, c.what);
        EXPECT_EQ(cmd.Path, c.path);
        EXPECT_EQ(cmd.IncludeDisabled, c.disabled);
        EXPECT_EQ(!cmd.Error.empty(), c.error);
    }
    EXPECT_TRUE(IsVCardPath("C:\\x\\Cards.VCF"));
    EXPECT_FALSE(IsVCardPath("events.ics"));
}

}  // namespace
