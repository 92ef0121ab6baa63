#include "menubar/RunnerAnimator.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(RunnerAnimator, StartsAtTheFirstFrameWithTheCurrentCap)
{
    test::ScopedDefaults defaults;
    defaults->set(QStringLiteral("global.fpsLimit"), 20);
    RunnerKind kind;
    kind.id = QStringLiteral("fox");
    RunnerAnimator animator(kind);
    EXPECT_EQ(animator.frame(), 0);
    EXPECT_EQ(animator.kind(), kind);
    EXPECT_EQ(animator.lastValue(), 0.0);
    EXPECT_EQ(animator.fpsLimit(), 20);
    EXPECT_EQ(animator.nextFrameAt(), 0.0);
}

TEST(RunnerAnimator, AFrameChangeIsAnnouncedBeforeItIsStoredAndOnlyWhenNew)
{
    RunnerAnimator animator(RunnerKind{});
    QSignalSpy changed(&animator, &RunnerAnimator::frameChanged);
    int seenDuringAnnouncement = -1;
    int announced = -1;
    QObject::connect(&animator, &RunnerAnimator::frameWillChange, [&](int next) {
        seenDuringAnnouncement = animator.frame();
        announced = next;
    });
    animator.setFrame(2);
    EXPECT_EQ(seenDuringAnnouncement, 0);
    EXPECT_EQ(announced, 2);
    EXPECT_EQ(changed.count(), 1);
    animator.setFrame(2);
    EXPECT_EQ(changed.count(), 1);
}

