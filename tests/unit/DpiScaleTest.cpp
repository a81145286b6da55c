#include <gtest/gtest.h>

#include "shell/DpiScale.h"

namespace {

constexpr int kScales[] = {96, 120, 144, 168, 192, 240};

TEST(DpiScale, ScalesRoundToTheNearestHalvesAwayFromZero)
{
    struct Case {
        int units, dpi, pixels;
    } const cases[] = {
        {520, 96, 520}, {520, 144, 780}, {161, 144, 242},  // 241.5 rounds up
        {150, 120, 188},                                    // 187.5
        {3, 144, 5},    {-3, 144, -5},  {0, 192, 0},   {-252, 120, -315},
        {80, 0, 80},  // no DPI known: 100 %
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.units << " at " << c.dpi);
        EXPECT_EQ(ToDpi(c.units, c.dpi), c.pixels);
    }
    EXPECT_EQ(To96(242, 144), 161);
    EXPECT_EQ(To96(-5, 144), -3);
    EXPECT_EQ(To96(5, 0), 5);
}

// What is read, applied and written again keeps its number at every scale,
// negative positions (a monitor left of the primary one) included.
TEST(DpiScale, RoundTripsKeepEveryNumber)
{
    for (int dpi : kScales) {
        for (int units = -3000; units <= 3000; ++units) {
            ASSERT_EQ(To96(ToDpi(units, dpi), dpi), units) << units << " at " << dpi;
            // A window 34 units of frame at 96 DPI, 51 or so at the scale.
            const int frameAtDpi = 34 * dpi / 96 + 1;
            ASSERT_EQ(OuterTo96(OuterToDpi(units, 34, frameAtDpi, dpi), 34, frameAtDpi, dpi), units);
        }
    }
}

TEST(DpiScale, TheFrameStaysOutOfTheScaledContent)
{
    // 280 high with a 61-pixel frame at 96 DPI; 84 pixels of frame at 144.
    EXPECT_EQ(OuterToDpi(280, 61, 84, 144), 413);  // 219 x 1.5 = 328.5, + 84
    EXPECT_EQ(OuterTo96(413, 61, 84, 144), 280);
    EXPECT_EQ(OuterToDpi(280, 61, 61, 96), 280);
}

TEST(DpiScale, PicturesComeInTheMadeSizeThatFits)
{
    struct Case {
        int size96, dpi, small, large, toolbar;
    } const cases[] = {
        {0, 96, 16, 32, 24},  {0, 120, 20, 40, 30}, {0, 144, 24, 48, 36},
        {0, 168, 24, 48, 36},  // 175 %: the next smaller, never stretched up
        {0, 192, 32, 64, 48}, {0, 240, 32, 64, 48},  // beyond 200 %: the largest
        {0, 72, 16, 32, 24},                          // below 100 %: the smallest
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(PictureSize(kSmallIconSizes, 16, c.dpi), c.small);
        EXPECT_EQ(PictureSize(kLargeIconSizes, 32, c.dpi), c.large);
        EXPECT_EQ(PictureSize(kToolbarIconSizes, 24, c.dpi), c.toolbar);
    }
    EXPECT_EQ(PictureSize({}, 16, 144), 0);
}

}  // namespace
