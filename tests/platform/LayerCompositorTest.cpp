#include "platform/statusitem/LayerCompositor.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

QImage solid(QColor colour)
{
    QImage image(2, 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

KeyframeAnimation twoFrames(double duration = 1.0)
{
    KeyframeAnimation a;
    a.values = {solid(Qt::red), solid(Qt::blue)};
    a.duration = duration;
    return a;
}

} // namespace

TEST(LayerCompositor, ChangesOfOneTurnComposeOnce)
{
    auto root = Layer::create();
    LayerCompositor compositor(root);
    QSignalSpy due(&compositor, &LayerCompositor::compositionDue);
    QCoreApplication::processEvents();
    due.clear();

    auto a = Layer::create();
    root->addSublayer(a);
    a->setFrame(QRectF(0, 0, 5, 5));
    a->setZPosition(2);
    a->setContents(solid(Qt::red));
    EXPECT_TRUE(compositor.isCompositionPending());
    EXPECT_EQ(due.count(), 0); // not inside the turn that made the changes
    QCoreApplication::processEvents();
    EXPECT_EQ(due.count(), 1);
    EXPECT_FALSE(compositor.isCompositionPending());
}

TEST(LayerCompositor, EqualValuesAndIdleTreesDoNotRecompose)
{
    auto root = Layer::create();
    auto a = Layer::create();
    root->addSublayer(a);
    a->setFrame(QRectF(1, 1, 5, 5));
    const QImage image = solid(Qt::red);
    a->setContents(image);
    LayerCompositor compositor(root);
    QCoreApplication::processEvents();
    const int before = compositor.compositionCount();

    a->setFrame(QRectF(1, 1, 5, 5));
    a->setContents(image);
    a->setHidden(false);
    a->setSpeed(1.0f);
    test::spinFor(100);
    EXPECT_EQ(compositor.compositionCount(), before);
    EXPECT_FALSE(compositor.isAnimationTimerActive());
}

TEST(LayerCompositor, AnimationTimerRunsOnlyWhileAnAnimationIsVisibleAndNotPaused)
{
    test::ManualMediaClock clock(10.0);
    auto root = Layer::create();
    auto sprite = Layer::create();
    root->addSublayer(sprite);
    LayerCompositor compositor(root);
    compositor.flush();
    EXPECT_FALSE(compositor.isAnimationTimerActive());

    sprite->addAnimation(twoFrames(), QStringLiteral("k"));
    compositor.flush();
    EXPECT_TRUE(compositor.isAnimationTimerActive());

    sprite->setHidden(true);
    compositor.flush();
    EXPECT_FALSE(compositor.isAnimationTimerActive());

    sprite->setHidden(false);
    compositor.flush();
    EXPECT_TRUE(compositor.isAnimationTimerActive());

    compositor.setPaused(true);
    EXPECT_FALSE(compositor.isAnimationTimerActive());
    compositor.setPaused(false);
    EXPECT_TRUE(compositor.isAnimationTimerActive());

    // A hidden ancestor hides the animation too; a stopped clock never advances.
    root->setHidden(true);
    compositor.flush();
    EXPECT_FALSE(compositor.isAnimationTimerActive());
    root->setHidden(false);
    sprite->setSpeed(0.0f);
    compositor.flush();
    EXPECT_FALSE(compositor.isAnimationTimerActive());
    sprite->setSpeed(1.0f);
    sprite->removeFromSuperlayer();
    compositor.flush();
    EXPECT_FALSE(compositor.isAnimationTimerActive());
}

TEST(LayerCompositor, TimerStepsRecomposeOnlyWhenAFrameIndexChanges)
{
    test::ManualMediaClock clock(10.0);
    auto root = Layer::create();
    auto sprite = Layer::create();
    sprite->setFrame(QRectF(0, 0, 2, 2));
    root->addSublayer(sprite);
    LayerCompositor compositor(root);
    QObject::connect(&compositor, &LayerCompositor::compositionDue, &compositor,
            [&] { compositor.render(QSizeF(2, 2), 1.0); });
    sprite->addAnimation(twoFrames(2.0), QStringLiteral("k")); // 1 s per frame
    compositor.flush();
    const int afterInstall = compositor.compositionCount();
    EXPECT_EQ(sprite->lastPresentedFrameIndex(), 0);

    clock.advance(0.3);
    EXPECT_FALSE(compositor.animationStep());
    clock.advance(0.3);
    EXPECT_FALSE(compositor.animationStep());
    compositor.flush();
    EXPECT_EQ(compositor.compositionCount(), afterInstall);

    clock.advance(0.5); // 1.1 s: frame 1
    EXPECT_TRUE(compositor.animationStep());
    compositor.flush();
    EXPECT_EQ(compositor.compositionCount(), afterInstall + 1);
    EXPECT_EQ(sprite->lastPresentedFrameIndex(), 1);
    EXPECT_FALSE(compositor.animationStep());
}

TEST(LayerCompositor, TimerIntervalFollowsTheFramesPerSecondLimit)
{
    test::ManualMediaClock clock(10.0);
    auto root = Layer::create();
    auto sprite = Layer::create();
    root->addSublayer(sprite);
    LayerCompositor compositor(root);
    compositor.setFramesPerSecondLimit(0);
    EXPECT_EQ(compositor.framesPerSecondLimit(), 1);
    compositor.setFramesPerSecondLimit(20);
    sprite->addAnimation(twoFrames(0.01), QStringLiteral("k"));
    compositor.flush();
    ASSERT_TRUE(compositor.isAnimationTimerActive());
    // Even a sprite that changes frame every 5 ms is composed at most 20 times a second.
    EXPECT_EQ(compositor.animationTimerIntervalMs(), 50);
    compositor.setFramesPerSecondLimit(15);
    EXPECT_EQ(compositor.animationTimerIntervalMs(), 67);
}
