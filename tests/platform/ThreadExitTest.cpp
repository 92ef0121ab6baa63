#include "platform/core/ThreadExit.h"

#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;

namespace {

// Holds its thread in the thread's own end, after QThread::wait() has
// returned, until released.
struct HeldEnd {
    std::atomic<bool>* release;
    std::atomic<bool>* ended;
    ~HeldEnd()
    {
        while (!release->load())
            QThread::yieldCurrentThread();
        ended->store(true);
    }
};

} // namespace

TEST(ThreadExit, AThreadHasEndedOnlyOnceItsOwnDestructorsHaveRun)
{
    for (const bool byName : {false, true}) {
        SCOPED_TRACE(byName ? "by name" : "by id");
        std::atomic<bool> release = false;
        std::atomic<bool> ended = false;
        std::atomic<qint64> id = 0;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            id = ThreadExit::currentThreadId();
            thread_local HeldEnd held{&release, &ended};
            (void)held;
        }));
        thread->setObjectName(QStringLiteral("gaugelet.test.held.end"));
        thread->start();
        ASSERT_TRUE(thread->wait(QDeadlineTimer(60'000)));
        const auto awaitEnd = [&](int ms) {
            return byName ? ThreadExit::awaitEndOfThreadsNamed({"gaugelet.test.held.end"}, QDeadlineTimer(ms))
                          : ThreadExit::awaitEnd(id, QDeadlineTimer(ms));
        };
        // QThread::wait() has returned, yet the thread is still there.
        EXPECT_FALSE(awaitEnd(50));
        EXPECT_FALSE(ended);
        release = true;
        EXPECT_TRUE(awaitEnd(60'000));
        EXPECT_TRUE(ended);
    }
}
