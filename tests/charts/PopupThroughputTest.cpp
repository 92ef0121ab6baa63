#include "ChartTestSupport.h"
#include "charts/PopupThroughput.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {
const QColor up(255, 0, 0), down(0, 0, 255);
const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

PopupThroughput::Input input(QList<double> u, QList<double> d, double magnitude = 10)
{
    PopupThroughput::Input in;
    in.up = std::move(u);
    in.down = std::move(d);
    in.upTint = up;
    in.downTint = down;
    in.yMagnitude = magnitude;
    return in;
}
} // namespace

TEST(PopupThroughput, DrawsNothingWithoutMagnitude)
{
    for (double m : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_TRUE(PopupThroughput::shapes(input({1, 2}, {1, 2}, m), QSizeF(100, 60), now).isEmpty()) << m;
    EXPECT_TRUE(PopupThroughput::shapes(input({}, {}), QSizeF(100, 60), now).isEmpty());
}

TEST(PopupThroughput, DownIsPaintedUnderUp)
{
    const auto shapes = PopupThroughput::shapes(input({5, 5}, {5, 5}), QSizeF(100, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 4);
    EXPECT_EQ(shapes[0].colour.rgb(), down.rgb());
    EXPECT_NEAR(shapes[0].colour.alphaF(), 0.15, 0.01);
    EXPECT_EQ(shapes[1].colour, down);
    EXPECT_EQ(shapes[1].lineWidth, 1.2);
    EXPECT_EQ(shapes[3].colour, up);
    // Where the two overlap the up colours lie on top.
    const QImage image = test::render(shapes, QSize(100, 60));
    const QColor line = image.pixelColor(50, 30);
    EXPECT_GT(line.red(), line.blue());
}

TEST(PopupThroughput, ClampsValuesAndSkipsNaN)
{
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const auto shapes = PopupThroughput::shapes(input({20, -3, nan, inf}, {}), QSizeF(90, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_TRUE(test::allFinite(shapes));
    const QRectF bounds = shapes[1].path.boundingRect();
    EXPECT_GE(bounds.top(), 0);
    EXPECT_LE(bounds.bottom(), 60);
    EXPECT_EQ(QPointF(shapes[1].path.elementAt(0)), QPointF(0, 0)); // 20 clamped to the magnitude
}

TEST(PopupThroughput, SingleValueIsAFlatLineOverAFullBand)
{
    const auto shapes = PopupThroughput::shapes(input({5}, {}), QSizeF(100, 60), std::nullopt);
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(shapes[0].path.boundingRect(), QRectF(0, 30, 100, 30));
    EXPECT_EQ(QPointF(shapes[1].path.elementAt(0)), QPointF(0, 30));
    EXPECT_EQ(QPointF(shapes[1].path.elementAt(1)), QPointF(100, 30));
}

TEST(PopupThroughput, TimePlacedSeriesRunToTheRightEdge)
{
    auto in = input({5, 10}, {});
    in.times = {now.addSecs(-60), now.addSecs(-30)};
    in.window = 60;
    const auto shapes = PopupThroughput::shapes(in, QSizeF(120, 60), now);
    ASSERT_EQ(shapes.size(), 2);
    const QPainterPath& line = shapes[1].path;
    EXPECT_EQ(QPointF(line.elementAt(0)), QPointF(0, 30));
    EXPECT_EQ(QPointF(line.elementAt(line.elementCount() - 1)), QPointF(120, 0));
    // The area closes along the baseline back to the first x.
    EXPECT_EQ(shapes[0].path.boundingRect().bottom(), 60);
    EXPECT_EQ(shapes[0].path.boundingRect().left(), 0);
}
