#include "ChartTestSupport.h"
#include "charts/ChartTimeline.h"
#include "charts/PopupBars.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {
const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

PopupBars::Input input(QList<QList<double>> buckets, bool flowing, QList<QColor> tints = {red, green})
{
    PopupBars::Input in;
    in.buckets = std::move(buckets);
    in.tints = std::move(tints);
    in.flowing = flowing;
    return in;
}
} // namespace

TEST(PopupBars, DrawsNothingWithoutDataTintsOrScale)
{
    const double nan = std::nan("");
    for (bool flowing : {false, true}) {
        PopupBars::Input a = input({{0.5}}, flowing);
        a.yMax = 0;
        PopupBars::Input b = input({}, flowing);
        PopupBars::Input c = input({{0.5}}, flowing, {});
        PopupBars::Input d = input({{0.5}}, flowing);
        d.yMax = nan;
        PopupBars::Input e = input({{}, {}}, flowing);
        for (const auto& in : {a, b, c, d})
            EXPECT_TRUE(PopupBars::shapes(in, QSizeF(100, 60), now).isEmpty()) << flowing;
        EXPECT_TRUE(PopupBars::shapes(e, QSizeF(100, 60), now).isEmpty()) << flowing;
    }
}

TEST(PopupBars, BarWidthFollowsTheSlot)
{
    const struct {
        qreal width;
        int buckets;
        qreal barWidth;
    } cases[] = {
        {15, 10, 1},   // slot 1.5: 1-point bars, 0.5-point gaps
        {100, 10, 9},  // slot 10: 9-point bars, 1-point gaps
        {5, 10, 1},    // slot 0.5: still 1 point
    };
    for (const auto& c : cases) {
        QList<QList<double>> buckets(c.buckets, QList<double>{0.5});
        const auto shapes = PopupBars::shapes(input(buckets, false), QSizeF(c.width, 60), std::nullopt);
        ASSERT_EQ(shapes.size(), 1);
        const auto r = test::rects(shapes[0].path);
        ASSERT_EQ(r.size(), c.buckets);
        EXPECT_DOUBLE_EQ(r[1].width(), c.barWidth);
        EXPECT_DOUBLE_EQ(r[1].left(), c.width / c.buckets);
        EXPECT_DOUBLE_EQ(r[1].top(), 30);
        EXPECT_DOUBLE_EQ(r[1].bottom(), 60);
    }
}

TEST(PopupBars, StacksComponentsAndSkipsEmptyOnes)
{
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    // Bucket 0: user 0.25, system 0.5; bucket 1: user 0 (no rect), system NaN
    // (no rect); bucket 2: a third component goes to the last tint; bucket 3
    // runs past the top (not clamped in the bar mode).
    auto in = input({{0.25, 0.5}, {0, nan}, {0.1, 0.1, 0.1}, {inf, 1.5}}, false);
    const auto shapes = PopupBars::shapes(in, QSizeF(40, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(shapes[0].colour, red);
    EXPECT_EQ(shapes[1].colour, green);
    const auto first = test::rects(shapes[0].path);
    const auto second = test::rects(shapes[1].path);
    ASSERT_EQ(first.size(), 2);  // buckets 0 and 2
    ASSERT_EQ(second.size(), 4); // bucket 0, two of bucket 2, bucket 3
    EXPECT_DOUBLE_EQ(first[0].top(), 45);
    EXPECT_DOUBLE_EQ(second[0].top(), 15);
    EXPECT_DOUBLE_EQ(second[0].bottom(), 45);
    EXPECT_DOUBLE_EQ(second[3].top(), -30);
    EXPECT_TRUE(test::allFinite(shapes));
}

TEST(PopupBars, FlowingPlacesSamplesInTime)
{
    auto in = input({{0.5}, {0.5}}, true);
    in.times = {now.addSecs(-60), now.addSecs(-30)};
    in.window = 60;
    const auto shapes = PopupBars::shapes(in, QSizeF(120, 60), now);
    ASSERT_EQ(shapes.size(), 2); // one layer: area and edge
    const QPainterPath& edge = shapes[1].path;
    EXPECT_EQ(shapes[1].kind, ChartShape::Kind::stroke);
    EXPECT_EQ(shapes[1].lineWidth, 1.0);
    EXPECT_EQ(QPointF(edge.elementAt(0)), QPointF(0, 30)); // exactly one window old: x = 0
    // The line runs flat to the right edge after the newest sample at x = 60.
    EXPECT_EQ(QPointF(edge.elementAt(edge.elementCount() - 1)), QPointF(120, 30));

    // A sample taken at the frame's date sits at the right edge.
    in.times = {now.addSecs(-30), now};
    const auto atNow = PopupBars::shapes(in, QSizeF(120, 60), now);
    const QPainterPath& edge2 = atNow[1].path;
    EXPECT_EQ(QPointF(edge2.elementAt(0)), QPointF(60, 30));
    EXPECT_EQ(QPointF(edge2.elementAt(edge2.elementCount() - 1)), QPointF(120, 30));
}

TEST(PopupBars, FlowingLayersTintsAndThinLayers)
{
    // Three tints, one bucket with four components: four layers, the fourth
    // in the third tint.
    auto in = input({{0.1, 0.1, 0.1, 0.1}, {0.1, 0.1, 0.1, 0.1}}, true, {red, green, blue});
    auto shapes = PopupBars::shapes(in, QSizeF(100, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 8);
    EXPECT_EQ(shapes[6].colour, blue);

    // A layer never thicker than 0.01 points is neither filled nor stroked.
    in = input({{0.5, 0.0001}, {0.5, -1}}, true);
    shapes = PopupBars::shapes(in, QSizeF(100, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(shapes[0].colour, red);

    // A stack above yMax is cut at the top edge; NaN counts as 0.
    in = input({{0.8, 0.8}, {std::nan(""), 0.5}}, true);
    shapes = PopupBars::shapes(in, QSizeF(100, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 4);
    EXPECT_GE(shapes[2].path.boundingRect().top(), 0.0);
    EXPECT_TRUE(test::allFinite(shapes));
}

TEST(PopupBars, BarsPaintTheirTintsBottomUp)
{
    PopupBars bars;
    bars.resize(10, 60);
    bars.setInput(input({{0.5, 0.25}}, false));
    const QImage image = test::render(PopupBars::shapes(bars.input(), QSizeF(10, 60), std::nullopt), QSize(10, 60));
    EXPECT_EQ(image.pixelColor(4, 50), red);
    EXPECT_EQ(image.pixelColor(4, 20), green);
    EXPECT_EQ(image.pixelColor(4, 5).alpha(), 0);
    EXPECT_EQ(image.pixelColor(9, 50).alpha(), 0); // the 1-point gap
}

TEST(PopupBars, TimelineRunsOnlyWhileShownAndIsNeverRestarted)
{
    PopupBars bars;
    auto in = input({{0.5}}, true);
    in.times = {now};
    bars.setInput(in);
    EXPECT_TRUE(bars.timeline()->isWanted());
    EXPECT_FALSE(bars.timeline()->isRunning()); // not shown yet
    bars.show();
    EXPECT_TRUE(bars.timeline()->isRunning());
    for (int i = 0; i < 3; ++i)
        bars.setInput(in); // three publishes
    EXPECT_EQ(bars.timeline()->startCount(), 1);
    bars.hide();
    EXPECT_FALSE(bars.timeline()->isRunning());
    bars.show();
    EXPECT_TRUE(bars.timeline()->isRunning());
    in.flowing = false; // bars do not scroll
    bars.setInput(in);
    EXPECT_FALSE(bars.timeline()->isRunning());
    in.flowing = true;
    in.times.clear(); // no timeline without times
    bars.setInput(in);
    EXPECT_FALSE(bars.timeline()->isRunning());
}

TEST(PopupBars, TimelineStopsWhenTheWindowCloses)
{
    QWidget window;
    auto* bars = new PopupBars(&window);
    auto in = input({{0.5}}, true);
    in.times = {now};
    bars->setInput(in);
    window.show();
    EXPECT_TRUE(bars->timeline()->isRunning());
    window.hide();
    EXPECT_FALSE(bars->timeline()->isRunning());
    window.show();
    EXPECT_TRUE(bars->timeline()->isRunning());
}
