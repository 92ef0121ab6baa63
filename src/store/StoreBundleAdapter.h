#pragma once

#include "store/BundleManifest.h"
#include "store/StorePreview.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <optional>

namespace gaugelet {

// The handler of one or more bundle types: makes an installed, verified
// bundle live, withdraws it again and draws its preview in the store. The
// coordinator keeps its adapters in a fixed order and calls them on the main
// thread; no member suspends.
class StoreBundleAdapter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~StoreBundleAdapter() override = default;

    // The bundle types handled; fixed at construction.
    virtual QSet<BundleManifest::BundleType> supportedTypes() const = 0;

    // Registers what the bundle in `directory` carries with the rest of the
    // program. Returns the manifest's id, or none when the manifest is not of
    // this adapter's kind or yields nothing to register.
    virtual std::optional<QString> install(const BundleManifest& manifest, const QString& directory) = 0;

    // Withdraws everything install registered for this manifest; harmless for
    // another type or a bundle that was never installed.
    virtual void uninstall(const BundleManifest& manifest) = 0;

    // A small view of the bundle for its store row, built only from the
    // verified archive's files (archive path -> bytes); none when the manifest
    // is not of this adapter's kind or the files it needs are missing.
    virtual std::optional<StorePreview> preview(const BundleManifest& manifest,
                                                const QHash<QString, QByteArray>& files) = 0;
};

} // namespace gaugelet
