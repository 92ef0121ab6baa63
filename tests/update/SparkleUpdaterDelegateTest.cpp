#include "update/SparkleUpdaterDelegate.h"

#include "platform/core/InfoDictionary.h"
#include "support/TestSupport.h"
#include "update/SparkleUpdater.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(SparkleUpdaterDelegate, CycleEndTakesTheOwnersCallbackOnceOnTheMainThread)
{
    SparkleUpdater updater;
    ASSERT_EQ(updater.delegate()->owner, &updater);
    int calls = 0;
    QThread* ranOn = nullptr;
    updater.setOnUpdateCycleEnded([&] {
        ++calls;
        ranOn = QThread::currentThread();
    });
    updater.delegate()->updaterDidFinishUpdateCycle(std::nullopt);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(updater.onUpdateCycleEnded()) << "taken only when the task runs";
    updater.delegate()->updaterDidFinishUpdateCycle(QStringLiteral("error"));
    ASSERT_TRUE(waitUntil([&] { return calls > 0; }));
    spinFor(20);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
    EXPECT_FALSE(updater.onUpdateCycleEnded());
}

TEST(SparkleUpdaterDelegate, CycleEndFromAnotherThreadRunsOnTheMainThread)
{
    SparkleUpdater updater;
    QThread* ranOn = nullptr;
    updater.setOnUpdateCycleEnded([&] { ranOn = QThread::currentThread(); });
    std::unique_ptr<QThread> thread(QThread::create([&] { updater.delegate()->updaterDidFinishUpdateCycle(std::nullopt); }));
    thread->start();
    thread->wait();
    ASSERT_TRUE(waitUntil([&] { return ranOn != nullptr; }));
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

TEST(SparkleUpdaterDelegate, NothingHappensWithoutCallbackOrOwner)
{
    SparkleUpdaterDelegate orphan;
    orphan.updaterDidFinishUpdateCycle(std::nullopt);
    spinFor(20);
    EXPECT_TRUE(orphan.owner.isNull());

    int calls = 0;
    auto* updater = new SparkleUpdater;
    updater->setOnUpdateCycleEnded([&] { ++calls; });
    SparkleUpdaterDelegate detached;
    detached.owner = updater;
    detached.updaterDidFinishUpdateCycle(std::nullopt);
    delete updater;
    spinFor(20);
    EXPECT_EQ(calls, 0);
}

TEST(SparkleUpdaterDelegate, DelegateGoneBeforeTheTaskRunsDoesNothing)
{
    SparkleUpdater updater;
    int calls = 0;
    updater.setOnUpdateCycleEnded([&] { ++calls; });
    {
        SparkleUpdaterDelegate shortLived;
        shortLived.owner = &updater;
        shortLived.updaterDidFinishUpdateCycle(std::nullopt);
    }
    spinFor(20);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(updater.onUpdateCycleEnded());
}
