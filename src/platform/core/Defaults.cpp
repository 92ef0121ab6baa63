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
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>

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

// A save may write "<file>.XXXXXX" (six letters or digits) and rename it over
// the file. One interrupted in between leaves a complete temporary behind;
// nothing else ever writes such a name beside our settings file.
void removeStaleTemporaries(const QString& filePath)
{
    const QFileInfo info(filePath);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QDir dir = info.absoluteDir();
    const QStringList candidates = dir.entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : candidates) {
        const QStringView suffix = QStringView(name).mid(prefix.size());
        // Six random letters and digits; an all-lowercase suffix reads like a
        // word ("backup") that a person may have chosen, so it is spared.
        const bool ours = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
            return c.unicode() < 128 && c.isLetterOrNumber();
        }) && !std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLower(); });
        if (!ours)
            continue;
        if (QFile::remove(dir.filePath(name)))
            logInfo(lcDefaults, "defaults: removed an interrupted save path=%s", qUtf8Printable(dir.filePath(name)));
    }
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
        if (m_fileProblem)
            return;
        m_fileProblem = std::move(problem);
    }
    Q_EMIT fileProblemFound();
}

std::optional<Defaults::FileProblem> Defaults::fileProblem() const
{
    QReadLocker lock(&m_lock);
    return m_fileProblem;
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

void Defaults::replaceUserValues(const std::function<bool(const QString&)>& within, const QVariantMap& values)
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
        if (userChanged) {
            m_dirty = true;
            m_user = std::move(next);
        }
    }
    if (userChanged)
        scheduleSave();
    for (const QString& key : std::as_const(changedKeys))
        Q_EMIT changed(key);
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
        m_dirty = false;
    }
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        logError(lcDefaults, "defaults: save failed path=%s error=%s", qUtf8Printable(m_filePath),
                 qUtf8Printable(file.errorString()));
        {
            QWriteLocker lock(&m_lock);
            m_dirty = true;
            m_lastSaveError = file.errorString();
        }
        noteProblem({FileProblem::Kind::notSaving, m_filePath,
                     QStringLiteral("it cannot be saved (%1)").arg(file.errorString()), {}});
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
