#include "store/StoreAssetCache.h"

#include "platform/core/Resources.h"
#include "platform/core/WallClock.h"
#include "platform/core/XdgPaths.h"
#include "store/BundleVerifier.h"
#include "store/StoreLog.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <limits>

namespace gaugelet {

StoreAssetCache StoreAssetCache::defaultCache()
{
    return StoreAssetCache{XdgPaths::cachesDir() + QStringLiteral("/dev.gaugelet.app/store")};
}

std::optional<QString> StoreAssetCache::bundledDirectory()
{
    const QString resources = Resources::dir();
    if (resources.isEmpty())
        return std::nullopt;
    const QString dir = resources + QStringLiteral("/StoreAssets");
    if (FileSystem::entryKind(dir) == FileSystem::EntryKind::missing)
        return std::nullopt;
    return dir;
}

bool StoreAssetCache::isCacheableName(const QString& name)
{
    // The same rule that lets a bundle id name a folder of its own.
    return BundleVerifier::isSafeBundleId(name);
}

std::optional<QByteArray> StoreAssetCache::read(const QString& name) const
{
    if (!isCacheableName(name))
        return std::nullopt;
    const QString path = rootURL + QLatin1Char('/') + name;
    if (FileSystem::entryKind(path) == FileSystem::EntryKind::missing) {
        logDebug(lcStoreCache, "cache_miss filename=%s", qUtf8Printable(name));
        return std::nullopt;
    }
    auto bytes = FileSystem::readFile(path);
    if (!bytes) {
        logError(lcStoreCache, "cache_read_failed filename=%s error=%s", qUtf8Printable(name),
                 qUtf8Printable(bytes.error().describe()));
        return std::nullopt;
    }
    logDebug(lcStoreCache, "cache_hit filename=%s bytes=%ld", qUtf8Printable(name), long(bytes->size()));
    return std::move(bytes).value();
}

Result<void, FileSystem::Error> StoreAssetCache::ensureDirectory() const
{
    if (FileSystem::entryKind(rootURL) != FileSystem::EntryKind::missing)
        return {};
    return FileSystem::makePath(rootURL);
}

Result<void, FileSystem::Error> StoreAssetCache::write(const QByteArray& bytes, const QString& name) const
{
    const QString path = rootURL + QLatin1Char('/') + name;
    if (!isCacheableName(name))
        return fail(FileSystem::Error{QStringLiteral("write"), path, EINVAL});
    if (auto made = ensureDirectory(); !made)
        return made;
    if (auto written = FileSystem::writeFileAtomically(path, bytes); !written)
        return written;
    logInfo(lcStoreCache, "cache_wrote filename=%s bytes=%ld", qUtf8Printable(name), long(bytes.size()));
    return {};
}

void StoreAssetCache::remove(const QString& name) const
{
    if (!isCacheableName(name))
        return;
    (void)FileSystem::removeTree(rootURL + QLatin1Char('/') + name);
}

void StoreAssetCache::gc(const QSet<QString>& referenced, double maxAgeSeconds) const
{
    if (FileSystem::entryKind(rootURL) == FileSystem::EntryKind::missing)
        return;
    const QDateTime now = WallClock::now();
    QDir dir(rootURL);
    if (!dir.isReadable())
        return;
    // Hidden entries (atomic-write temporaries among them) are left alone.
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Unsorted);
    long removed = 0, kept = 0;
    for (const QFileInfo& entry : entries) {
        if (referenced.contains(entry.fileName())) {
            ++kept;
            continue;
        }
        const QDateTime modified = entry.lastModified();
        const double age = modified.isValid() ? double(modified.msecsTo(now)) / 1000.0
                                              : std::numeric_limits<double>::infinity();
        if (age >= maxAgeSeconds) {
            (void)FileSystem::removeTree(entry.filePath());
            ++removed;
        } else {
            ++kept;
        }
    }
    logInfo(lcStoreCache, "gc removed=%ld kept=%ld ref_count=%ld", removed, kept, long(referenced.size()));
}

} // namespace gaugelet
