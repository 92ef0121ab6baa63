#include "stats/MovingAverage.h"

#include <QString>

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

struct Reading {
    double a = 0;
    double b = 0;
    QString name;
};

} // namespace

TEST(MovingAverage, KeepsTheNewestReadingsAndAveragesThem)
{
    MovingAverage<double, 3> ring;
    EXPECT_TRUE(ring.isEmpty());
    EXPECT_EQ(ring.mean(), 0);
    for (double v : {1.0, 2.0, 3.0, 10.0}) // 1 falls out
        ring.append(v);
    EXPECT_EQ(ring.size(), 3);
    EXPECT_DOUBLE_EQ(ring.mean(), 5.0);
    EXPECT_EQ(ring.newest(), 10.0);
}

TEST(MovingAverage, RecordsAverageTheNamedFieldsAndKeepTheNewestOthers)
{
    MovingAverage<Reading, 2> ring;
    ring.append({1, 100, "old"});
    ring.append({3, 200, "mid"});
    ring.append({5, 400, "new"});
    const Reading mean = ring.newestWithMeans(&Reading::a);
    EXPECT_DOUBLE_EQ(mean.a, 4.0);
    EXPECT_EQ(mean.b, 400); // not averaged: the newest
    EXPECT_EQ(mean.name, "new");
    EXPECT_DOUBLE_EQ(ring.mean(&Reading::b), 300.0);
}
