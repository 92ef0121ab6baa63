#include "platform/core/UnixSignalWatcher.h"

#include "TestSupport.h"
#include "platform/core/MainThread.h"

#include <csignal>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(UnixSignalWatcher, DeliversEachSignalOnTheMainThread)
{
    UnixSignalWatcher watcher({SIGHUP, SIGUSR1});
    QList<int> received;
    QObject::connect(&watcher, &UnixSignalWatcher::received, [&](int number) {
        EXPECT_TRUE(isMainThread());
        received << number;
    });
    ::raise(SIGHUP);
    ::raise(SIGUSR1);
    EXPECT_TRUE(received.isEmpty()) << "never inside the handler";
    ASSERT_TRUE(waitUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(received, (QList<int>{SIGHUP, SIGUSR1}));
}
