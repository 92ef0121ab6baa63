#include "lifecycle/AppLifecycle.h"

#include "FakeLogind.h"
#include "PrivateBus.h"
#include "TestSupport.h"
#include "platform/desktop/WorkspaceNotifications.h"
#include "stats/RenderClock.h"

#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// A workspace source without buses: the test emits its notifications.
std::unique_ptr<WorkspaceNotifications> offlineWorkspace()
{
    return std::make_unique<WorkspaceNotifications>(QDBusConnection(QStringLiteral("none-a")),
                                                    QDBusConnection(QStringLiteral("none-b")));
}

struct PausedValues {
    QList<bool> willChange;
    QList<bool> changed;
    explicit PausedValues(AppLifecycle& lifecycle)
    {
        QObject::connect(&lifecycle, &AppLifecycle::pausedWillChange, [this](bool p) { willChange << p; });
        QObject::connect(&lifecycle, &AppLifecycle::pausedChanged, [this](bool p) { changed << p; });
    }
};

} // namespace

TEST(AppLifecycle, SleepThenWakeSuspendsAndResumesTheClockOnce)
{
    auto workspace = offlineWorkspace();
    RenderClock clock;
    clock.setHz(1);
    clock.start();
    AppLifecycle lifecycle(&clock, workspace.get());
    PausedValues values(lifecycle);
    EXPECT_FALSE(lifecycle.paused());

    Q_EMIT workspace->screensDidSleep();
    ASSERT_TRUE(waitUntil([&] { return lifecycle.paused(); }));
    EXPECT_TRUE(clock.isSuspended());
    Q_EMIT workspace->screensDidWake();
    ASSERT_TRUE(waitUntil([&] { return !lifecycle.paused(); }));
    EXPECT_FALSE(clock.isSuspended());
    EXPECT_EQ(values.willChange, (QList<bool>{true, false}));
    EXPECT_EQ(values.changed, (QList<bool>{true, false}));
    EXPECT_EQ(clock.timersCreated(), 1) << "suspend and resume keep the same timer";
}

TEST(AppLifecycle, EveryNotificationPublishesAgainAndTheFirstResumeWins)
{
    auto workspace = offlineWorkspace();
    RenderClock clock;
    clock.start();
    AppLifecycle lifecycle(&clock, workspace.get());
    PausedValues values(lifecycle);

    Q_EMIT workspace->sessionDidResignActive(); // switched out
    Q_EMIT workspace->screensDidSleep();        // and the screens sleep
    ASSERT_TRUE(waitUntil([&] { return values.changed.size() == 2; }));
    EXPECT_EQ(values.changed, (QList<bool>{true, true}));
    EXPECT_TRUE(clock.isSuspended());

    Q_EMIT workspace->screensDidWake(); // the session is still inactive, but the first resume resumes
    ASSERT_TRUE(waitUntil([&] { return values.changed.size() == 3; }));
    EXPECT_FALSE(lifecycle.paused());
    EXPECT_FALSE(clock.isSuspended());
    Q_EMIT workspace->sessionDidBecomeActive();
    ASSERT_TRUE(waitUntil([&] { return values.changed.size() == 4; }));
    EXPECT_EQ(values.changed, (QList<bool>{true, true, false, false}));
}

TEST(AppLifecycle, RateChangeWhilePausedStartsARunningTimerAndResumeOnlyPublishes)
{
    auto workspace = offlineWorkspace();
    RenderClock clock;
    clock.setHz(1);
    clock.start();
    AppLifecycle lifecycle(&clock, workspace.get());
    lifecycle.pause();
    EXPECT_TRUE(clock.isSuspended());
    clock.setHz(4);
    EXPECT_FALSE(clock.isSuspended());
    EXPECT_EQ(clock.timersCreated(), 2);
    lifecycle.resume();
    EXPECT_FALSE(lifecycle.paused());
    EXPECT_FALSE(clock.isSuspended());
    EXPECT_EQ(clock.timersCreated(), 2);
}

TEST(AppLifecycle, WithoutARunningOrLivingClockOnlyTheFlagChanges)
{
    auto workspace = offlineWorkspace();
    auto clock = std::make_unique<RenderClock>();
    AppLifecycle lifecycle(clock.get(), workspace.get());
    lifecycle.pause(); // clock not running
    EXPECT_TRUE(lifecycle.paused());
    EXPECT_FALSE(clock->isSuspended());
    lifecycle.resume();
    clock.reset();
    EXPECT_EQ(lifecycle.clock(), nullptr);
    lifecycle.pause(); // clock released
    EXPECT_TRUE(lifecycle.paused());
    lifecycle.resume();
    EXPECT_FALSE(lifecycle.paused());
}

TEST(AppLifecycle, NotificationsAfterDestructionReachNobody)
{
    auto workspace = offlineWorkspace();
    RenderClock clock;
    clock.start();
    auto lifecycle = std::make_unique<AppLifecycle>(&clock, workspace.get());
    Q_EMIT workspace->screensDidSleep(); // queued
    lifecycle.reset();
    spinFor(20);
    EXPECT_FALSE(clock.isSuspended());
}

TEST(AppLifecycle, PausesWithLogindOverAPrivateBus)
{
    PrivateBus systemBus;
    PrivateBus sessionBus;
    FakeLogind logind(systemBus);
    FakeScreenSaver screensaver(sessionBus);
    WorkspaceNotifications workspace(systemBus.connect(), sessionBus.connect());
    ASSERT_TRUE(waitUntil([&] { return !workspace.sessionPath().isEmpty(); }));
    spinFor(100);
    RenderClock clock;
    clock.start();
    AppLifecycle lifecycle(&clock, &workspace);

    logind.setActive(false); // another login took the seat
    ASSERT_TRUE(waitUntil([&] { return lifecycle.paused(); }));
    EXPECT_TRUE(clock.isSuspended());
    logind.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return !lifecycle.paused(); }));
    screensaver.activeChanged(true);
    ASSERT_TRUE(waitUntil([&] { return lifecycle.paused(); }));
    screensaver.activeChanged(false);
    ASSERT_TRUE(waitUntil([&] { return !lifecycle.paused(); }));
    EXPECT_FALSE(clock.isSuspended());
}
