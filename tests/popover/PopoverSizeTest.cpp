#include "popover/PopoverSize.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace gaugelet;

namespace {

struct SizeCase {
    const char* name;
    std::optional<QRectF> frame;
    int providers;
    int firing;
    TwoColumnMode mode;
    bool twoColumns;
    bool scrolls;
    double width;
    double maxHeight;
};

QRectF screen(double w, double h)
{
    return QRectF(0, 0, w, h);
}

} // namespace

TEST(PopoverSize, FollowsTheRuleForEveryCase)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const SizeCase cases[] = {
        // 1440 × 875: one column would need 1060 > 775, so two columns of two, no scrolling.
        {"four, auto", screen(1440, 875), 4, 0, TwoColumnMode::automatic, true, false, 740, 775},
        // Three firing alarms: one column 1140, two columns 660; still no scrolling.
        {"four, firing", screen(1440, 875), 4, 3, TwoColumnMode::automatic, true, false, 740, 775},
        {"four, alwaysOne", screen(1440, 875), 4, 0, TwoColumnMode::alwaysOne, false, true, 380, 775},
        // One provider: never two columns, even when asked.
        {"one, alwaysTwo", screen(1440, 875), 1, 0, TwoColumnMode::alwaysTwo, false, false, 380, 775},
        // A tall screen fits one column: auto keeps one.
        {"four, tall", screen(1440, 1200), 4, 0, TwoColumnMode::automatic, false, false, 380, 1100},
        {"four, tall, alwaysTwo", screen(1440, 1200), 4, 0, TwoColumnMode::alwaysTwo, true, false, 740, 1100},
        // A narrow screen (maxWidth 600 < 669): one column of width min(maxWidth, 380).
        {"narrow, alwaysTwo", screen(660, 875), 4, 0, TwoColumnMode::alwaysTwo, false, true, 380, 775},
        {"very narrow", screen(300, 875), 2, 0, TwoColumnMode::alwaysTwo, false, false, 240, 775},
        // maxWidth exactly 669 allows two columns (inclusive).
        {"edge 669", screen(729, 875), 4, 0, TwoColumnMode::alwaysTwo, true, false, 669, 775},
        // maxHeight equal to the height needed does not scroll (strict).
        {"edge height", screen(1440, 680), 2, 0, TwoColumnMode::alwaysOne, false, false, 380, 580},
        {"edge height + 1", screen(1440, 679), 2, 0, TwoColumnMode::alwaysOne, false, true, 380, 579},
        // Without a main screen: 700 × 1220.
        {"no screen", std::nullopt, 4, 0, TwoColumnMode::automatic, true, false, 740, 700},
        {"no screen, one", std::nullopt, 2, 0, TwoColumnMode::automatic, false, false, 380, 700},
        // A small screen scrolls.
        {"small", screen(1440, 250), 4, 0, TwoColumnMode::automatic, true, true, 740, 150},
        // Odd geometry never gives a zero, negative or undefined size.
        {"empty", screen(0, 0), 4, 1, TwoColumnMode::automatic, false, true, 200, 100},
        {"negative", screen(-500, -20), 4, 0, TwoColumnMode::alwaysTwo, false, true, 200, 100},
        {"nan", QRectF(0, 0, nan, nan), 4, 0, TwoColumnMode::automatic, false, true, 200, 100},
        {"huge", screen(1e300, 1e300), 4, 0, TwoColumnMode::automatic, false, false, 380, 1e300 - 100},
        {"no providers", screen(1440, 875), 0, 0, TwoColumnMode::alwaysTwo, false, false, 380, 775},
        {"negative count", screen(1440, 875), -3, -1, TwoColumnMode::automatic, false, false, 380, 775},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PopoverSize size = PopoverSize::compute(c.frame, c.providers, c.firing, c.mode);
        EXPECT_EQ(size.twoColumns, c.twoColumns);
        EXPECT_EQ(size.scrolls, c.scrolls);
        EXPECT_DOUBLE_EQ(size.width, c.width);
        EXPECT_DOUBLE_EQ(size.maxHeight, c.maxHeight);
        EXPECT_GT(size.width, 0);
        EXPECT_GT(size.maxHeight, 0);
        EXPECT_TRUE(std::isfinite(size.width));
    }
}

TEST(PopoverSize, ScrollAreaIsAtLeast160High)
{
    PopoverSize small;
    small.maxHeight = 150;
    EXPECT_DOUBLE_EQ(small.scrollMaxHeight(), 160);
    PopoverSize tall;
    tall.maxHeight = 775;
    EXPECT_DOUBLE_EQ(tall.scrollMaxHeight(), 715);
}

TEST(PopoverSize, FirstColumnTakesTheLargerHalf)
{
    EXPECT_EQ(PopoverSize::firstColumnCount(0), 0);
    EXPECT_EQ(PopoverSize::firstColumnCount(1), 1);
    EXPECT_EQ(PopoverSize::firstColumnCount(4), 2);
    EXPECT_EQ(PopoverSize::firstColumnCount(5), 3);
}
