#include "platform/core/FileSystem.h"

#include <QCryptographicHash>
#include <QUuid>

#include <algorithm>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gaugelet {

namespace {

std::atomic<bool> g_exchangeUnsupported{false};
std::function<void(const QByteArray&)> g_treeDigestHook;

QByteArray native(const QString& path) { return path.toUtf8(); }

FileSystem::Error errorOf(const char* operation, const QString& path, int code)
{
    return FileSystem::Error{QString::fromLatin1(operation), path, code};
}

// Runs one std::filesystem operation on `path`, its error code becoming the
// error of `operation`.
template <typename Operation>
Result<void, FileSystem::Error> onTree(const char* operation, const QString& path, Operation&& run)
{
    std::error_code ec;
    run(std::filesystem::path(native(path).toStdString()), ec);
    if (ec)
        return fail(errorOf(operation, path, ec.value()));
    return {};
}

// The walk of FileSystem::treeDigest: one line per entry (its path relative
// to the top, then its stat fields), a regular file's bytes after its line
// (their count is in it), a link's target likewise.
class TreeDigest {
public:
    TreeDigest(int maxEntries, qint64 maxBytes) : m_entriesLeft(maxEntries), m_bytesLeft(maxBytes) { }

    bool add(int parentFd, const QByteArray& name, const QByteArray& relative);
    QByteArray result() { return m_hash.result(); }

private:
    bool addFile(int fd, const struct stat& listed);
    bool addFolder(int fd, const QByteArray& relative);

    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    int m_entriesLeft;
    qint64 m_bytesLeft;
};

bool TreeDigest::add(int parentFd, const QByteArray& name, const QByteArray& relative)
{
    if (--m_entriesLeft < 0)
        return false;
    struct stat st { };
    if (::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const auto ns = [](const struct timespec& t) { return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    QByteArray line = relative + '\0';
    for (const qint64 field : {qint64(st.st_mode), qint64(st.st_uid), qint64(st.st_gid), qint64(st.st_size),
                               qint64(st.st_dev), qint64(st.st_ino), ns(st.st_mtim), ns(st.st_ctim)})
        line += QByteArray::number(field) + ' ';
    line += '\n';
    m_hash.addData(line);
    if (g_treeDigestHook)
        g_treeDigestHook(relative);
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(qsizetype(st.st_size) + 1, '\0');
        const ssize_t got = ::readlinkat(parentFd, name.constData(), target.data(), size_t(target.size()));
        if (got < 0 || got != st.st_size)
            return false;
        m_hash.addData(target.left(got));
        return true;
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return true;
    const int flags =
        O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (S_ISDIR(st.st_mode) ? O_DIRECTORY : 0);
    const int fd = ::openat(parentFd, name.constData(), flags);
    if (fd < 0)
        return false;
    struct stat opened { };
    // What was opened is what was listed, not an entry put there since.
    const bool same = ::fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino && opened.st_dev == st.st_dev;
    const bool added = same && (S_ISDIR(st.st_mode) ? addFolder(fd, relative) : addFile(fd, st));
    ::close(fd);
    return added;
}

bool TreeDigest::addFile(int fd, const struct stat& listed)
{
    m_bytesLeft -= listed.st_size;
    if (m_bytesLeft < 0)
        return false;
    char buffer[65536];
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        total += got;
        if (total > listed.st_size) // it grew while being read
            return false;
        m_hash.addData(QByteArrayView(buffer, got));
    }
    return total == listed.st_size;
}

bool TreeDigest::addFolder(int fd, const QByteArray& relative)
{
    const int listFd = ::dup(fd);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (dir == nullptr) {
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    QList<QByteArray> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr)
            break;
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QByteArray(entry->d_name));
    }
    const bool listed = errno == 0;
    ::closedir(dir);
    if (!listed)
        return false;
    std::sort(names.begin(), names.end());
    return std::all_of(names.cbegin(), names.cend(),
                       [&](const QByteArray& name) { return add(fd, name, relative + '/' + name); });
}

int closeKeepingErrno(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
}

} // namespace

bool FileSystem::Error::isMissing() const
{
    return code == ENOENT || code == ENOTDIR;
}

QString FileSystem::Error::describe() const
{
    return QStringLiteral("%1 %2: %3").arg(operation, path, QString::fromLocal8Bit(std::strerror(code)));
}

FileSystem::EntryKind FileSystem::entryKind(const QString& path)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return EntryKind::missing;
    if (S_ISLNK(st.st_mode))
        return EntryKind::symlink;
    if (S_ISDIR(st.st_mode))
        return EntryKind::directory;
    if (S_ISREG(st.st_mode))
        return EntryKind::regularFile;
    return EntryKind::other;
}

std::optional<FileSystem::Identity> FileSystem::identity(const QString& path)
{
    struct stat st { };
    if (::lstat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return Identity{quint64(st.st_dev), quint64(st.st_ino),
                    qint64(st.st_ctim.tv_sec) * 1'000'000'000 + qint64(st.st_ctim.tv_nsec)};
}

Result<QByteArray, FileSystem::Error> FileSystem::readFile(const QString& path, qint64 maxBytes, Links links)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (links == Links::refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(native(path).constData(), flags);
    if (fd < 0)
        return fail(errorOf("read", path, errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        closeKeepingErrno(fd);
        return fail(errorOf("read", path, errno));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(errorOf("read", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL));
    }
    if (maxBytes >= 0 && st.st_size > maxBytes) {
        ::close(fd);
        return fail(errorOf("read", path, EFBIG));
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            closeKeepingErrno(fd);
            return fail(errorOf("read", path, errno));
        }
        if (got == 0)
            break;
        bytes.append(buffer, qsizetype(got));
        if (maxBytes >= 0 && bytes.size() > maxBytes) { // it grew while being read
            ::close(fd);
            return fail(errorOf("read", path, EFBIG));
        }
    }
    ::close(fd);
    return bytes;
}

Result<void, FileSystem::Error> FileSystem::writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QString temp = path + QStringLiteral(".tmp-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QByteArray tempName = native(temp);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return fail(errorOf("write", path, errno));
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, p, size_t(left));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            ::unlink(tempName.constData());
            return fail(errorOf("write", path, code));
        }
        p += put;
        left -= put;
    }
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(tempName.constData());
        return fail(errorOf("write", path, code));
    }
    if (::rename(tempName.constData(), native(path).constData()) != 0) {
        const int code = errno;
        ::unlink(tempName.constData());
        return fail(errorOf("write", path, code));
    }
    return {};
}

Result<void, FileSystem::Error> FileSystem::makePath(const QString& path)
{
    return onTree("mkdir", path, [](const std::filesystem::path& tree, std::error_code& ec) {
        std::filesystem::create_directories(tree, ec);
    });
}

Result<void, FileSystem::Error> FileSystem::makeFolder(const QString& path)
{
    if (::mkdir(native(path).constData(), 0755) == 0)
        return {};
    const int code = errno;
    if (code != EEXIST)
        return fail(errorOf("mkdir", path, code));
    switch (entryKind(path)) {
    case EntryKind::directory: return {};
    case EntryKind::symlink: return fail(errorOf("mkdir", path, ELOOP));
    default: return fail(errorOf("mkdir", path, ENOTDIR));
    }
}

Result<QStringList, FileSystem::Error> FileSystem::listDirectory(const QString& path)
{
    DIR* dir = ::opendir(native(path).constData());
    if (dir == nullptr)
        return fail(errorOf("list", path, errno));
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            const int code = errno;
            ::closedir(dir);
            if (code != 0)
                return fail(errorOf("list", path, code));
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        names.append(QString::fromUtf8(entry->d_name));
    }
    // The kernel's order changes from folder to folder and run to run.
    names.sort();
    return names;
}

Result<void, FileSystem::Error> FileSystem::removeTree(const QString& path)
{
    // remove_all removes symbolic links themselves and never descends into them.
    return onTree("remove", path, [](const std::filesystem::path& tree, std::error_code& ec) {
        std::filesystem::remove_all(tree, ec);
    });
}

Result<void, FileSystem::Error> FileSystem::rename(const QString& from, const QString& to)
{
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        return fail(errorOf("rename", from, errno));
    return {};
}

Result<void, FileSystem::Error> FileSystem::renameWithoutReplacing(const QString& from, const QString& to)
{
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(), RENAME_NOREPLACE) == 0)
        return {};
    const int code = errno;
    if (code != EINVAL && code != ENOSYS && code != EOPNOTSUPP)
        return fail(errorOf("rename", from, code));
    // A file system without the flag: look first. Only another process
    // creating `to` in between could still be replaced, and then only when it
    // made an empty folder.
    if (entryKind(to) != EntryKind::missing)
        return fail(errorOf("rename", to, EEXIST));
    return rename(from, to);
}

std::optional<QByteArray> FileSystem::treeDigest(const QString& path, int maxEntries, qint64 maxBytes)
{
    TreeDigest digest(maxEntries, maxBytes);
    if (!digest.add(AT_FDCWD, native(path), QByteArray()))
        return std::nullopt;
    return digest.result();
}

void FileSystem::setTreeDigestHookForTesting(std::function<void(const QByteArray& relative)> hook)
{
    g_treeDigestHook = std::move(hook);
}

void FileSystem::setExchangeUnsupportedForTesting(bool unsupported)
{
    g_exchangeUnsupported = unsupported;
}

Result<void, FileSystem::Error> FileSystem::replaceItem(const QString& target, const QString& replacement)
{
    const QByteArray targetName = native(target);
    const QByteArray replacementName = native(replacement);

    int code = EINVAL;
    if (!g_exchangeUnsupported) {
        if (::renameat2(AT_FDCWD, replacementName.constData(), AT_FDCWD, targetName.constData(), RENAME_EXCHANGE) == 0) {
            // The old item now sits under the replacement's name.
            (void)removeTree(replacement);
            return {};
        }
        code = errno;
        if (code == ENOENT && entryKind(target) == EntryKind::missing && entryKind(replacement) != EntryKind::missing)
            return rename(replacement, target);
        // Any failure other than "this file system cannot exchange" is final.
        if (code != EINVAL && code != ENOSYS && code != EOPNOTSUPP)
            return fail(errorOf("exchange", target, code));
    }

    // No atomic exchange: move the old item aside, then the new one in.
    const QString aside = replacement + QStringLiteral("-previous");
    if (auto moved = rename(target, aside); !moved) {
        if (moved.error().code == ENOENT && entryKind(target) == EntryKind::missing)
            return rename(replacement, target);
        return moved;
    }
    if (auto placed = rename(replacement, target); !placed) {
        (void)rename(aside, target);
        return placed;
    }
    (void)removeTree(aside);
    return {};
}

} // namespace gaugelet
