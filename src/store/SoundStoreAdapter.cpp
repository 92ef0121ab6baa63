#include "store/SoundStoreAdapter.h"

#include "alarms/SoundRegistry.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "store/ZipReader.h"

#include <QUrl>

namespace gaugelet {

SoundStoreAdapter::SoundStoreAdapter(QSet<BundleManifest::BundleType> supportedTypes, QObject* parent)
    : StoreBundleAdapter(parent), m_supportedTypes(std::move(supportedTypes))
{
}

std::optional<QString> SoundStoreAdapter::install(const BundleManifest& manifest, const QString& directory)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (manifest.type != BundleManifest::BundleType::soundPack || !manifest.sound)
        return std::nullopt;
    for (const auto& entry : manifest.sound->entries) {
        // A name that could lead out of the bundle folder ("../x", "/etc/x")
        // is treated like a missing file: only files inside the verified
        // folder are ever played.
        if (!ZipReader::validatePath(entry.assetFile))
            continue;
        const QString path = directory + QLatin1Char('/') + entry.assetFile;
        if (FileSystem::entryKind(path) != FileSystem::EntryKind::regularFile)
            continue;
        SoundRegistry::registerInstalled(SoundRegistry::Sound{entry.id, entry.displayName, QUrl::fromLocalFile(path),
                                                              SoundRegistry::Sound::Source::installed(manifest.id)});
    }
    return manifest.id;
}

void SoundStoreAdapter::uninstall(const BundleManifest& manifest)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (manifest.type == BundleManifest::BundleType::soundPack)
        SoundRegistry::unregisterPack(manifest.id);
}

std::optional<StorePreview> SoundStoreAdapter::preview(const BundleManifest& manifest,
                                                       const QHash<QString, QByteArray>& files)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (manifest.type != BundleManifest::BundleType::soundPack || !manifest.sound || manifest.sound->entries.isEmpty()
        || files.isEmpty())
        return std::nullopt;
    const auto& first = manifest.sound->entries.first();
    const auto found = files.constFind(first.assetFile);
    if (found == files.constEnd())
        return std::nullopt;
    return StorePreview(QStringLiteral("SoundPackPreview"), StorePreview::SoundPack{first.displayName, found.value()});
}

} // namespace gaugelet
