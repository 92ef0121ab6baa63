#include "store/RunnerStoreAdapter.h"

#include "menubar/RunnerKind.h"
#include "menubar/RunnerVisualizer.h"
#include "platform/core/MainThread.h"

#include <map>

namespace gaugelet {

RunnerStoreAdapter::RunnerStoreAdapter(QSet<BundleManifest::BundleType> supportedTypes,
                                       VisualizerRegistry* visualizers, QObject* parent)
    : StoreBundleAdapter(parent)
    , m_supportedTypes(std::move(supportedTypes))
    , m_visualizers(visualizers)
{
}

QList<RunnerKind> RunnerStoreAdapter::kinds(const BundleManifest& manifest, const QString& bundleFolder)
{
    if (manifest.type != BundleManifest::BundleType::runnerSprite)
        return {};
    return RunnerKind::kinds(RunnerSprites{manifest.id, manifest.displayName, manifest.sprite, manifest.sprites},
                             bundleFolder);
}

std::optional<QString> RunnerStoreAdapter::install(const BundleManifest& manifest, const QString& directory)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const QList<RunnerKind> kinds = RunnerStoreAdapter::kinds(manifest, directory);
    if (kinds.isEmpty() || !m_visualizers)
        return std::nullopt;
    for (const RunnerKind& kind : kinds)
        m_visualizers->add(std::make_shared<RunnerVisualizer>(kind));
    return manifest.id;
}

void RunnerStoreAdapter::uninstall(const BundleManifest& manifest)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (manifest.type != BundleManifest::BundleType::runnerSprite || !m_visualizers)
        return;
    QStringList ids;
    if (manifest.sprites) {
        for (const BundleManifest::SpritePayload& entry : *manifest.sprites)
            if (entry.id)
                ids.append(*entry.id);
    } else {
        ids.append(manifest.id);
    }
    for (const QString& id : ids)
        m_visualizers->remove(QString(RunnerVisualizer::idPrefix + id));
}

QList<QImage> RunnerStoreAdapter::previewFrames(const BundleManifest::SpritePayload& sprite,
                                                const QHash<QString, QByteArray>& files)
{
    std::map<qint64, const QByteArray*> found;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (auto index = RunnerKind::frameIndex(it.key(), sprite.framePrefix, sprite.frameCount))
            found.emplace(*index, &it.value());
    QList<QImage> frames;
    for (const auto& [index, bytes] : found) {
        QImage image = QImage::fromData(*bytes);
        if (!image.isNull())
            frames.append(std::move(image));
    }
    return frames;
}

std::optional<StorePreview> RunnerStoreAdapter::preview(const BundleManifest& manifest,
                                                        const QHash<QString, QByteArray>& files)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (manifest.type != BundleManifest::BundleType::runnerSprite || !manifest.sprite)
        return std::nullopt;
    QList<QImage> frames = previewFrames(*manifest.sprite, files);
    if (frames.isEmpty())
        return std::nullopt;
    return StorePreview(QStringLiteral("RunnerSpritePreview"),
                        StorePreview::RunnerSprite{std::move(frames), previewCycleDuration});
}

} // namespace gaugelet
