#include <gtest/gtest.h>

#include <optional>

#include "alerts/NotePlacement.h"

namespace {

// A second monitor right of a 1920 x 1080 one, its task bar at the bottom.
constexpr ScreenRect kWork{1920, 0, 3200, 984};
constexpr int kW = 400;
constexpr int kH = 300;
constexpr int kStep = 36;  // 24 at 150 %

struct Case {
    const char* what;
    std::optional<ScreenPoint> last;
    ScreenPoint expected;
};

TEST(NotePlacement, CentredThenCascadedStartingOverAtTheEdges)
{
    const Case cases[] = {
        {"the first note is centred in the work area", std::nullopt, {2360, 342}},
        {"the next one steps down and right", ScreenPoint{2360, 342}, {2396, 378}},
        {"at the bottom it starts over at the top", ScreenPoint{2500, 650}, {2536, 0}},
        {"at the right it starts over at the left", ScreenPoint{2780, 100}, {1920, 136}},
        {"both at once: the top-left corner", ScreenPoint{2790, 690}, {1920, 0}},
        {"a note on another monitor does not count", ScreenPoint{100, 100}, {2360, 342}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NotePosition(kWork, kW, kH, c.last, kStep), c.expected) << c.what;
}

TEST(NotePlacement, ANoteLargerThanTheWorkAreaKeepsItsCornerInside)
{
    EXPECT_EQ(NotePosition(ScreenRect{0, 40, 320, 240}, kW, kH, std::nullopt, kStep), (ScreenPoint{0, 40}));
}

}  // namespace
