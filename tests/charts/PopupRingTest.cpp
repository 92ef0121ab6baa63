#include "charts/PopupRing.h"
#include "charts/PopupRingGrid.h"

#include <QPainter>
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
    PopupRing::paint(p, QRectF(0, 0, 40, 40), value, tint, 4);
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
    EXPECT_EQ(small.sizeHint(), QSize(172, 18));
    EXPECT_EQ(small.heightForWidth(172), 18); // exactly fits: one row
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
    EXPECT_EQ(grid.heightForWidth(352), 3 * 20 + 2 * 3);
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
    grid.resize(46, 43); // two per row
    QImage image(46, 43, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    grid.render(&image, {}, {}, QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(1, 10), tint);                // first ring's left edge
    EXPECT_LT(image.pixelColor(24, 10).alpha(), 80);         // second ring: track only
    EXPECT_EQ(image.pixelColor(1, 33), QColor(0, 0, 255));   // third ring wrapped below
}
