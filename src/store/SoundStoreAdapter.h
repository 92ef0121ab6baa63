#pragma once

#include "store/StoreBundleAdapter.h"

namespace gaugelet {

// The adapter of sound packs: installing a pack registers each of its sounds
// with the alarm sound registry, uninstalling unregisters the pack, and the
// preview plays the pack's first sound. Main thread only.
class SoundStoreAdapter : public StoreBundleAdapter {
    Q_OBJECT

public:
    explicit SoundStoreAdapter(QSet<BundleManifest::BundleType> supportedTypes, QObject* parent = nullptr);

    QSet<BundleManifest::BundleType> supportedTypes() const override { return m_supportedTypes; }
    std::optional<QString> install(const BundleManifest& manifest, const QString& directory) override;
    void uninstall(const BundleManifest& manifest) override;
    std::optional<StorePreview> preview(const BundleManifest& manifest,
                                        const QHash<QString, QByteArray>& files) override;

private:
    const QSet<BundleManifest::BundleType> m_supportedTypes;
};

} // namespace gaugelet
