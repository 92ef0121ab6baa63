#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>

namespace gaugelet {

// The real end of a thread. QThread::wait() returns once the thread's run has
// ended, but the thread still runs its thread-local destructors after that:
// the TLS library's per-thread clean-up among them. One still in there when
// the program's exit handlers run races them (the TLS library's own exit
// handler frees what that clean-up uses) and crashes now and then. These wait
// for the thread to be gone from the process.
class ThreadExit {
public:
    // Qt's network access threads: each network access manager makes one
    // and ends it with the manager.
    static constexpr char networkThreadName[] = "QNetworkAccessManager thread";

    // The calling thread's id, as the kernel knows it.
    static qint64 currentThreadId();

    // Waits until the thread with this id has left the process. False when
    // the deadline passed first.
    static bool awaitEnd(qint64 threadId, QDeadlineTimer deadline);

    // Waits until no thread of the process has one of these names (the
    // kernel keeps a name's first 15 bytes). False when the deadline passed
    // first.
    static bool awaitEndOfThreadsNamed(const QList<QByteArray>& names, QDeadlineTimer deadline);

    // Once per process, as the application object goes: after the clean-ups
    // added later (which end the threads), waits up to maxWaitSeconds for
    // Qt's network access threads and the threads named here to be gone.
    // Whoever makes a network access manager or such a thread calls it first.
    static void awaitNetworkThreadsAtExit(const QList<QByteArray>& alsoNamed = {});
};

} // namespace gaugelet
