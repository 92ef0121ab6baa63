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

TEST(RunnerRowLayout, ASpriteKeepsItsFloorBesideEdgeLabelsAndTheTagGivesWay)
{
    using Edge = std::optional<RunnerRowLayout::EdgeLabel>;
    using Band = std::optional<std::pair<double, double>>;
    const Edge none;
    struct Case {
        double h;
        Edge tag, value;
        Band band;
        bool tagShown;
    };
    // A value alone; a tag and a value in 22 points, in 32 (a strip), in 44.
    const Case cases[] = {
        {22, none, Edge({false, 11.5}), Band({0, 11.5}), true},
        {22, Edge({true, 9}), Edge({false, 11.5}), Band({0, 11.5}), false},
        {32, Edge({true, 9}), Edge({false, 21.5}), Band({0, 21.5}), false},
        {44, Edge({true, 9}), Edge({false, 33.5}), Band({9, 33.5}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.h);
        const auto result = RunnerRowLayout::spriteBand(c.h, c.tag, c.value);
        EXPECT_EQ(result.band, c.band);
        EXPECT_EQ(result.tagShown, c.tagShown);
    }
}
