#include "TestSupport.h"
#include "charts/ChartFrameClock.h"
#include "charts/ChartTimeline.h"
#include "charts/PopupBars.h"
#include "charts/PopupThroughput.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;

namespace {
// A flowing chart 340 points wide over 60 s: at 1× it slides 340 / 60 = 5.67
// device pixels a second, half a pixel every 88.2 ms.
std::unique_ptr<PopupBars> flowingChart(const QDateTime& now, QList<QList<double>> buckets = {{0.5}, {0.25}})
{
    auto bars = std::make_unique<PopupBars>();
    PopupBars::Input in;
    in.buckets = buckets;
    for (qsizetype i = 0; i < buckets.size(); ++i)
        in.times.append(now.addSecs(i - buckets.size() + 1));
    in.tints = {QColor(255, 0, 0)};
    in.flowing = true;
    in.window = 60;
    bars->resize(340, 60);
    bars->setInput(in);
    return bars;
}
} // namespace

TEST(ChartTimeline, RepaintsOnlyOnceThePictureMovedHalfADevicePixel)
{
    // Start on a frame time of the 89 ms interval: frames fall at start + k × 89.
    const qint64 start = 1'800'000'000'000LL - 1'800'000'000'000LL % 89;
    test::ManualWallClock clock(QDateTime::fromMSecsSinceEpoch(start, Qt::UTC));
    auto bars = flowingChart(clock.now());
    bars->show();
    ChartTimeline* timeline = bars->timeline();
    ASSERT_TRUE(timeline->isRunning());
    EXPECT_NEAR(timeline->pixelsPerSecond(), 340.0 / 60.0, 1e-9);
    EXPECT_EQ(timeline->halfPixelMs(), 89);
    EXPECT_EQ(ChartFrameClock::instance()->frameIntervalMs(), 89);

    (void)timeline->frameDate(); // painted now
    const qint64 painted = start;
    EXPECT_FALSE(timeline->isDue(painted + 88)); // 0.499 px
    EXPECT_TRUE(timeline->isDue(painted + 89));  // 0.504 px

    // The clock's frame 80 ms on finds it under half a pixel: no repaint.
    clock.advanceSecs(0.080);
    ChartFrameClock::instance()->tick();
    EXPECT_EQ(timeline->frameCount(), 0);
    // The next frame time repaints it, once.
    clock.advanceSecs(0.014); // the frame time 89 ms on, reached 5 ms late
    ChartFrameClock::instance()->tick();
    EXPECT_EQ(timeline->frameCount(), 1);
    ChartFrameClock::instance()->tick();
    EXPECT_EQ(timeline->frameCount(), 1);
    EXPECT_TRUE(ChartFrameClock::instance()->isActive());
    bars->hide();
    EXPECT_FALSE(timeline->isRunning());
    EXPECT_FALSE(ChartFrameClock::instance()->isActive());
}

TEST(ChartTimeline, ChartsThatDoNotMoveScheduleNoTimer)
{
    test::ManualWallClock clock;
    // A flowing history that draws nothing (every value 0) stays still.
    auto still = flowingChart(clock.now(), {{0.0}, {0.0}, {0.0}});
    still->show();
    EXPECT_FALSE(still->timeline()->isRunning());
    EXPECT_FALSE(ChartFrameClock::instance()->isActive());
    // So does a throughput chart without a scale.
    PopupThroughput throughput;
    PopupThroughput::Input in;
    in.up = {1, 2};
    in.times = {clock.now().addSecs(-1), clock.now()};
    in.yMagnitude = 0;
    throughput.resize(340, 60);
    throughput.setInput(in);
    throughput.show();
    EXPECT_FALSE(throughput.timeline()->isRunning());
    EXPECT_FALSE(ChartFrameClock::instance()->isActive());
    // A value arriving sets it moving; the clock runs only while it does.
    in.yMagnitude = 2;
    throughput.setInput(in);
    EXPECT_TRUE(throughput.timeline()->isRunning());
    EXPECT_TRUE(ChartFrameClock::instance()->isActive());
    in.up = {0, 0};
    in.yMagnitude = 0;
    throughput.setInput(in);
    EXPECT_FALSE(ChartFrameClock::instance()->isActive());
}

TEST(ChartTimeline, FramesNeverComeFasterThanThirtyASecond)
{
    test::ManualWallClock clock;
    // 3400 pixels over one second: half a pixel every 0.15 ms.
    auto bars = flowingChart(clock.now());
    PopupBars::Input in = bars->input();
    in.window = 1;
    bars->resize(3400, 60);
    bars->setInput(in);
    bars->show();
    EXPECT_EQ(bars->timeline()->halfPixelMs(), 1);
    EXPECT_EQ(ChartFrameClock::instance()->frameIntervalMs(), ChartFrameClock::minimumIntervalMs);
    EXPECT_GE(ChartFrameClock::minimumIntervalMs * 30, 1000);
}
