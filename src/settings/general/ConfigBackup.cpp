#include "settings/general/ConfigBackup.h"

#include "platform/core/Defaults.h"
#include "platform/core/FileSystem.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/Log.h"
#include "platform/core/MainThread.h"
#include "platform/core/PropertyList.h"
#include "platform/core/WallClock.h"
#include "schema/SettingsSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <cstring>

namespace gaugelet {

namespace {

GAUGELET_DEFINE_LOG(lcConfigBackup, "config-backup")

static_assert(ConfigBackup::maxFileSize > Defaults::maxFileBytes,
              "a backup of any settings file the store reads must load again");

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

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

ConfigBackup::Error tooLargeError(const QString& fileName)
{
    return {std::nullopt, QStringLiteral("The file “%1” is too large to be a Gaugelet settings backup (the limit is %2 MB).")
                              .arg(fileName, megabytes(ConfigBackup::maxFileSize))};
}

// The bytes of a regular file (a link is followed) of at most maxFileSize
// bytes. A folder, a FIFO, a device or a larger file is refused, each with its
// own reason, before anything is read (and without blocking on a FIFO).
Result<QByteArray, ConfigBackup::Error> readBackupFile(const QString& path)
{
    auto bytes = FileSystem::readFile(path, ConfigBackup::maxFileSize, FileSystem::Links::follow);
    if (bytes)
        return std::move(bytes).value();
    const QString name = QFileInfo(path).fileName();
    switch (bytes.error().code) {
    case EFBIG:
        return fail(tooLargeError(name));
    case EISDIR:
        return fail(ConfigBackup::Error{std::nullopt,
                                        QStringLiteral("“%1” is a folder, not a Gaugelet settings backup.").arg(name)});
    case EINVAL:
        return fail(ConfigBackup::Error{
            std::nullopt, QStringLiteral("The file “%1” is not a regular file and cannot be loaded.").arg(name)});
    default:
        return fail(readError(path, bytes.error().code));
    }
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
    return SettingsSchema::isCarriedByBackup(key);
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
    if (xml.size() > maxFileSize) {
        return fail(Error{std::nullopt, QStringLiteral("The settings are too large to save as a backup "
                                                       "(%1 MB; the limit is %2 MB).")
                                            .arg(megabytes(xml.size()), megabytes(maxFileSize))});
    }
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
        return fail(tooLargeError(fileName));
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
    // The settings must still fit the file the store reads back at the next
    // start; a backup within maxFileSize may not, with the store's own keys.
    if (!defaults.replaceUserValues(isCarried, entries, Defaults::Fit::withinFile)) {
        return fail(
            Error{std::nullopt, QStringLiteral("The settings in “%1” are too large to load: with them, the settings "
                                               "file would be larger than the %2 MB Gaugelet can read.")
                                    .arg(fileName, megabytes(Defaults::maxFileBytes))});
    }
    logInfo(lcConfigBackup, "restored %ld keys from %s", long(entries.size()), qUtf8Printable(fileName));
    return {};
}

} // namespace gaugelet
