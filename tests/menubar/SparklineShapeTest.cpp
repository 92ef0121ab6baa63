#include "menubar/SparklineShape.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

const QRectF rect(0, 0, 46, 16);

QList<QPointF> vertices(const QPainterPath& path)
{
    QList<QPointF> out;
    for (int i = 0; i < path.elementCount(); ++i)
        out << QPointF(path.elementAt(i));
    return out;
}

} // namespace

TEST(SparklineShape, FewerThanTwoPointsDrawAFlatLineThroughTheMiddle)
{
    EXPECT_EQ(vertices(SparklineShape { {} }.path(rect)), (QList<QPointF> { { 0, 8 }, { 46, 8 } }));
    EXPECT_EQ(vertices(SparklineShape { { 0.7 } }.path(rect)), (QList<QPointF> { { 0, 8 }, { 46, 8 } }));
}

TEST(SparklineShape, ScalesBetweenItsOwnMinimumAndMaximum)
{
    const auto v = vertices(SparklineShape { { 10, 30, 20 } }.path(rect));
    EXPECT_EQ(v, (QList<QPointF> { { 0, 16 }, { 23, 0 }, { 46, 8 } }));
}

TEST(SparklineShape, IdenticalValuesLieAlongTheBottomEdge)
{
    for (const QPointF& p : vertices(SparklineShape { { 0.5, 0.5, 0.5 } }.path(rect)))
        EXPECT_EQ(p.y(), 16);
}

TEST(SparklineShape, NonFinitePointsBreakTheLineInsteadOfPoisoningIt)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const QPainterPath path = SparklineShape { { 0, nan, 1, 2 } }.path(rect);
    const auto v = vertices(path);
    // The lone first point has no neighbour to join; the line restarts at 1.
    ASSERT_EQ(v.size(), 2);
    EXPECT_TRUE(path.elementAt(0).isMoveTo());
    EXPECT_NEAR(v[0].x(), 46.0 * 2 / 3, 1e-9);
    EXPECT_EQ(v[0].y(), 8);
    EXPECT_EQ(v[1], QPointF(46, 0));
    EXPECT_EQ(vertices(SparklineShape { { nan, nan } }.path(rect)), (QList<QPointF> { { 0, 8 }, { 46, 8 } }));
}
