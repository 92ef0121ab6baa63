#include "menubar/RunnerAnimator.h"
#include "menubar/MenubarController.h"
#include "schema/SettingsSchema.h"
#include "stats/FPSLimit.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(RunnerAnimator, StartsAtTheFirstFrameWithTheCurrentCap)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::fpsLimit, 20);
    RunnerKind kind;
    kind.id = QStringLiteral("fox");
    RunnerAnimator animator(kind);
    EXPECT_EQ(animator.frame(), 0);
    EXPECT_EQ(animator.kind(), kind);
    EXPECT_EQ(animator.lastValue(), 0.0);
    EXPECT_EQ(animator.fpsLimit(), 20);
    EXPECT_EQ(animator.nextFrameAt(), 0.0);
}

TEST(RunnerAnimator, EveryReaderOfTheFrameCapReadsOneInteger)
{
    // The clock (controller), the runner visualizer's step and the animator
    // all read SettingsSchema::fpsLimit through one integer read.
    struct Row {
        QVariant stored;
        int controller;
        int animator;
    };
    const Row rows[] = {
        {QVariant(), 15, 15},
        {qint64(20), 20, 20},
        {20.0, 20, 20},
        {20.9, 20, 20},
        {QStringLiteral("20"), 20, 20},
        {QStringLiteral("10"), 10, 10},
        {10.0, 10, 10},
        {qint64(-3), 1, 15},
        {QStringLiteral("-3"), 1, 15},
        {QStringLiteral("fast"), 15, 15},
        {qint64(30), 30, 15},
    };
    test::ScopedDefaults defaults;
    for (const Row& row : rows) {
        defaults->set(SettingsSchema::fpsLimit, row.stored);
        const std::string what = row.stored.toString().toStdString() + " (" + (row.stored.isValid() ? row.stored.typeName() : "absent") + ")";
        EXPECT_EQ(MenubarController::fpsLimit(), row.controller) << what;
        EXPECT_EQ(FPSLimit::framesPerSecond(FPSLimit::current()), row.animator) << what;
        EXPECT_EQ(RunnerAnimator(RunnerKind{}).fpsLimit(), row.animator) << what;
    }
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

