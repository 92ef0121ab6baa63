#include "TestSupport.h"
#include "charts/ChartFrameClock.h"
#include "charts/ChartTimeline.h"
#include "charts/PopupBars.h"
#include "charts/PopupThroughput.h"

#include "ChartTestSupport.h"

#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;

namespace {
// A flowing chart 340 points wide over 60 s: at 1× it slides 340 / 60 = 5.67
// device pixels a second, a pixel every 176.5 ms.
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

TEST(ChartTimeline, RepaintsOnlyOnceThePictureMovedADevicePixel)
{
    // Start on a frame time of the 177 ms interval: frames fall at start + k × 177.
    const qint64 start = 1'800'000'000'000LL - 1'800'000'000'000LL % 177;
    test::ManualWallClock clock(QDateTime::fromMSecsSinceEpoch(start, Qt::UTC));
    auto bars = flowingChart(clock.now());
    bars->show();
    ChartTimeline* timeline = bars->timeline();
    ASSERT_TRUE(timeline->isRunning());
    EXPECT_NEAR(timeline->pixelsPerSecond(), 340.0 / 60.0, 1e-9);
    EXPECT_EQ(timeline->stepMs(), 177);
    EXPECT_EQ(ChartFrameClock::instance()->frameIntervalMs(), 177);

    (void)timeline->frameDate(); // painted now
    const qint64 painted = start;
    EXPECT_FALSE(timeline->isDue(painted + 80));  // 0.45 px: less than half a pixel
    EXPECT_FALSE(timeline->isDue(painted + 176)); // 0.997 px
    EXPECT_TRUE(timeline->isDue(painted + 177));  // 1.003 px

    // The clock's frame 80 ms on finds it under half a pixel: no repaint.
    clock.advanceSecs(0.080);
    ChartFrameClock::instance()->tick();
    EXPECT_EQ(timeline->frameCount(), 0);
    // The next frame time repaints it, once.
    clock.advanceSecs(0.102); // the frame time 177 ms on, reached 5 ms late
    ChartFrameClock::instance()->tick();
    EXPECT_EQ(timeline->frameCount(), 1);
    ChartFrameClock::instance()->tick();
    EXPECT_EQ(timeline->frameCount(), 1);
    EXPECT_TRUE(ChartFrameClock::instance()->isActive());
    bars->hide();
    EXPECT_FALSE(timeline->isRunning());
    EXPECT_FALSE(ChartFrameClock::instance()->isActive());
}

TEST(ChartTimeline, RepaintsEveryFrameWhenAPixelTakesWholeMilliseconds)
{
    // 600 points over 60 s: 10 pixels a second, a pixel every 100 ms exactly.
    // Each frame of the 100 ms clock finds the picture moved by one pixel.
    const qint64 start = 1'800'000'000'000LL;
    test::ManualWallClock clock(QDateTime::fromMSecsSinceEpoch(start, Qt::UTC));
    auto bars = flowingChart(clock.now());
    bars->resize(600, 60);
    bars->show();
    ChartTimeline* timeline = bars->timeline();
    ASSERT_EQ(ChartFrameClock::instance()->frameIntervalMs(), 100);
    (void)timeline->frameDate(); // painted now
    for (int frame = 1; frame <= 10; ++frame) {
        clock.advanceSecs(0.1);
        ChartFrameClock::instance()->tick();
        EXPECT_EQ(timeline->frameCount(), frame);
    }
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
    // 3400 pixels over one second: a pixel every 0.3 ms.
    auto bars = flowingChart(clock.now());
    PopupBars::Input in = bars->input();
    in.window = 1;
    bars->resize(3400, 60);
    bars->setInput(in);
    bars->show();
    EXPECT_EQ(bars->timeline()->stepMs(), 1);
    EXPECT_EQ(ChartFrameClock::instance()->frameIntervalMs(), ChartFrameClock::minimumIntervalMs);
    EXPECT_GE(ChartFrameClock::minimumIntervalMs * 30, 1000);
}

TEST(ChartStrip, FramesBetweenInputsAreTheDrawnPictureSlidLeft)
{
    // A flowing chart drawn once, then painted 0.5 s (2.8 px) and 1.2 s
    // (6.8 px) later: each frame is the first picture moved left by whole
    // pixels (3, then 7), and shows what a drawing for that date shows.
    test::ManualWallClock clock;
    QList<QList<double>> buckets;
    for (int i = 0; i < 20; ++i)
        buckets.append(QList<double>{0.3 + 0.2 * std::sin(i / 2.0)});
    auto bars = flowingChart(clock.now(), buckets);
    const auto frame = [&] {
        QImage image(340, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        bars->render(&image, {}, {}, QWidget::DrawChildren);
        return image;
    };
    // The top of the area in a column: the first row at least half covered.
    const auto top = [](const QImage& image, int x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixelColor(x, y).alpha() >= 128)
                return y;
        }
        return image.height();
    };
    const QImage first = frame();
    EXPECT_EQ(bars->strip().renderCount(), 1);
    const struct {
        double seconds;
        int shift;
    } steps[] = {{0.5, 3}, {0.7, 7}};
    for (const auto& step : steps) {
        clock.advanceSecs(step.seconds);
        const QImage slid = frame();
        EXPECT_EQ(bars->strip().renderCount(), 1) << step.shift; // a copy, not a drawing
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x + step.shift < 340; ++x)
                ASSERT_EQ(slid.pixel(x, y), first.pixel(x + step.shift, y)) << x << "," << y;
        }
        // The columns slid in at the right edge carry the newest value on.
        for (int x = 340 - step.shift; x < 340; ++x)
            EXPECT_NEAR(top(slid, x), top(first, 339), 1) << x;
        // Away from the newest sample (whose run to the edge is drawn once
        // for the strip), the area's top is within a pixel of the exact one.
        const QImage drawn = test::render(PopupBars::shapes(bars->input(), QSizeF(340, 60), clock.now()), {340, 60});
        for (int x = 0; x < 300; ++x)
            EXPECT_NEAR(top(slid, x), top(drawn, x), 1) << x;
    }
    // A resized chart draws again, at its new size.
    bars->resize(300, 60);
    const QImage narrow = frame();
    EXPECT_EQ(bars->strip().renderCount(), 2);
    EXPECT_NEAR(top(narrow, 299), top(first, 339), 1);
    EXPECT_EQ(narrow.pixelColor(300, top(first, 339)).alpha(), 0);
    // New input draws again; so does running past the strip's lead.
    bars->setInput(bars->input());
    (void)frame();
    EXPECT_EQ(bars->strip().renderCount(), 3);
    clock.advanceSecs(ChartStrip::leadSeconds + 0.5);
    (void)frame();
    EXPECT_EQ(bars->strip().renderCount(), 4);
    // A hidden chart keeps no picture.
    bars->show();
    bars->hide();
    (void)frame();
    EXPECT_EQ(bars->strip().renderCount(), 5);
}
