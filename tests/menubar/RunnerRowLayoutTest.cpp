#include "menubar/RunnerRowLayout.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

AnimatedTagSpec spec(TagOrientation orientation, TagPosition position, double yOffset = 0)
{
    AnimatedTagSpec s;
    s.text = "CPU";
    s.orientation = orientation;
    s.position = position;
    s.yOffset = yOffset;
    return s;
}

} // namespace

TEST(RunnerRowLayout, LabelsSitBesideOrBehindTheCore)
{
    struct Case {
        TagOrientation orientation;
        TagPosition position;
        double yOffset;
        double x;
    };
    // A core of 20 points and a label 8 wide.
    const Case cases[] = {
        {TagOrientation::horizontal, TagPosition::leading, 5, 0},
        {TagOrientation::horizontal, TagPosition::trailing, 5, 12},
        {TagOrientation::horizontal, TagPosition::behind, 5, 6},
        {TagOrientation::vertical, TagPosition::leading, 0, -11},
        {TagOrientation::vertical, TagPosition::leading, 2, -9},
        {TagOrientation::vertical, TagPosition::trailing, 1, 24},
        {TagOrientation::vertical, TagPosition::behind, 1, 7},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(RunnerRowLayout::labelX(20, 8, spec(c.orientation, c.position, c.yOffset)), c.x)
            << int(c.orientation) << " " << int(c.position);
}

TEST(RunnerRowLayout, SlotsWidenForHorizontalLabelsAndReachOutForVerticalOnes)
{
    const auto wide = RunnerRowLayout::Label{30, spec(TagOrientation::horizontal, TagPosition::leading)};
    auto slot = RunnerRowLayout::slotWidth(18, wide, std::nullopt);
    EXPECT_EQ(slot.core, 30);
    EXPECT_EQ(slot.width, 30);
    EXPECT_EQ(slot.overhang, 0);

    const auto side = RunnerRowLayout::Label{6, spec(TagOrientation::vertical, TagPosition::leading)};
    slot = RunnerRowLayout::slotWidth(18, side, RunnerRowLayout::Label{6, spec(TagOrientation::vertical, TagPosition::trailing)});
    EXPECT_EQ(slot.core, 18);
    EXPECT_EQ(slot.overhang, 9);
    EXPECT_EQ(slot.width, 9 + 18 + 9);

    EXPECT_EQ(RunnerRowLayout::slotWidth(-4, std::nullopt, std::nullopt).width, 0);
}

TEST(RunnerRowLayout, FitKeepsRoomForTheChipAndAlwaysShowsOne)
{
    const QStringList ids{"a", "b", "c"};
    auto ten = [](const QString&) { return 10.0; };
    // Each slot but the last must leave room for the chip: two slots and the
    // chip are 10 + 6 + 10 + 26 = 52, all three 42.
    EXPECT_EQ(RunnerRowLayout::fit(52, ids, ten).overflow, 0);
    // One slot and the chip: 36 <= 51.
    auto fitted = RunnerRowLayout::fit(51, ids, ten);
    EXPECT_EQ(fitted.fitting, QStringList{"a"});
    EXPECT_EQ(fitted.overflow, 2);
    EXPECT_EQ(RunnerRowLayout::fit(1, ids, ten).fitting, QStringList{"a"});
    EXPECT_EQ(RunnerRowLayout::fit(0, {"solo"}, ten).fitting, QStringList{"solo"});
}
