#include "alerts/Snooze.h"

#include "core/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>

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

TEST(SnoozeTime, Examples)
{
    struct Case {
        bool in;
        TDateTime now;
        int tag;
        TDateTime expected;
    } cases[] = {
        {true, At(2024, 5, 17, 9, 41, 12), 1, At(2024, 5, 17, 9, 42, 12)},
        {true, At(2024, 5, 17, 9, 41, 12), 45, At(2024, 5, 17, 10, 26, 12)},
        {true, At(2024, 5, 17, 9, 41, 12), 720, At(2024, 5, 17, 21, 41, 12)},
        {true, At(2023, 12, 31, 20, 0), 420, At(2024, 1, 1, 3, 0)},
        {false, At(2024, 2, 27, 6, 30), 3, At(2024, 3, 1, 6, 30)},
        {false, At(2024, 2, 27, 6, 30), 21, At(2024, 3, 19, 6, 30)},
        {false, At(2024, 3, 31, 10, 15), 31, At(2024, 4, 30, 10, 15)},
        {false, At(2023, 1, 31, 8, 0), 31, At(2023, 2, 28, 8, 0)},
        {false, At(2024, 1, 31, 8, 0), 31, At(2024, 2, 29, 8, 0)},
        {false, At(2024, 11, 30, 23, 59, 59), 93, At(2025, 2, 28, 23, 59, 59)},
        {false, At(2024, 8, 31, 12, 0), 186, At(2025, 2, 28, 12, 0)},
        {false, At(2024, 5, 31, 0, 0), 279, At(2025, 2, 28, 0, 0)},
        {false, At(2024, 2, 29, 18, 45), 372, At(2025, 2, 28, 18, 45)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.in ? "in " : "on ") << c.tag << " at " << c.now);
        const ManualClock clock(c.now);
        EXPECT_NEAR(c.in ? SnoozeInTime(clock, c.tag) : SnoozeOnTime(c.now, c.tag), c.expected,
                    0.5 / 86400000.0);
    }
}

TEST(SnoozeChoices, MenuTablesInOrder)
{
    auto text = [](std::span<const SnoozeChoice> choices) {
        std::string s;
        for (const SnoozeChoice& c : choices)
            s += std::string(c.NewColumn ? "|" : "") + c.Name + ":" + c.Caption + "=" + std::to_string(c.Tag) +
                 (*c.Shortcut ? std::string("\t") + c.Shortcut : "") + ";";
        return s;
    };
    EXPECT_EQ(text(SnoozeInChoices()),
              "pmi1min:1 min=1\tCtrl+1;pmi3min:3 min=3\tCtrl+3;pmi5min:5 min=5\tCtrl+5;pmi15min:15 min=15;"
              "pmi30min:30 min=30;pmi45min:45 min=45;|pmi1hour:1 hour=60;pmi3hours:3 hours=180;"
              "pmi5hours:5 hours=300;pmi7hours:7 hours=420;pmi10hours:10 hours=600;pmi12hours:12 hours=720;");
    EXPECT_EQ(text(SnoozeOnChoices()),
              "pmi1day:1 day=1\tShift+1;pmi3days:3 days=3\tShift+3;pmi5days:5 days=5\tShift+5;"
              "pmi1week:1 week=7;pmi3weeks:3 weeks=21;|pmi1month:1 month=31;pmi3months:3 months=93;"
              "pmi6months:6 months=186;pmi9months:9 months=279;pmi1year:1 year=372;");
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
        {0x20, true, false, K::OpenMenu},   {0x23, false, true, K::StopMusic},
        {'1', true, false, K::In1Min},      {'3', true, false, K::In3Min},
        {'5', true, false, K::In5Min},      {'1', false, true, K::On1Day},
        {'3', false, true, K::On3Days},     {'5', false, true, K::On5Days},
        // Ctrl wins over Shift.
        {'1', true, true, K::In1Min},       {'3', true, true, K::In3Min},
        // Other digits and plain digits do nothing.
        {'1', false, false, K::None},       {'2', true, false, K::None},
        {'4', false, true, K::None},
        // Ctrl with another key does not fall back to the Shift rules.
        {'7', true, true, K::None},         {0x61 /* numpad 1 */, true, false, K::None},
        {0x0D, false, false, K::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vk << " ctrl " << c.ctrl << " shift " << c.shift);
        EXPECT_EQ(NoteKeyAction(c.vk, c.ctrl, c.shift), c.expected);
    }
}

}  // namespace
