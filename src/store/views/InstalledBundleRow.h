#pragma once

#include "store/BundleManifest.h"

#include <QPointer>
#include <QWidget>

namespace gaugelet {

class StoreCoordinator;

// One installed bundle of the store tab: the green seal, name, author, id and
// its verification line, and "Remove" for a bundle that was bought (built-in
// bundles stay).
class InstalledBundleRow : public QWidget {
    Q_OBJECT

public:
    InstalledBundleRow(BundleManifest manifest, StoreCoordinator* store, QWidget* parent = nullptr);

    const BundleManifest& manifest() const { return m_manifest; }

    // "v3 · signature verified", or for a built-in (free) bundle
    // "Free · built-in · signature verified".
    static QString verificationText(const BundleManifest& manifest);

    // Its pieces are named children, for tests and screenshots: "seal",
    // "name", "author", "id", "verification" and, but for a built-in bundle,
    // "remove".

private:
    BundleManifest m_manifest;
    QPointer<StoreCoordinator> m_store;
};

} // namespace gaugelet
