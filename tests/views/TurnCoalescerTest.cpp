#include "views/TurnCoalescer.h"

#include <QCoreApplication>
#include <QPointer>
#include <gtest/gtest.h>

namespace gaugelet {
namespace {

TEST(TurnCoalescer, ManyRequestsInOneTurnRunOnceOnTheNextTurn)
{
    QObject owner;
    int runs = 0;
    auto* coalescer = new TurnCoalescer(&owner, [&] { ++runs; });
    for (int i = 0; i < 5; ++i)
        coalescer->request();
    EXPECT_EQ(runs, 0) << "nothing runs in the turn that asked";
    EXPECT_TRUE(coalescer->isPending());
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(coalescer->isPending());
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1) << "no request, no run";

    coalescer->request();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 2) << "a later turn's request runs again";
}

TEST(TurnCoalescer, ARequestFromTheActionRunsOnTheTurnAfter)
{
    QObject owner;
    int runs = 0;
    TurnCoalescer* coalescer = nullptr;
    coalescer = new TurnCoalescer(&owner, [&] {
        if (++runs == 1)
            coalescer->request();
    });
    coalescer->request();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(coalescer->isPending());
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 2);
}

TEST(TurnCoalescer, ARequestQueuedForTheSameTurnJoinsTheRun)
{
    // Another once-per-turn announcer (the settings groups) queues its signal
    // after the first request; its request joins the one run.
    QObject owner;
    int runs = 0;
    auto* coalescer = new TurnCoalescer(&owner, [&] { ++runs; });
    coalescer->request();
    QMetaObject::invokeMethod(&owner, [coalescer] { coalescer->request(); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(coalescer->isPending());
}

TEST(TurnCoalescer, FlushRunsAPendingActionNowAndOnlyOnce)
{
    QObject owner;
    int runs = 0;
    auto* coalescer = new TurnCoalescer(&owner, [&] { ++runs; });
    coalescer->flush();
    EXPECT_EQ(runs, 0) << "nothing pending, nothing to run";
    coalescer->request();
    coalescer->flush();
    EXPECT_EQ(runs, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1) << "the queued turn finds nothing pending";
}

TEST(TurnCoalescer, ACancelledRequestDoesNotRunButALaterOneDoes)
{
    QObject owner;
    int runs = 0;
    auto* coalescer = new TurnCoalescer(&owner, [&] { ++runs; });
    coalescer->request();
    coalescer->cancel();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
    coalescer->request();
    coalescer->cancel();
    coalescer->request();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1) << "asked again after cancelling: once";
}

TEST(TurnCoalescer, AnOwnerDeletedBeforeTheTurnIsNeverTouched)
{
    int runs = 0;
    auto* owner = new QObject;
    auto* coalescer = new TurnCoalescer(owner, [&] { ++runs; });
    coalescer->request();
    delete owner;
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
}

} // namespace
} // namespace gaugelet
