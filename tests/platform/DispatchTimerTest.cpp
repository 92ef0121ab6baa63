#include "platform/core/DispatchTimer.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace gaugelet;
using namespace std::chrono_literals;

TEST(DispatchTimer, FirstEventComesOneIntervalAfterStart)
{
    std::atomic<int> fired{0};
    DispatchTimer timer("test", 200ms, 0ms, [&] { ++fired; });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(fired, 0);
    std::this_thread::sleep_for(250ms);
    EXPECT_GE(fired, 1);
}

TEST(DispatchTimer, ResumeAfterMissedDeadlinesFiresOnceAtOnce)
{
    std::atomic<int> fired{0};
    DispatchTimer timer("test", 100ms, 0ms, [&] { ++fired; });
    timer.suspend();
    const int before = fired;
    std::this_thread::sleep_for(350ms); // three deadlines pass while suspended
    EXPECT_EQ(fired, before);
    timer.resume();
    std::this_thread::sleep_for(20ms); // the next grid deadline is ~50 ms away
    // one coalesced event for all missed deadlines, not a burst
    EXPECT_EQ(fired, before + 1);
}

TEST(DispatchTimer, CancelStopsTheHandlerForGood)
{
    std::atomic<int> fired{0};
    DispatchTimer timer("test", 5ms, 0ms, [&] { ++fired; });
    std::this_thread::sleep_for(30ms);
    timer.cancel();
    const int atCancel = fired;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(fired, atCancel);
    EXPECT_GT(atCancel, 0);
}
