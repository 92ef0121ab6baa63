#include "platform/core/FileLock.h"

#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace gaugelet {

FileLock::FileLock(QString path) : m_path(std::move(path)) { }

FileLock::~FileLock()
{
    unlock();
}

Result<bool, FileSystem::Error> FileLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    const int fd = ::open(m_path.toUtf8().constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0)
        return fail(FileSystem::Error{QStringLiteral("lock"), m_path, errno});
    int locked = -1;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int code = errno;
        ::close(fd);
        if (code == EWOULDBLOCK)
            return false;
        return fail(FileSystem::Error{QStringLiteral("lock"), m_path, code});
    }
    m_fd = fd;
    return true;
}

Result<bool, FileSystem::Error> FileLock::lock(QDeadlineTimer deadline, const std::function<bool()>& giveUp)
{
    // Polled rather than a blocking flock(): a wait that blocks cannot be
    // given up, and a holder that is stopped would then keep this thread
    // (and a quit that waits for it) forever.
    for (;;) {
        auto taken = tryLock();
        if (!taken || *taken)
            return taken;
        if (deadline.hasExpired() || (giveUp && giveUp()))
            return false;
        const qint64 left = deadline.isForever() ? pollMs : deadline.remainingTime();
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(left, 1, pollMs)));
    }
}

void FileLock::unlock()
{
    if (m_fd < 0)
        return;
    // Closing the only descriptor of the open file lets go of the lock.
    ::close(m_fd);
    m_fd = -1;
}

} // namespace gaugelet
