#include "settings/ConfigBackup.h"

#include "platform/core/Defaults.h"
#include "platform/core/FileSystem.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/Log.h"
#include "platform/core/MainThread.h"
#include "platform/core/PropertyList.h"
#include "platform/core/WallClock.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gaugelet {

namespace {

GAUGELET_DEFINE_LOG(lcConfigBackup, "config-backup")

const QSet<QString>& carriedKeys()
{
    static const QSet<QString> keys{QStringLiteral("pinnedSlots")};
    return keys;
}

constexpr QStringView carriedPrefixes[] = {
    u"global.", u"provider.", u"visualizer.", u"tag.", u"store.seen.", u"migration.",
};

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

ConfigBackup::Error malformedError()
{
    return {ConfigBackup::ImportError::malformed(), {}};
}

ConfigBackup::Error readError(const QString& path, int code)
{
    return {std::nullopt, QStringLiteral("The file “%1” could not be read: %2.")
                              .arg(QFileInfo(path).fileName(), systemText(code))};
}

// The bytes of a regular file of at most maxFileSize bytes. A link, a folder,
// a FIFO, a device or a larger file is malformed, found out before anything
// is read (and without blocking on a FIFO or a device).
Result<QByteArray, ConfigBackup::Error> readBackupFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return fail(readError(path, errno));
    if (!S_ISREG(st.st_mode) || st.st_size > ConfigBackup::maxFileSize)
        return fail(malformedError());
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ELOOP)
            return fail(malformedError());
        return fail(readError(path, errno));
    }
    // The name may have been swapped for something else since the look above.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > ConfigBackup::maxFileSize) {
        ::close(fd);
        return fail(malformedError());
    }
    QByteArray bytes;
    bytes.resize(qsizetype(ConfigBackup::maxFileSize) + 1);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            return fail(readError(path, code));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got > ConfigBackup::maxFileSize) // it grew while being read
        return fail(malformedError());
    bytes.truncate(got);
    return bytes;
}

} // namespace

QString ConfigBackup::ImportError::describe() const
{
    switch (kind) {
    case Kind::incompatibleVersion:
        return QStringLiteral("Backup file version %1 cannot be loaded by this build (expects %2).")
            .arg(found)
            .arg(expected);
    case Kind::malformed:
        return QStringLiteral("File is not a valid Gaugelet settings backup.");
    }
    return {};
}

QString ConfigBackup::Error::describe() const
{
    return importError ? importError->describe() : systemDescription;
}

bool ConfigBackup::isCarried(const QString& key)
{
    if (carriedKeys().contains(key))
        return true;
    for (QStringView prefix : carriedPrefixes) {
        if (key.startsWith(prefix))
            return true;
    }
    return false;
}

void ConfigBackup::removeCarriedKeys(Defaults& defaults)
{
    QStringList carried;
    const QVariantMap all = defaults.dictionaryRepresentation();
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (isCarried(it.key()))
            carried.append(it.key());
    }
    for (const QString& key : carried)
        defaults.remove(key);
}

Result<void, ConfigBackup::Error> ConfigBackup::exportTo(Defaults& defaults, const QString& path)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QVariantMap values;
    const QVariantMap all = defaults.dictionaryRepresentation();
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        if (isCarried(it.key()))
            values.insert(it.key(), it.value());
    }
    const QVariantMap root{
        {QStringLiteral("version"), currentVersion},
        {QStringLiteral("exportedAt"), WallClock::now()},
        {QStringLiteral("appVersion"),
         InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(QStringLiteral("0"))},
        {QStringLiteral("values"), values},
    };
    const QByteArray xml = PropertyList::toXml(root);
    auto written = FileSystem::writeFileAtomically(path, xml);
    if (!written) {
        return fail(Error{std::nullopt, QStringLiteral("The file “%1” could not be saved: %2.")
                                            .arg(QFileInfo(path).fileName(), systemText(written.error().code))});
    }
    logInfo(lcConfigBackup, "exported settings to %s", qUtf8Printable(QFileInfo(path).fileName()));
    return {};
}

Result<void, ConfigBackup::Error> ConfigBackup::importFrom(const QString& path, Defaults& defaults)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto bytes = readBackupFile(path);
    if (!bytes)
        return fail(bytes.error());
    return importData(*bytes, QFileInfo(path).fileName(), defaults);
}

Result<void, ConfigBackup::Error> ConfigBackup::importData(const QByteArray& bytes, const QString& fileName,
                                                           Defaults& defaults)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (bytes.size() > maxFileSize)
        return fail(malformedError());
    auto parsed = PropertyList::fromData(bytes);
    if (!parsed) {
        return fail(Error{std::nullopt, QStringLiteral("The file “%1” could not be read as a property list: %2.")
                                            .arg(fileName, parsed.error().describe())});
    }
    if (parsed->typeId() != QMetaType::QVariantMap)
        return fail(malformedError());
    const QVariantMap root = parsed->toMap();
    const auto version = root.constFind(QStringLiteral("version"));
    if (version == root.cend() || version->typeId() != QMetaType::LongLong)
        return fail(malformedError());
    const auto values = root.constFind(QStringLiteral("values"));
    if (values == root.cend() || values->typeId() != QMetaType::QVariantMap)
        return fail(malformedError());
    if (version->toLongLong() != currentVersion)
        return fail(Error{ImportError::incompatibleVersion(version->toLongLong(), currentVersion), {}});

    // Only now is anything changed: every failure above leaves the store as
    // it was. The carried keys are removed and the file's stored in one step,
    // so views see one change per key whose value really changed.
    const QVariantMap entries = values->toMap();
    defaults.replaceUserValues(isCarried, entries);
    logInfo(lcConfigBackup, "restored %ld keys from %s", long(entries.size()), qUtf8Printable(fileName));
    return {};
}

} // namespace gaugelet
