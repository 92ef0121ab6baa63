#pragma once

#include "menubar/RunnerKind.h"
#include "menubar/VisualizerRegistry.h"
#include "store/StoreBundleAdapter.h"

#include <QImage>
#include <QList>
#include <QPointer>

namespace gaugelet {

// The adapter of runner-sprite bundles: installing a bundle turns each sprite
// kind it carries into a runner visualizer in the visualizer registry (in
// place of one with the same id, else at the end), uninstalling takes them out
// again, and the preview plays the bundle's single sprite in its store row.
// Pins that name a withdrawn visualizer stay. Main thread only.
class RunnerStoreAdapter : public StoreBundleAdapter {
    Q_OBJECT

public:
    RunnerStoreAdapter(QSet<BundleManifest::BundleType> supportedTypes, VisualizerRegistry* visualizers,
                       QObject* parent = nullptr);

    QSet<BundleManifest::BundleType> supportedTypes() const override { return m_supportedTypes; }
    VisualizerRegistry* visualizers() const { return m_visualizers.data(); }

    std::optional<QString> install(const BundleManifest& manifest, const QString& directory) override;
    void uninstall(const BundleManifest& manifest) override;
    std::optional<StorePreview> preview(const BundleManifest& manifest,
                                        const QHash<QString, QByteArray>& files) override;

    // The runner kinds a bundle carries (see RunnerKind::kinds); none for a
    // bundle of another type.
    static QList<RunnerKind> kinds(const BundleManifest& manifest, const QString& bundleFolder);

    // Seconds of one cycle of a store preview.
    static constexpr double previewCycleDuration = 1.0;

    // The decodable frames of the single sprite among the archive's files, in
    // frame order. The files are walked once, so the work follows the archive
    // and not the manifest's frame count.
    static QList<QImage> previewFrames(const BundleManifest::SpritePayload& sprite,
                                       const QHash<QString, QByteArray>& files);

private:
    const QSet<BundleManifest::BundleType> m_supportedTypes;
    QPointer<VisualizerRegistry> m_visualizers;
};

} // namespace gaugelet
