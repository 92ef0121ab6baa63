#include "platform/statusitem/Layer.h"
#include "platform/statusitem/LayerCompositor.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

QImage solid(QColor colour, int w = 4, int h = 4)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

KeyframeAnimation fourFrames()
{
    KeyframeAnimation a;
    a.values = {solid(Qt::red), solid(Qt::green), solid(Qt::blue), solid(Qt::yellow)};
    a.duration = 1.0;
    return a;
}

} // namespace

TEST(Layer, FrameIndexFollowsLocalTimeWithSpeedBeginAndOffset)
{
    test::ManualMediaClock clock(100.0);
    auto layer = Layer::create();
    layer->addAnimation(fourFrames(), QStringLiteral("k"));
    // Begins at local time 100: a quarter second per frame.
    EXPECT_EQ(layer->presentationFrameIndex(100.0), 0);
    EXPECT_EQ(layer->presentationFrameIndex(100.26), 1);
    EXPECT_EQ(layer->presentationFrameIndex(100.99), 3);
    EXPECT_EQ(layer->presentationFrameIndex(101.0), 0); // repeats forever
    EXPECT_EQ(layer->presentationFrameIndex(99.0), -1);  // not begun: the contents show

    // speed 0.5, beginTime 200, timeOffset 100.5: local(t) = (t - 200) * 0.5 + 100.5
    layer->setSpeed(0.5f);
    layer->setBeginTime(200.0);
    layer->setTimeOffset(100.5);
    EXPECT_DOUBLE_EQ(layer->convertTime(200.0), 100.5);
    EXPECT_EQ(layer->presentationFrameIndex(200.0), 2);
    EXPECT_EQ(layer->presentationFrameIndex(200.5), 3); // 100.75
    EXPECT_EQ(layer->presentationFrameIndex(201.0), 0); // 101.0
}

TEST(Layer, SpeedChangeWithBeginAndOffsetKeepsThePhase)
{
    test::ManualMediaClock clock(50.0);
    auto layer = Layer::create();
    layer->addAnimation(fourFrames(), QStringLiteral("k"));
    clock.advance(0.6); // local 50.6: frame 2
    ASSERT_EQ(layer->presentationFrameIndex(clock.now()), 2);
    const double local = layer->localTime();
    layer->setSpeed(0.25f);
    layer->setBeginTime(clock.now());
    layer->setTimeOffset(local);
    EXPECT_EQ(layer->presentationFrameIndex(clock.now()), 2);
    EXPECT_DOUBLE_EQ(layer->localTime(), local);
    clock.advance(0.5); // a quarter as fast: 0.125 s of animation time
    EXPECT_NEAR(layer->localTime(), local + 0.125, 1e-9);
    EXPECT_EQ(layer->presentationFrameIndex(clock.now()), 2);
    clock.advance(0.4); // +0.1 more: 0.825 into the cycle
    EXPECT_EQ(layer->presentationFrameIndex(clock.now()), 3);
}

TEST(Layer, SublayerTimeIsNestedInItsParent)
{
    test::ManualMediaClock clock(10.0);
    auto parent = Layer::create();
    auto child = Layer::create();
    parent->addSublayer(child);
    parent->setSpeed(2.0f);
    child->setSpeed(0.5f);
    EXPECT_DOUBLE_EQ(child->convertTime(10.0), 10.0);
    parent->setSpeed(0.0f);
    EXPECT_DOUBLE_EQ(child->convertTime(99.0), 0.0);
}

TEST(Layer, RendersByZPositionThenInsertionOrder)
{
    auto root = Layer::create();
    root->setFrame(QRectF(0, 0, 10, 10));
    auto back = Layer::create();
    back->setFrame(QRectF(0, 0, 10, 10));
    back->setContents(solid(Qt::red));
    auto front = Layer::create();
    front->setFrame(QRectF(0, 0, 10, 10));
    front->setContents(solid(Qt::blue));
    root->addSublayer(front);
    root->addSublayer(back);
    back->setZPosition(-1); // drawn beneath although added last
    LayerCompositor compositor(root);
    QImage out = compositor.render(QSizeF(10, 10), 1.0, 0);
    EXPECT_EQ(out.pixelColor(5, 5), QColor(Qt::blue));
    front->setHidden(true);
    out = compositor.render(QSizeF(10, 10), 1.0, 0);
    EXPECT_EQ(out.pixelColor(5, 5), QColor(Qt::red));
}

TEST(Layer, ResizeAspectGravityCentresTheContents)
{
    auto root = Layer::create();
    auto layer = Layer::create();
    layer->setFrame(QRectF(0, 0, 20, 10));
    layer->setContentsGravity(ContentsGravity::resizeAspect);
    layer->setMagnificationFilter(ContentsFilter::nearest);
    layer->setContents(solid(Qt::green, 2, 2));
    root->addSublayer(layer);
    LayerCompositor compositor(root);
    const QImage out = compositor.render(QSizeF(20, 10), 2.0, 0);
    ASSERT_EQ(out.size(), QSize(40, 20));
    EXPECT_EQ(out.pixelColor(2, 10).alpha(), 0);   // left margin
    EXPECT_EQ(out.pixelColor(20, 10), QColor(Qt::green));
    EXPECT_EQ(out.pixelColor(38, 10).alpha(), 0);  // right margin
}

TEST(Layer, AnimationFrameReplacesTheContentsWhileItRuns)
{
    test::ManualMediaClock clock(0.5);
    auto root = Layer::create();
    auto layer = Layer::create();
    layer->setFrame(QRectF(0, 0, 4, 4));
    layer->setContents(solid(Qt::black));
    root->addSublayer(layer);
    layer->addAnimation(fourFrames(), QStringLiteral("k"));
    LayerCompositor compositor(root);
    clock.advance(0.3);
    QImage out = compositor.render(QSizeF(4, 4), 1.0);
    EXPECT_EQ(out.pixelColor(1, 1), QColor(Qt::green));
    EXPECT_EQ(layer->lastPresentedFrameIndex(), 1);
    layer->removeAnimation(QStringLiteral("k"));
    out = compositor.render(QSizeF(4, 4), 1.0);
    EXPECT_EQ(out.pixelColor(1, 1), QColor(Qt::black));
}

TEST(Layer, RemovingFromTheTreeKeepsTheLayerAliveForItsHolder)
{
    auto root = Layer::create();
    auto child = Layer::create();
    root->addSublayer(child);
    std::weak_ptr<Layer> weak = child;
    child->removeFromSuperlayer();
    EXPECT_EQ(child->superlayer(), nullptr);
    EXPECT_TRUE(root->sublayers().empty());
    child.reset();
    EXPECT_TRUE(weak.expired());
}
