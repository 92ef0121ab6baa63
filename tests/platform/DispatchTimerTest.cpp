#include "platform/core/DispatchTimer.h"

#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace std::chrono_literals;

// The timer reads the media clock; each test moves it by hand and wakes the
// timer's thread (resume() of a running timer does only that), so no test
// judges how long the machine took.

TEST(DispatchTimer, FirstEventComesOneIntervalAfterStart)
{
    ManualMediaClock clock;
    std::atomic<int> fired{0};
    DispatchTimer timer("test", 200ms, 0ms, [&] { ++fired; });
    clock.advance(0.199);
    timer.resume();
    spinFor(20);
    EXPECT_EQ(fired, 0);
    clock.advance(0.001);
    timer.resume();
    EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST(DispatchTimer, ResumeAfterMissedDeadlinesFiresOnceAtOnce)
{
    ManualMediaClock clock;
    std::atomic<int> fired{0};
    DispatchTimer timer("test", 100ms, 0ms, [&] { ++fired; });
    timer.suspend();
    clock.advance(0.35); // three deadlines pass while suspended
    spinFor(20);
    EXPECT_EQ(fired, 0);
    timer.resume();
    // one coalesced event for all missed deadlines, not a burst
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
    spinFor(20);
    EXPECT_EQ(fired, 1);
    // then back on the grid: the next deadline is at 0.4, not 0.45
    clock.advance(0.049);
    timer.resume();
    spinFor(20);
    EXPECT_EQ(fired, 1);
    clock.advance(0.001);
    timer.resume();
    EXPECT_TRUE(waitUntil([&] { return fired == 2; }));
}

TEST(DispatchTimer, CancelStopsTheHandlerForGood)
{
    ManualMediaClock clock;
    std::atomic<int> fired{0};
    DispatchTimer timer("test", 5ms, 0ms, [&] { ++fired; });
    clock.advance(0.03);
    timer.resume();
    ASSERT_TRUE(waitUntil([&] { return fired > 0; }));
    timer.cancel();
    const int atCancel = fired;
    clock.advance(0.03);
    timer.resume();
    spinFor(20);
    EXPECT_EQ(fired, atCancel);
}
