#include "platform/core/ThreadExit.h"

#include "platform/core/Log.h"
#include "platform/core/PlatformLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

namespace gaugelet {

namespace {

// How long the exit waits for the network threads: far more than their end
// takes; a thread still running then belongs to a manager that was never
// deleted, and is left to race as before.
constexpr int exitWaitMs = 10'000;

bool threadExists(qint64 threadId)
{
    return ::syscall(SYS_tgkill, ::getpid(), pid_t(threadId), 0) == 0 || errno != ESRCH;
}

// Names as the kernel keeps them: their first 15 bytes.
QList<QByteArray> kernelNames(QList<QByteArray> names)
{
    for (QByteArray& name : names)
        name.truncate(15);
    return names;
}

int threadsNamed(const QList<QByteArray>& names)
{
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& id : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(id + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && names.contains(comm.readAll().trimmed()))
            ++count;
    }
    return count;
}

template <typename Done>
bool awaitUntil(Done done, QDeadlineTimer deadline)
{
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(500);
    }
    return true;
}

struct ExitWait {
    QMutex mutex;
    QList<QByteArray> names{QByteArray(ThreadExit::networkThreadName)};
    bool added = false;
};

ExitWait& exitWait()
{
    static ExitWait wait;
    return wait;
}

} // namespace

qint64 ThreadExit::currentThreadId()
{
    return qint64(::gettid());
}

bool ThreadExit::awaitEnd(qint64 threadId, QDeadlineTimer deadline)
{
    return awaitUntil([threadId] { return !threadExists(threadId); }, deadline);
}

bool ThreadExit::awaitEndOfThreadsNamed(const QList<QByteArray>& names, QDeadlineTimer deadline)
{
    const QList<QByteArray> kept = kernelNames(names);
    return awaitUntil([&kept] { return threadsNamed(kept) == 0; }, deadline);
}

void ThreadExit::awaitNetworkThreadsAtExit(const QList<QByteArray>& alsoNamed)
{
    ExitWait& wait = exitWait();
    QMutexLocker lock(&wait.mutex);
    for (const QByteArray& name : alsoNamed) {
        if (!wait.names.contains(name))
            wait.names.append(name);
    }
    if (wait.added)
        return;
    wait.added = true;
    // Post routines run last added first: the clean-ups that end these
    // threads are added after this one, so they have run when it runs.
    qAddPostRoutine([] {
        QList<QByteArray> names;
        {
            QMutexLocker inner(&exitWait().mutex);
            names = exitWait().names;
        }
        if (!awaitEndOfThreadsNamed(names, QDeadlineTimer(exitWaitMs)))
            logWarning(lcPlatform, "exit: network threads still running count=%d", threadsNamed(kernelNames(names)));
    });
}

} // namespace gaugelet
