#include "RunnerTestSupport.h"
#include "menubar/RunnerView.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::runner;

TEST(RunnerView, DrawsTheAnimatorsFrameFittedAndCentred)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {20, 10}, QRect(0, 0, 20, 10), Qt::red);
    folder.writeFrame(QStringLiteral("r"), 1, {20, 10}, QRect(0, 0, 20, 10), Qt::blue);
    const RunnerKind kind = folder.kind(QStringLiteral("r"), 2);
    auto frames = std::make_shared<const RunnerFrames>(kind);
    RunnerAnimator animator(kind);
    RunnerView view(&animator, frames, 22);
    EXPECT_EQ(view.size(), QSizeF(22, 22));

    QImage image = view.render(2.0);
    ASSERT_EQ(image.size(), QSize(44, 44));
    image.setDevicePixelRatio(1);
    // 20 × 10 fitted into 44 × 44 px: 44 × 22, rows 11...32.
    EXPECT_EQ(image.pixelColor(22, 22), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(0, 11).alpha(), 255);
    EXPECT_EQ(image.pixelColor(22, 10).alpha(), 0);
    EXPECT_EQ(image.pixelColor(22, 33).alpha(), 0);

    animator.setFrame(1);
    QImage next = view.render(2.0);
    next.setDevicePixelRatio(1);
    EXPECT_EQ(next.pixelColor(22, 22), QColor(Qt::blue));
}

TEST(RunnerView, AGoneAnimatorShowsTheFirstFrame)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {8, 8}, QRect(0, 0, 8, 8));
    const RunnerKind kind = folder.kind(QStringLiteral("r"), 1);
    auto animator = std::make_unique<RunnerAnimator>(kind);
    RunnerView view(animator.get(), std::make_shared<const RunnerFrames>(kind), 16);
    animator.reset();
    EXPECT_FALSE(view.currentImage().isNull());
    EXPECT_FALSE(view.render(1).isNull());
}

