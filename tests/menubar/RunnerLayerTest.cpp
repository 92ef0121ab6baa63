#include "menubar/RunnerLayer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

QList<QImage> makeFrames(int n)
{
    QList<QImage> frames;
    for (int i = 0; i < n; ++i) {
        QImage f(4, 4, QImage::Format_ARGB32_Premultiplied);
        f.fill(QColor(i * 40, 0, 0));
        frames.append(f);
    }
    return frames;
}

void expectCleared(const RunnerLayer& layer)
{
    EXPECT_EQ(layer.animation(RunnerLayer::animationKey), nullptr);
    EXPECT_TRUE(layer.contents().isNull());
    EXPECT_EQ(layer.speed(), 1.0f);
    EXPECT_EQ(layer.beginTime(), 0.0);
    EXPECT_EQ(layer.timeOffset(), 0.0);
    EXPECT_FALSE(layer.lastFramesIdentity().has_value());
    EXPECT_EQ(layer.lastSpeed(), 1.0f);
}

} // namespace

TEST(RunnerLayer, StartsAspectFitWithNearestNeighbourFiltering)
{
    auto layer = RunnerLayer::create();
    EXPECT_EQ(layer->contentsGravity(), ContentsGravity::resizeAspect);
    EXPECT_EQ(layer->magnificationFilter(), ContentsFilter::nearest);
    EXPECT_EQ(layer->minificationFilter(), ContentsFilter::nearest);
    EXPECT_FALSE(layer->masksToBounds());
}

TEST(RunnerLayer, EmptyFramesOrUnusableDurationsClearTheLayer)
{
    test::ManualMediaClock clock(100);
    auto layer = RunnerLayer::create();
    const auto frames = makeFrames(4);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                       1e-300 /* its speed is no finite float */}) {
        layer->apply(frames, 0.5);
        ASSERT_NE(layer->animation(RunnerLayer::animationKey), nullptr);
        layer->apply(frames, bad);
        expectCleared(*layer);
    }
    layer->apply(frames, 0.5);
    layer->apply({}, 1.0);
    expectCleared(*layer);
}

TEST(RunnerLayer, InstallsOnePassPerCycleDuration)
{
    test::ManualMediaClock clock(100);
    auto layer = RunnerLayer::create();
    const auto frames = makeFrames(4);
    layer->apply(frames, 2.0); // speed 0.5: each frame 0.5 s
    const auto* animation = layer->animation(RunnerLayer::animationKey);
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->duration, 1.0);
    EXPECT_TRUE(std::isinf(animation->repeatCount));
    EXPECT_FALSE(animation->removedOnCompletion);
    EXPECT_EQ(animation->values.size(), 4);
    EXPECT_EQ(layer->contents().cacheKey(), frames.first().cacheKey());
    EXPECT_EQ(layer->speed(), 0.5f);
    EXPECT_EQ(layer->presentationFrameIndex(clock.now()), 0);
    EXPECT_EQ(layer->presentationFrameIndex(clock.now() + 0.6), 1);
    EXPECT_EQ(layer->presentationFrameIndex(clock.now() + 1.9), 3);
    EXPECT_EQ(layer->presentationFrameIndex(clock.now() + 2.1), 0);
}

TEST(RunnerLayer, SpeedChangesKeepThePhaseAndSmallOnesAreIgnored)
{
    test::ManualMediaClock clock(100);
    auto layer = RunnerLayer::create();
    const auto frames = makeFrames(4);
    layer->apply(frames, 1.0);
    EXPECT_EQ(layer->speed(), 1.0f);
    const double animationBegin = layer->animation(RunnerLayer::animationKey)->beginTime;

    clock.advance(0.3);
    const double local = layer->localTime();
    const int frame = layer->presentationFrameIndex(clock.now());
    layer->apply(frames, 2.0);
    EXPECT_EQ(layer->speed(), 0.5f);
    EXPECT_EQ(layer->lastSpeed(), 0.5f);
    EXPECT_DOUBLE_EQ(layer->localTime(), local); // no jump
    EXPECT_EQ(layer->presentationFrameIndex(clock.now()), frame);
    EXPECT_EQ(layer->animation(RunnerLayer::animationKey)->beginTime, animationBegin); // not restarted

    layer->apply(frames, 1.99); // |0.5025 - 0.5| < 0.02
    EXPECT_EQ(layer->speed(), 0.5f);
    EXPECT_EQ(layer->animation(RunnerLayer::animationKey)->beginTime, animationBegin);
}

TEST(RunnerLayer, NewFramesOrAClearedLayerInstallAgain)
{
    test::ManualMediaClock clock(100);
    auto layer = RunnerLayer::create();
    const auto frames = makeFrames(4);
    layer->apply(frames, 1.0);
    const auto firstIdentity = layer->lastFramesIdentity();
    layer->apply(makeFrames(4), 1.0);
    EXPECT_NE(layer->lastFramesIdentity(), firstIdentity);

    layer->apply({}, 1.0);
    layer->apply(frames, 1.0);
    ASSERT_NE(layer->animation(RunnerLayer::animationKey), nullptr);
    EXPECT_EQ(layer->lastFramesIdentity(), frames.first().cacheKey());

    // A removed animation is installed again even for the same frames.
    layer->removeAnimation(RunnerLayer::animationKey);
    layer->apply(frames, 1.0);
    EXPECT_NE(layer->animation(RunnerLayer::animationKey), nullptr);
}
