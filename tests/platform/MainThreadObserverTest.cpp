#include "platform/core/MainThreadObserver.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace gaugelet;

namespace {

// Posts the notification from a thread of its own and waits for it to finish.
void postFromAnotherThread(NotificationCenter& center, const QString& name)
{
    std::thread poster([&] { center.post(name); });
    poster.join();
}

} // namespace

TEST(MainThreadObserver, RunsOnTheMainThreadAtOnceOrQueuedAndStopsWhenDestroyed)
{
    NotificationCenter center;
    QList<QThread*> ranOn;
    auto observer = std::make_unique<MainThreadObserver>(
        QStringLiteral("size.changed"), [&] { ranOn << QThread::currentThread(); }, center);

    center.post(QStringLiteral("other"));
    center.post(QStringLiteral("size.changed"));
    EXPECT_EQ(ranOn, QList<QThread*>{QThread::currentThread()}); // at once, on this thread

    postFromAnotherThread(center, QStringLiteral("size.changed"));
    EXPECT_EQ(ranOn.size(), 1); // not on the posting thread
    QCoreApplication::processEvents();
    EXPECT_EQ(ranOn, (QList<QThread*>{QThread::currentThread(), QThread::currentThread()}));

    // A run queued before the observer ends is dropped with it, and so are later posts.
    postFromAnotherThread(center, QStringLiteral("size.changed"));
    observer.reset();
    QCoreApplication::processEvents();
    center.post(QStringLiteral("size.changed"));
    EXPECT_EQ(ranOn.size(), 2);
}
