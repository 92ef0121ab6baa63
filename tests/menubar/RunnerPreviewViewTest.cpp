#include "menubar/views/RunnerPreviewView.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QPointer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

void turn()
{
    QCoreApplication::processEvents();
}

} // namespace

TEST(RunnerPreviewViewInstall, SchedulesOfOneTurnInstallOnceWithTheLastValues)
{
    RunnerPreviewView view;
    view.resize(100, 100);
    const QList<QImage> first{solid({8, 8}, Qt::red)};
    const QList<QImage> last{solid({8, 8}, Qt::blue), solid({8, 8}, Qt::green)};
    view.schedule(first, 2.0);
    view.schedule({solid({4, 4}, Qt::black)}, 3.0);
    view.schedule(last, 0.5);
    EXPECT_TRUE(view.installScheduled());
    EXPECT_EQ(view.installCount(), 0);
    EXPECT_FALSE(view.runner()->animation(RunnerLayer::animationKey));
    turn();
    EXPECT_EQ(view.installCount(), 1);
    EXPECT_FALSE(view.installScheduled());
    EXPECT_EQ(view.runner()->lastFramesIdentity(), last.first().cacheKey());
    EXPECT_EQ(view.runner()->speed(), 2.0f);
    turn();
    EXPECT_EQ(view.installCount(), 1);
}

TEST(RunnerPreviewViewInstall, AViewGoneBeforeItsPassDoesNothing)
{
    auto* view = new RunnerPreviewView;
    view->schedule({solid({8, 8}, Qt::red)}, 1.0);
    QPointer<RunnerPreviewView> watch(view);
    delete view;
    turn();
    EXPECT_TRUE(watch.isNull());
}

TEST(RunnerPreviewViewFitting, AWideFrameIsFittedAndCentred)
{
    RunnerPreviewView view;
    view.resize(100, 100);
    view.schedule({solid({32, 16}, Qt::red)}, 1.0);
    turn();
    EXPECT_EQ(view.runner()->frame(), QRectF(0, 25, 100, 50));
    EXPECT_EQ(RunnerPreviewView::fittedFrame({16, 32}, QRectF(0, 0, 100, 50)), QRectF(37.5, 0, 25, 50));
}

TEST(RunnerPreviewViewFitting, ALaterResizeFitsAgain)
{
    RunnerPreviewView view;
    view.resize(100, 100);
    view.schedule({solid({32, 16}, Qt::red)}, 1.0);
    turn();
    view.resize(200, 50);
    view.show(); // a hidden widget lays out when it is shown
    EXPECT_EQ(view.runner()->frame(), QRectF(50, 0, 100, 50));
    view.resize(100, 100);
    EXPECT_EQ(view.runner()->frame(), QRectF(0, 25, 100, 50));
}

TEST(RunnerPreviewViewFitting, NoFramesFillTheBoundsAndPlayNothing)
{
    RunnerPreviewView view;
    view.resize(60, 40);
    view.schedule({}, 1.0);
    turn();
    EXPECT_EQ(view.runner()->frame(), QRectF(0, 0, 60, 40));
    EXPECT_FALSE(view.runner()->animation(RunnerLayer::animationKey));
    EXPECT_TRUE(view.runner()->contents().isNull());
    EXPECT_EQ(RunnerPreviewView::fittedFrame({0, 0}, QRectF(0, 0, 60, 40)), QRectF(0, 0, 60, 40));
    EXPECT_EQ(RunnerPreviewView::fittedFrame({10, 10}, QRectF(0, 0, 0, 40)), QRectF(0, 0, 0, 40));
}

TEST(RunnerPreviewViewPlayback, TheCompositorPlaysTheFramesOverOneCycle)
{
    ManualMediaClock clock(500);
    RunnerPreviewView view;
    view.resize(40, 20);
    view.schedule({solid({4, 2}, Qt::red), solid({4, 2}, Qt::blue)}, 2.0);
    turn();
    view.show();
    turn();
    EXPECT_TRUE(view.compositor()->isAnimationTimerActive());
    auto colourAt = [&](double t) {
        QImage image = view.compositor()->render(QSizeF(40, 20), 1.0, t);
        return image.pixelColor(20, 10);
    };
    // Two frames over a 2 s cycle: one second each.
    EXPECT_EQ(colourAt(500.2), QColor(Qt::red));
    EXPECT_EQ(colourAt(501.2), QColor(Qt::blue));
    EXPECT_EQ(colourAt(502.2), QColor(Qt::red));
    view.hide();
    EXPECT_FALSE(view.compositor()->isAnimationTimerActive());
}

TEST(RunnerPreviewViewPlayback, ThePaintedWidgetShowsTheSprite)
{
    ManualMediaClock clock(10);
    RunnerPreviewView view;
    view.resize(48, 36);
    view.schedule({solid({4, 3}, QColor(250, 160, 40))}, 1.0);
    turn();
    view.show();
    const QImage grabbed = view.grab().toImage();
    ASSERT_FALSE(grabbed.isNull());
    EXPECT_EQ(grabbed.pixelColor(grabbed.width() / 2, grabbed.height() / 2), QColor(250, 160, 40));
}
