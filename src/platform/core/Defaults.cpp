#include "platform/core/Defaults.h"

#include <limits>

#include "platform/core/FileSystem.h"
#include "platform/core/PlatformLog.h"
#include "platform/core/PropertyList.h"
#include "platform/core/XdgPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace gaugelet {

namespace {

QPointer<Defaults> standardOverride;
std::atomic<Defaults*> standardStore{nullptr};

constexpr int saveCoalesceMs = 250;

bool isIntegerType(const QVariant& v)
{
    return v.typeId() == QMetaType::LongLong;
}

// Whether two stored values are the same value: of the same property-list
// type all the way down, a NaN the same as a NaN (QVariant's == finds a NaN
// unequal to itself, and an integer equal to a real). Storing the same value
// again must change nothing.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    switch (a.typeId()) {
    case QMetaType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        return x.size() == y.size() && std::equal(x.cbegin(), x.cend(), y.cbegin(), sameValue);
    }
    case QMetaType::QVariantMap: {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.size() != y.size())
            return false;
        for (auto i = x.cbegin(), j = y.cbegin(); i != x.cend(); ++i, ++j) {
            if (i.key() != j.key() || !sameValue(i.value(), j.value()))
                return false;
        }
        return true;
    }
    default:
        return a == b;
    }
}

// A save writes the whole file as "<file>.saving-" and sixteen random
// lowercase hexadecimal digits, then renames it over the file. One
// interrupted in between leaves that temporary behind: a regular file of
// ours that starts as every file the store writes does (or is still empty).
// Only that exact name is taken for one: a person's "defaults.plist.saving-
// backup" or "-Copy01" (or a temporary of an earlier build, six letters or
// digits) is left alone.
const QString saveInfix = QStringLiteral(".saving-");
constexpr qsizetype saveSuffixLength = 16;
constexpr char saveSuffixAlphabet[] = "0123456789abcdef";
constexpr char xmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

bool isSaveSuffix(QStringView suffix)
{
    return suffix.size() == saveSuffixLength && std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

QString saveSuffix()
{
    QString suffix;
    for (qsizetype i = 0; i < saveSuffixLength; ++i)
        suffix +=
            QLatin1Char(saveSuffixAlphabet[QRandomGenerator::global()->bounded(int(sizeof saveSuffixAlphabet - 1))]);
    return suffix;
}

bool isInterruptedSave(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st { };
    bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
                && st.st_size <= Defaults::maxFileBytes;
    if (ours) {
        char head[sizeof xmlDeclaration - 1];
        const ssize_t got = ::read(fd, head, sizeof head);
        ours = got >= 0 && std::memcmp(head, xmlDeclaration, size_t(got)) == 0;
    }
    ::close(fd);
    return ours;
}

void removeStaleTemporaries(const QString& filePath)
{
    const QFileInfo info(filePath);
    const QString prefix = info.fileName() + saveInfix;
    const QDir dir = info.absoluteDir();
    const QStringList candidates =
        dir.entryList({prefix + QStringLiteral("*")}, QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& name : candidates) {
        const QString path = dir.filePath(name);
        if (!isSaveSuffix(QStringView(name).mid(prefix.size())) || !isInterruptedSave(path))
            continue;
        if (QFile::remove(path))
            logInfo(lcDefaults, "defaults: removed an interrupted save path=%s", qUtf8Printable(path));
    }
}

// The text of the symbolic link at path, or nothing when path is no link.
std::optional<QByteArray> linkText(const QByteArray& path)
{
    QByteArray text(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(path.constData(), text.data(), size_t(text.size()));
    if (length < 0 || length >= text.size())
        return std::nullopt;
    text.truncate(length);
    return text;
}

// The path with every link resolved, or nothing when it leads nowhere.
std::optional<QByteArray> resolvedPath(const QByteArray& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.constData(), resolved) == nullptr)
        return std::nullopt;
    return QByteArray(resolved);
}

// Makes a rename in the folder of path durable.
void syncFolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Writes bytes to a new temporary beside path and renames it over path: a
// link at path is replaced, not followed. The permission bits of a file
// being replaced are kept (never set-user-ID, set-group-ID or sticky); a new
// file is the user's alone. Gives 0 or the errno.
int writeAtomically(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    mode_t mode = 0600;
    struct stat old { };
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 0777;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = QFile::encodeName(path + saveInfix + saveSuffix());
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    int code = 0;
    ::fchmod(fd, mode); // the umask may have taken bits away
    for (const char *p = bytes.constData(), *end = p + bytes.size(); p < end && code == 0;) {
        const ssize_t put = ::write(fd, p, size_t(end - p));
        if (put >= 0)
            p += put;
        else if (errno != EINTR)
            code = errno;
    }
    if (code == 0 && ::fsync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && ::rename(temp.constData(), target.constData()) != 0)
        code = errno;
    if (code != 0)
        ::unlink(temp.constData());
    else
        syncFolderOf(target);
    return code;
}

// Megabytes with one decimal, rounded up, so a size over a limit never reads
// as the limit itself.
QString megabytes(qint64 bytes)
{
    return QString::number(std::ceil(double(bytes) * 10.0 / (1024.0 * 1024.0)) / 10.0, 'f', 1);
}

QString tooLargeToSave(qint64 bytes)
{
    return QStringLiteral("the settings have grown to %1 MB, more than the %2 MB Gaugelet can read back")
        .arg(megabytes(bytes))
        .arg(Defaults::maxFileBytes / (1024 * 1024));
}

// A stored value of exactly one type, else nothing.
template <typename T>
std::optional<T> ofType(const QVariant& v, QMetaType::Type type)
{
    if (v.typeId() == type)
        return v.value<T>();
    return std::nullopt;
}

} // namespace

Defaults::Defaults(const QString& filePath, QObject* parent)
    : QObject(parent), m_filePath(filePath)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(saveCoalesceMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { flush(); });
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { flush(); });
    if (!m_filePath.isEmpty())
        load();
}

Defaults::~Defaults()
{
    flush();
}

QString Defaults::standardFilePath()
{
    return XdgPaths::configHome() + QStringLiteral("/dev.gaugelet.app/defaults.plist");
}

Defaults* Defaults::standard()
{
    if (standardOverride)
        return standardOverride.data();
    Defaults* store = standardStore.load(std::memory_order_acquire);
    if (store)
        return store;
    auto* created = new Defaults(standardFilePath(), QCoreApplication::instance());
    Defaults* expected = nullptr;
    if (!standardStore.compare_exchange_strong(expected, created)) {
        delete created;
        return expected;
    }
    return created;
}

void Defaults::setStandard(Defaults* defaults)
{
    standardOverride = defaults;
}

QString Defaults::saveDestination() const
{
    // The link the program started with, unchanged and still leading to the
    // same file, is written through; any other link is replaced.
    if (m_startLink.isEmpty())
        return m_filePath;
    const QByteArray path = QFile::encodeName(m_filePath);
    if (linkText(path) != m_startLink || resolvedPath(path) != QFile::encodeName(m_startTarget))
        return m_filePath;
    return m_startTarget;
}

void Defaults::load()
{
    removeStaleTemporaries(m_filePath);
    const FileSystem::EntryKind kind = FileSystem::entryKind(m_filePath);
    if (kind == FileSystem::EntryKind::missing)
        return;
    // Opened without blocking (a FIFO would hold the start for ever), only a
    // regular file is read, and never more than a settings file can hold.
    auto bytes = FileSystem::readFile(m_filePath, maxFileBytes, FileSystem::Links::follow);
    if (!bytes && bytes.error().code == EFBIG) {
        keepAside(QStringLiteral("it is larger than %1 MB").arg(maxFileBytes / (1024 * 1024)));
        return;
    }
    if (!bytes) {
        // Present but unreadable: never overwrite what we could not read.
        m_saveBlocked = true;
        const int code = bytes.error().code;
        QString reason;
        if (kind == FileSystem::EntryKind::symlink && code == ENOENT)
            reason = QStringLiteral("it is a link to a file that does not exist");
        else if (code == EISDIR)
            reason = QStringLiteral("it is a folder, not a file");
        else if (code == EINVAL)
            reason = QStringLiteral("it is not a regular file");
        else
            reason = QStringLiteral("it cannot be read (%1)").arg(QString::fromLocal8Bit(std::strerror(code)));
        logError(lcDefaults, "defaults: cannot open file=%s error=%s; not saving", qUtf8Printable(m_filePath),
                 qUtf8Printable(reason));
        noteProblem({FileProblem::Kind::notSaving, m_filePath, reason, {}});
        return;
    }
    auto parsed = PropertyList::fromData(*bytes);
    if (parsed && parsed->typeId() == QMetaType::QVariantMap) {
        m_user = parsed->toMap();
        // A settings file that is a link (a dotfiles setup) stays one: saves
        // go to the file it leads to, as long as it is this same link.
        const QByteArray path = QFile::encodeName(m_filePath);
        const auto text = kind == FileSystem::EntryKind::symlink ? linkText(path) : std::nullopt;
        const auto target = text ? resolvedPath(path) : std::nullopt;
        if (text && target) {
            m_startLink = *text;
            m_startTarget = QFile::decodeName(*target);
            removeStaleTemporaries(m_startTarget);
        }
        return;
    }
    keepAside(parsed ? QStringLiteral("it does not hold a dictionary of settings") : parsed.error().describe());
}

void Defaults::keepAside(const QString& why)
{
    // Every copy set aside is kept: the first free of ".corrupt", ".corrupt.1", ...
    const QByteArray from = QFile::encodeName(m_filePath);
    for (int n = 0; n < 1000; ++n) {
        const QString aside = m_filePath + QStringLiteral(".corrupt") + (n == 0 ? QString() : QStringLiteral(".%1").arg(n));
        const QByteArray to = QFile::encodeName(aside);
        int moved = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (moved != 0 && (errno == EINVAL || errno == ENOSYS) && FileSystem::entryKind(aside) == FileSystem::EntryKind::missing)
            moved = ::rename(from.constData(), to.constData());
        if (moved == 0) {
            logError(lcDefaults, "defaults: unreadable file kept aside path=%s reason=%s", qUtf8Printable(aside),
                     qUtf8Printable(why));
            noteProblem({FileProblem::Kind::keptAside, m_filePath, why, aside});
            return;
        }
        if (errno != EEXIST)
            break;
    }
    m_saveBlocked = true;
    logError(lcDefaults, "defaults: unreadable file could not be moved aside path=%s; not saving",
             qUtf8Printable(m_filePath));
    noteProblem({FileProblem::Kind::notSaving, m_filePath,
                 QStringLiteral("%1, and it could not be set aside").arg(why), {}});
}

void Defaults::noteProblem(FileProblem problem)
{
    {
        QWriteLocker lock(&m_lock);
        if (m_fileProblems.contains(problem))
            return;
        m_fileProblems.append(std::move(problem));
    }
    Q_EMIT fileProblemFound();
}

std::optional<Defaults::FileProblem> Defaults::fileProblem() const
{
    QReadLocker lock(&m_lock);
    if (m_fileProblems.isEmpty())
        return std::nullopt;
    return m_fileProblems.first();
}

QList<Defaults::FileProblem> Defaults::fileProblems() const
{
    QReadLocker lock(&m_lock);
    return m_fileProblems;
}

QVariant Defaults::object(const QString& key) const
{
    QReadLocker lock(&m_lock);
    auto it = m_user.constFind(key);
    if (it != m_user.cend())
        return *it;
    return m_registered.value(key);
}

bool Defaults::hasUserValue(const QString& key) const
{
    QReadLocker lock(&m_lock);
    return m_user.contains(key);
}

std::optional<QString> Defaults::string(const QString& key) const
{
    return ofType<QString>(object(key), QMetaType::QString);
}

std::optional<bool> Defaults::boolean(const QString& key) const
{
    return ofType<bool>(object(key), QMetaType::Bool);
}

std::optional<qint64> Defaults::integer(const QString& key) const
{
    const QVariant v = object(key);
    if (isIntegerType(v))
        return v.toLongLong();
    return std::nullopt;
}

std::optional<qint64> Defaults::integerValue(const QString& key) const
{
    const QVariant v = object(key);
    if (isIntegerType(v))
        return v.toLongLong();
    auto fromReal = [](double d) -> qint64 {
        if (std::isnan(d))
            return 0;
        if (d >= 9223372036854775808.0)
            return std::numeric_limits<qint64>::max();
        if (d < -9223372036854775808.0)
            return std::numeric_limits<qint64>::min();
        return static_cast<qint64>(d);
    };
    switch (v.typeId()) {
    case QMetaType::ULongLong: return std::numeric_limits<qint64>::max(); // only kept above the signed range
    case QMetaType::Double: return fromReal(v.toDouble());
    case QMetaType::Bool: return v.toBool() ? 1 : 0;
    case QMetaType::QString: {
        // Leading white space, an optional sign, then digits (and a fraction,
        // which is dropped); text without a leading number reads as 0.
        const QString text = v.toString().trimmed();
        qsizetype end = 0;
        if (end < text.size() && (text[end] == u'+' || text[end] == u'-'))
            ++end;
        while (end < text.size() && (text[end].isDigit() || text[end] == u'.'))
            ++end;
        bool ok = false;
        const double d = text.left(end).toDouble(&ok);
        return ok ? fromReal(d) : 0;
    }
    default: return std::nullopt;
    }
}

std::optional<double> Defaults::real(const QString& key) const
{
    const QVariant v = object(key);
    double d;
    if (v.typeId() == QMetaType::Double)
        d = v.toDouble();
    else if (isIntegerType(v))
        d = double(v.toLongLong());
    else if (v.typeId() == QMetaType::ULongLong)
        d = double(v.toULongLong());
    else
        return std::nullopt;
    if (!std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<QByteArray> Defaults::data(const QString& key) const
{
    return ofType<QByteArray>(object(key), QMetaType::QByteArray);
}

std::optional<QDateTime> Defaults::date(const QString& key) const
{
    return ofType<QDateTime>(object(key), QMetaType::QDateTime);
}

std::optional<QVariantList> Defaults::array(const QString& key) const
{
    return ofType<QVariantList>(object(key), QMetaType::QVariantList);
}

std::optional<QVariantMap> Defaults::dict(const QString& key) const
{
    return ofType<QVariantMap>(object(key), QMetaType::QVariantMap);
}

void Defaults::set(const QString& key, const QVariant& value)
{
    const QVariant normal = value.isValid() ? PropertyList::normalized(value) : QVariant();
    if (!normal.isValid()) {
        remove(key);
        return;
    }
    {
        QWriteLocker lock(&m_lock);
        auto it = m_user.find(key);
        if (it != m_user.end() && sameValue(*it, normal))
            return;
        m_user.insert(key, normal);
        m_dirty = true;
    }
    scheduleSave();
    Q_EMIT changed(key);
}

void Defaults::remove(const QString& key)
{
    {
        QWriteLocker lock(&m_lock);
        if (m_user.remove(key) == 0)
            return;
        m_dirty = true;
    }
    scheduleSave();
    Q_EMIT changed(key);
}

bool Defaults::replaceUserValues(const std::function<bool(const QString&)>& within, const QVariantMap& values, Fit fit)
{
    auto differs = [](const QVariant& a, const QVariant& b) { return !sameValue(a, b); };
    QStringList changedKeys;
    bool userChanged = false;
    {
        QWriteLocker lock(&m_lock);
        // Both maps are in key order: one merge walk builds the new domain and
        // finds the keys whose effective value changes.
        QVariantMap next;
        auto old = m_user.cbegin();
        auto add = values.cbegin();
        auto registered = [this](const QString& key) { return m_registered.value(key); };
        // An old value with no new one: removed when the key is within, else kept.
        const auto dropOrKeep = [&](auto it) {
            if (within(it.key())) {
                userChanged = true;
                if (differs(it.value(), registered(it.key())))
                    changedKeys.append(it.key());
            } else {
                next.insert(next.cend(), it.key(), it.value());
            }
        };
        while (old != m_user.cend() || add != values.cend()) {
            const bool takeOld = add == values.cend() || (old != m_user.cend() && old.key() < add.key());
            const bool same = !takeOld && old != m_user.cend() && old.key() == add.key();
            if (takeOld) {
                dropOrKeep(old);
                ++old;
                continue;
            }
            const QVariant normal = add.value().isValid() && within(add.key())
                ? PropertyList::normalized(add.value())
                : QVariant();
            if (normal.isValid()) {
                const QVariant& before = same ? old.value() : registered(add.key());
                if (differs(normal, before))
                    changedKeys.append(add.key());
                if (!same || differs(normal, old.value()))
                    userChanged = true;
                next.insert(next.cend(), add.key(), normal);
            } else if (same) {
                // A value not taken: the key is still removed when it is within.
                dropOrKeep(old);
            }
            if (same)
                ++old;
            ++add;
        }
        if (userChanged && fit == Fit::withinFile && PropertyList::toXml(next).size() > maxFileBytes)
            return false;
        if (userChanged) {
            m_dirty = true;
            m_user = std::move(next);
        }
    }
    if (userChanged)
        scheduleSave();
    for (const QString& key : std::as_const(changedKeys))
        Q_EMIT changed(key);
    return true;
}

void Defaults::registerDefaults(const QVariantMap& values)
{
    QStringList changedKeys;
    {
        QWriteLocker lock(&m_lock);
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const QVariant normal = PropertyList::normalized(it.value());
            if (!normal.isValid())
                continue;
            const QVariant before = m_registered.value(it.key());
            m_registered.insert(it.key(), normal);
            if (!m_user.contains(it.key()) && !sameValue(before, normal))
                changedKeys.append(it.key());
        }
    }
    for (const QString& key : changedKeys)
        Q_EMIT changed(key);
}

QVariantMap Defaults::dictionaryRepresentation() const
{
    QReadLocker lock(&m_lock);
    QVariantMap all = m_registered;
    for (auto it = m_user.cbegin(); it != m_user.cend(); ++it)
        all.insert(it.key(), it.value());
    return all;
}

QVariantMap Defaults::userValues() const
{
    QReadLocker lock(&m_lock);
    return m_user;
}

void Defaults::scheduleSave()
{
    if (m_filePath.isEmpty())
        return;
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { scheduleSave(); }, Qt::QueuedConnection);
        return;
    }
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

bool Defaults::flush()
{
    if (m_filePath.isEmpty())
        return true;
    QByteArray xml;
    {
        QWriteLocker lock(&m_lock);
        if (m_savingStopped || !m_dirty)
            return true;
        if (m_saveBlocked) {
            m_lastSaveError = QStringLiteral("the settings file %1 could not be read, so it is not overwritten").arg(m_filePath);
            logError(lcDefaults, "defaults: not saving over an unreadable file path=%s", qUtf8Printable(m_filePath));
            return false;
        }
        xml = PropertyList::toXml(m_user);
        // A file the store would refuse at the next start is never written.
        if (xml.size() <= maxFileBytes)
            m_dirty = false;
    }
    QString reason;
    if (xml.size() > maxFileBytes) {
        reason = tooLargeToSave(xml.size());
    } else {
        QDir().mkpath(QFileInfo(m_filePath).absolutePath());
        if (const int code = writeAtomically(saveDestination(), xml); code != 0) {
            reason = QString::fromLocal8Bit(std::strerror(code));
            QWriteLocker lock(&m_lock);
            m_dirty = true;
        }
    }
    if (!reason.isEmpty()) {
        logError(lcDefaults, "defaults: save failed path=%s error=%s", qUtf8Printable(m_filePath),
                 qUtf8Printable(reason));
        {
            QWriteLocker lock(&m_lock);
            m_lastSaveError = reason;
        }
        noteProblem({FileProblem::Kind::notSaving,
                     m_filePath,
                     xml.size() > maxFileBytes ? reason : QStringLiteral("it cannot be saved (%1)").arg(reason),
                     {}});
        return false;
    }
    {
        QWriteLocker lock(&m_lock);
        m_lastSaveError.clear();
    }
    if (m_saveTimer.isActive() && QThread::currentThread() == thread())
        m_saveTimer.stop();
    return true;
}

QString Defaults::lastSaveError() const
{
    QReadLocker lock(&m_lock);
    return m_lastSaveError;
}

void Defaults::stopSaving()
{
    {
        QWriteLocker lock(&m_lock);
        if (m_savingStopped)
            return;
        m_savingStopped = true;
    }
    if (QThread::currentThread() == thread())
        m_saveTimer.stop();
    logInfo(lcDefaults, "defaults: saving stopped path=%s", qUtf8Printable(m_filePath));
}

bool Defaults::isSavingStopped() const
{
    QReadLocker lock(&m_lock);
    return m_savingStopped;
}

} // namespace gaugelet
