#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Result.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <optional>

namespace gaugelet {

// Downloaded bundle archives on disk, one regular file per archive directly
// in the cache folder, named by the last path component of the address it
// came from; its modification time is the time of the last write. No index,
// no state in memory: the folder is the state. A plain value, usable from
// any thread; several instances share the one folder.
struct StoreAssetCache {
    // The cache folder.
    QString rootURL;

    // Caches/"dev.gaugelet.app"/"store" ($XDG_CACHE_HOME/dev.gaugelet.app/store).
    static StoreAssetCache defaultCache();
    // The application's shipped "StoreAssets" resource folder, or none.
    static std::optional<QString> bundledDirectory();

    // Whether a name may be a cache entry: one plain file name (not empty,
    // not "." or "..", no "/" or NUL, no leading "."), so an entry can never
    // be read or written outside the folder. Other names are never cached.
    static bool isCacheableName(const QString& name);

    // The entry's bytes, or none (missing, unreadable or not a cacheable name).
    std::optional<QByteArray> read(const QString& name) const;
    // Creates the folder when needed and replaces the entry atomically.
    Result<void, FileSystem::Error> write(const QByteArray& bytes, const QString& name) const;
    // Removes one entry (a cached archive found to be bad).
    void remove(const QString& name) const;
    // Removes every visible entry that is not referenced and is at least
    // maxAgeSeconds old (or of unknown age). Never fails.
    void gc(const QSet<QString>& referenced, double maxAgeSeconds) const;
    Result<void, FileSystem::Error> ensureDirectory() const;
};

} // namespace gaugelet
