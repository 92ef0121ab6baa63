#include "charts/PopupRing.h"
#include "charts/PopupRingGrid.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {
const QColor tint(255, 0, 0);

QImage ring(double value)
{
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A 36-point ring with the room its stroke needs around it.
    PopupRing::paint(p, QRectF(2, 2, 36, 36), value, tint, 4);
    p.end();
    return image;
}

// Track pixels are pale (alpha about 0.18), progress pixels opaque.
bool opaque(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y).alpha() > 200;
}
bool pale(const QImage& image, int x, int y)
{
    const int a = image.pixelColor(x, y).alpha();
    return a > 20 && a < 80;
}
} // namespace

TEST(PopupRing, FractionTable)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double in, out;
    } cases[] = {{0.25, 0.25}, {-0.3, 0}, {std::nan(""), 0}, {1.7, 1}, {inf, 1}, {-inf, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(PopupRing::fraction(c.in), c.out) << c.in;
}

TEST(PopupRing, QuarterRunsFromTwelveToThree)
{
    const QImage quarter = ring(0.25);
    EXPECT_TRUE(opaque(quarter, 32, 7));  // between 12 and 3 o'clock
    EXPECT_TRUE(pale(quarter, 32, 32));   // between 3 and 6: the track only
    EXPECT_TRUE(pale(quarter, 2, 20));    // 9 o'clock
    for (double v : {-0.3, std::nan("")}) {
        const QImage empty = ring(v);
        EXPECT_TRUE(pale(empty, 20, 2)) << v;
        EXPECT_TRUE(pale(empty, 32, 7)) << v;
    }
    const QImage full = ring(1.7);
    EXPECT_TRUE(opaque(full, 2, 20));
    EXPECT_TRUE(opaque(full, 32, 32));
    // A tiny value still shows a round dot at the top.
    EXPECT_TRUE(opaque(ring(0.001), 20, 2));
}

TEST(PopupRingGrid, RowWidthAndWrapping)
{
    // 8 cells of 18 with spacing 4: 172 points in one row.
    EXPECT_EQ(PopupRingGrid::rowWidth(8, 18, 4), 172);
    EXPECT_EQ(PopupRingGrid::rowWidth(0, 18, 4), 0);
    PopupRingGrid small(18, 4, 2);
    small.setCores(QList<PopupRingCell>(8, PopupRingCell{0.5, tint}));
    // Plus one pixel on every side for the strokes' outer halves.
    EXPECT_EQ(small.sizeHint(), QSize(174, 20));
    EXPECT_EQ(small.heightForWidth(174), 20); // exactly fits: one row
    PopupRingGrid empty(18, 4, 2);
    EXPECT_EQ(empty.sizeHint(), QSize(0, 0));
    EXPECT_EQ(empty.heightForWidth(352), 0);

    // 32 cells in a 352-point column (diameter 20, spacing 3): 15 per row.
    const auto rects = PopupRingGrid::cellRects(32, 352, 20, 3);
    ASSERT_EQ(rects.size(), 32);
    EXPECT_EQ(PopupRingGrid::columnsForWidth(352, 20, 3), 15);
    for (const QRectF& r : rects)
        EXPECT_LE(r.right(), 352);
    EXPECT_EQ(rects[14].topLeft(), QPointF(14 * 23, 0));
    EXPECT_EQ(rects[15].topLeft(), QPointF(0, 23));
    EXPECT_EQ(rects[31].topLeft(), QPointF(23, 46));
    PopupRingGrid grid(20, 3, 2.5);
    grid.setCores(QList<PopupRingCell>(32, PopupRingCell{0.5, tint}));
    EXPECT_EQ(grid.heightForWidth(352 + 4), 3 * 20 + 2 * 3 + 4);
    // A column narrower than one ring still shows one per row.
    EXPECT_EQ(PopupRingGrid::columnsForWidth(5, 20, 3), 1);
}

TEST(PopupRingGrid, CellsCompareByValueAndTint)
{
    const PopupRingCell a{0.5, tint}, b{0.5, tint}, c{0.5, QColor(0, 0, 255)};
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_NE(a, c);
    EXPECT_EQ(qHash(PopupRingCell{0.0, tint}), qHash(PopupRingCell{-0.0, tint}));
}

TEST(PopupRingGrid, PaintsEachRingInItsCell)
{
    PopupRingGrid grid(20, 3, 2.5);
    grid.setCores({{1.0, tint}, {std::nan(""), tint}, {1.0, QColor(0, 0, 255)}});
    grid.resize(50, 47); // two per row, and 2 pixels of room around them
    QImage image(50, 47, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    grid.render(&image, {}, {}, QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(1, 12), tint);                // first ring's left edge, outside its frame
    EXPECT_LT(image.pixelColor(25, 12).alpha(), 80);         // second ring: track only
    EXPECT_EQ(image.pixelColor(1, 35), QColor(0, 0, 255));   // third ring wrapped below
}

TEST(PopupRing, TheStrokeStraddlesTheInscribedCircle)
{
    // A 20-point frame and a 2.5-point line: the circle is the frame's own
    // (radius 10), and the stroke reaches 1.25 points past the frame.
    const QRectF frame(5, 5, 20, 20);
    const auto shapes = PopupRing::shapes(frame, 0.25, tint, 2.5);
    ASSERT_EQ(shapes.size(), 2);
    const ChartShape& track = shapes[0];
    const ChartShape& progress = shapes[1];
    EXPECT_EQ(track.kind, ChartShape::Kind::stroke);
    EXPECT_EQ(track.path.boundingRect(), frame);
    EXPECT_EQ(track.lineWidth, 2.5);
    EXPECT_EQ(track.cap, Qt::FlatCap);
    EXPECT_NEAR(track.colour.alphaF(), 0.18, 0.01);
    QPainterPathStroker stroker;
    stroker.setWidth(track.lineWidth);
    const QRectF inked = stroker.createStroke(track.path).boundingRect();
    EXPECT_NEAR(inked.left(), 5 - 1.25, 0.01);
    EXPECT_NEAR(inked.width(), 22.5, 0.01);
    // The quarter runs from 12 o'clock (15, 5) to 3 o'clock (25, 15).
    EXPECT_EQ(progress.cap, Qt::RoundCap);
    EXPECT_EQ(progress.colour, tint);
    const QPointF start = progress.path.pointAtPercent(0), end = progress.path.pointAtPercent(1);
    EXPECT_NEAR(start.x(), 15, 1e-6);
    EXPECT_NEAR(start.y(), 5, 1e-6);
    EXPECT_NEAR(end.x(), 25, 1e-6);
    EXPECT_NEAR(end.y(), 15, 1e-6);
    // Nothing to show: the track alone; full: the whole circle over it.
    EXPECT_EQ(PopupRing::shapes(frame, std::nan(""), tint, 2.5).size(), 1);
    EXPECT_EQ(PopupRing::shapes(frame, 1.7, tint, 2.5)[1].path.boundingRect(), frame);
    // The widget keeps room for the outer half: 20 + 2 × 2 pixels.
    EXPECT_EQ(PopupRing(0.5, tint, 20, 2.5).sizeHint(), QSize(24, 24));
}
