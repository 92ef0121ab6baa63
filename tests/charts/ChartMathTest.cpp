#include "charts/SmoothPath.h"
#include "stats/ChartMath.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

TEST(ChartMath, SaturatingRound)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double in;
        qint64 out;
    } cases[] = {
        {42.5, 43},
        {-42.5, -43},
        {0.49, 0},
        {std::nan(""), 0},
        {inf, std::numeric_limits<qint64>::max()},
        {-inf, std::numeric_limits<qint64>::min()},
        {1e300, std::numeric_limits<qint64>::max()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChartMath::saturatingRound(c.in), c.out) << c.in;
    EXPECT_EQ(ChartMath::finite(inf), 0.0);
    EXPECT_EQ(ChartMath::finite(std::nan("")), 0.0);
    EXPECT_EQ(ChartMath::finite(-2.5), -2.5);
}

TEST(ChartMath, PlacesSamplesInTimeOrByIndex)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
    const QList<QDateTime> times{now.addSecs(-60), now.addSecs(-30), now};
    bool timed = false;
    QList<qreal> xs = ChartMath::placeX(3, 120, times, 60, now, &timed);
    EXPECT_TRUE(timed);
    EXPECT_EQ(xs, (QList<qreal>{0, 60, 120})); // a sample exactly one window old sits at 0

    // No date, window 0, a count mismatch or an invalid time: by index.
    const struct {
        QList<QDateTime> times;
        double window;
        std::optional<QDateTime> date;
    } indexCases[] = {
        {times, 60, std::nullopt},
        {times, 0, now},
        {times, std::nan(""), now},
        {{now, now}, 60, now},
        {{now, QDateTime(), now}, 60, now},
    };
    for (const auto& c : indexCases) {
        xs = ChartMath::placeX(3, 120, c.times, c.window, c.date, &timed);
        EXPECT_FALSE(timed);
        EXPECT_EQ(xs, (QList<qreal>{0, 60, 120}));
    }
    EXPECT_EQ(ChartMath::placeX(1, 120, {}, 60, now), (QList<qreal>{0}));
}

TEST(SmoothPath, CurvesThroughMidpoints)
{
    QPainterPath none(QPointF(0, 0));
    smoothPath(none, {});
    EXPECT_EQ(none.elementCount(), 1);

    QPainterPath one(QPointF(0, 0));
    smoothPath(one, {QPointF(5, 5)});
    ASSERT_EQ(one.elementCount(), 2);
    EXPECT_EQ(one.elementAt(1).type, QPainterPath::LineToElement);

    QPainterPath three(QPointF(0, 0));
    smoothPath(three, {QPointF(0, 0), QPointF(10, 10), QPointF(20, 0)});
    // Two quadratic curves (stored as cubics: three elements each) and a line.
    ASSERT_EQ(three.elementCount(), 1 + 3 + 3 + 1);
    EXPECT_EQ(three.elementAt(3), QPointF(5, 5));   // midpoint of the first pair
    EXPECT_EQ(three.elementAt(6), QPointF(15, 5));  // midpoint of the second pair
    EXPECT_EQ(three.elementAt(7), QPointF(20, 0));  // then straight to the last point
    EXPECT_EQ(three.elementAt(7).type, QPainterPath::LineToElement);
}
