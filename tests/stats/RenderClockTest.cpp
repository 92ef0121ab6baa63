#include "stats/RenderClock.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(RenderClock, RateChangesRestartOnlyWhenTheRateDiffers)
{
    RenderClock clock;
    clock.setHz(1); // not running: stored only
    EXPECT_EQ(clock.hz(), 1);
    EXPECT_FALSE(clock.hasTimer());
    clock.start();
    EXPECT_EQ(clock.timersCreated(), 1);
    clock.setHz(1);
    EXPECT_EQ(clock.timersCreated(), 1);
    clock.setHz(2);
    EXPECT_EQ(clock.timersCreated(), 2);
    clock.start(); // already running: nothing
    EXPECT_EQ(clock.timersCreated(), 2);
}

TEST(RenderClock, RateBelowOneCountsAsOne)
{
    RenderClock clock;
    clock.setHz(0);
    EXPECT_EQ(clock.hz(), 1);
    clock.setHz(-5);
    EXPECT_EQ(clock.hz(), 1);
    clock.start(); // no division by zero
    EXPECT_TRUE(clock.hasTimer());
}

TEST(RenderClock, FirstTickComesOneIntervalAfterStartOnTheMainThread)
{
    RenderClock clock;
    clock.setHz(4); // 250 ms
    QSignalSpy ticks(&clock, &RenderClock::tickChanged);
    QElapsedTimer sinceStart;
    qint64 firstTickAfter = -1;
    QObject::connect(&clock, &RenderClock::tickChanged, [&] {
        if (firstTickAfter < 0)
            firstTickAfter = sinceStart.elapsed();
    });
    sinceStart.start();
    clock.start();
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() >= 1; }, 5000));
    // Only a lower bound: a busy machine delays a tick, never brings it forward.
    EXPECT_GE(firstTickAfter, 237) << "a coarse timer fires at most 5 % early";
    EXPECT_EQ(ticks.at(0).at(0).toInt(), 1);
}

TEST(RenderClock, SuspendAndResumeFollowTheirGuards)
{
    RenderClock clock;
    clock.suspend(); // not running
    EXPECT_FALSE(clock.isSuspended());
    clock.setHz(50);
    clock.start();
    clock.resume(); // not suspended
    EXPECT_FALSE(clock.isSuspended());
    clock.suspend();
    clock.suspend();
    EXPECT_TRUE(clock.isSuspended());
    const int at = clock.tick();
    test::spinFor(120);
    EXPECT_EQ(clock.tick(), at); // events queued before the suspension are discarded too
    clock.resume();
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() > at; }));
}

TEST(RenderClock, RateChangeWhileSuspendedStartsARunningTimer)
{
    RenderClock clock;
    clock.setHz(1);
    clock.start();
    clock.suspend();
    clock.setHz(50);
    EXPECT_FALSE(clock.isSuspended());
    EXPECT_TRUE(clock.isRunning());
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() >= 2; }));
}

TEST(RenderClock, TicksWithoutAThreadOfItsOwn)
{
    const auto threads = [] {
        return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::NoDotAndDotDot | QDir::Dirs).size();
    };
    const auto before = threads();
    RenderClock clock;
    clock.setHz(20);
    clock.start();
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() >= 2; }));
    EXPECT_EQ(threads(), before);
    // Suspended, it does not wake the main thread at all: no tick comes.
    clock.suspend();
    const int at = clock.tick();
    test::spinFor(150);
    EXPECT_EQ(clock.tick(), at);
}

TEST(RenderClock, ALateTickKeepsTheGrid)
{
    test::ManualMediaClock media(1000.0);
    RenderClock clock;
    clock.setHz(20); // every 50 ms: deadlines at 1000.05, 1000.10, …
    clock.start();
    EXPECT_NEAR(clock.nextDeadline(), 1000.05, 1e-6);
    // The first tick runs 30 ms late: the next is still due on the grid.
    media.set(1000.08);
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() >= 1; }));
    EXPECT_NEAR(clock.tickTime(), 1000.05, 1e-6);
    EXPECT_NEAR(clock.nextDeadline(), 1000.10, 1e-6);
    // Three deadlines missed at once: one tick, then the grid's next.
    media.set(1000.27);
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() >= 2; }));
    EXPECT_EQ(clock.tick(), 2);
    EXPECT_NEAR(clock.tickTime(), 1000.25, 1e-6); // the latest deadline passed
    EXPECT_NEAR(clock.nextDeadline(), 1000.30, 1e-6);
    // A tick a little early stands for the deadline it was due at.
    media.set(1000.299);
    ASSERT_TRUE(test::waitUntil([&] { return clock.tick() >= 3; }));
    EXPECT_NEAR(clock.tickTime(), 1000.30, 1e-6);
    EXPECT_NEAR(clock.nextDeadline(), 1000.35, 1e-6);
}
