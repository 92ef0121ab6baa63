#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Result.h"

#include <QDeadlineTimer>
#include <QString>
#include <functional>

namespace gaugelet {

// An advisory lock that every process on the machine sees: flock(2) on a
// lock file of its own. Each FileLock opens the file afresh, so two of them
// exclude each other in one process as well as in two. The file is created
// when missing (never through a symbolic link) and never removed: removing it
// would let a second holder lock a new file beside a first one. Held until
// unlock() or the object's end; a process that ends, however it ends, lets
// go of it.
class FileLock {
public:
    explicit FileLock(QString path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock if no one else holds it, without waiting: false when
    // another holds it; an error when the lock file cannot be opened.
    Result<bool, FileSystem::Error> tryLock();
    // Waits for the lock, trying again every pollMs, until it is taken, the
    // deadline passes or giveUp() says so (false then). It sleeps between
    // tries: never on a thread that must stay responsive.
    static constexpr int pollMs = 20;
    Result<bool, FileSystem::Error> lock(QDeadlineTimer deadline, const std::function<bool()>& giveUp = {});
    void unlock();

    bool isLocked() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};

} // namespace gaugelet
