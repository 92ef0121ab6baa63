#include "ChartTestSupport.h"
#include "charts/PopupMirror.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {
const QColor up(255, 0, 0), down(0, 0, 255), line(128, 128, 128, 77);

PopupMirror::Input input(QList<double> u, QList<double> d, double magnitude = 10, qreal gap = 1)
{
    PopupMirror::Input in;
    in.up = std::move(u);
    in.down = std::move(d);
    in.upTint = up;
    in.downTint = down;
    in.yMagnitude = magnitude;
    in.barGap = gap;
    return in;
}
} // namespace

TEST(PopupMirror, SharesSlotsAboutTheCentreLine)
{
    const auto shapes = PopupMirror::shapes(input({10, 5, 2}, {1, 2, 3, 4, 10}), QSizeF(100, 60), line);
    ASSERT_EQ(shapes.size(), 3);
    const auto upper = test::rects(shapes[0].path);
    const auto lower = test::rects(shapes[1].path);
    ASSERT_EQ(upper.size(), 3);
    ASSERT_EQ(lower.size(), 5);
    EXPECT_EQ(upper[1], QRectF(20, 15, 19, 15)); // slot 20, bar 19, from the centre up
    EXPECT_EQ(lower[4], QRectF(80, 30, 19, 30));
    EXPECT_EQ(shapes[2].kind, ChartShape::Kind::stroke);
    EXPECT_EQ(shapes[2].lineWidth, 0.5);
    EXPECT_EQ(shapes[2].path.boundingRect(), QRectF(0, 30, 100, 0));
}

TEST(PopupMirror, GeometryTable)
{
    // Slots of 1.5 points with a gap of 1 give 1-point bars.
    auto shapes = PopupMirror::shapes(input({1, 1}, {}), QSizeF(3, 60), line);
    EXPECT_DOUBLE_EQ(test::rects(shapes[0].path)[0].width(), 1);
    // A height of 45 puts the centre line at 23.
    EXPECT_EQ(PopupMirror::centreY(45), 23);
    shapes = PopupMirror::shapes(input({1}, {1}), QSizeF(100, 45), line);
    EXPECT_EQ(shapes.last().path.boundingRect().top(), 23);
    // No positive value: only the centre line.
    shapes = PopupMirror::shapes(input({0, -1, std::nan("")}, {std::numeric_limits<double>::infinity()}),
                                 QSizeF(100, 60), line);
    ASSERT_EQ(shapes.size(), 1);
    EXPECT_EQ(shapes[0].colour, line);
    // Both empty, or no magnitude: blank.
    EXPECT_TRUE(PopupMirror::shapes(input({}, {}), QSizeF(100, 60), line).isEmpty());
    EXPECT_TRUE(PopupMirror::shapes(input({1}, {1}, 0), QSizeF(100, 60), line).isEmpty());
    EXPECT_TRUE(PopupMirror::shapes(input({1}, {1}, std::nan("")), QSizeF(100, 60), line).isEmpty());
}

TEST(PopupMirror, PaintsUpAboveAndDownBelow)
{
    PopupMirror mirror;
    mirror.setInput(input({10}, {10}));
    mirror.resize(20, 60);
    QImage image(20, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    mirror.render(&image, {}, {}, QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(5, 10), up);
    EXPECT_EQ(image.pixelColor(5, 50), down);
}
