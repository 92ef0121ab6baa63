#pragma once

#include "store/BundleManifest.h"

#include <QPointer>
#include <QWidget>

class QLabel;

namespace gaugelet {

class StoreActionButton;
class StoreCoordinator;
class StoreSymbolView;

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

    StoreSymbolView* seal() const { return m_seal; }
    QLabel* nameLabel() const { return m_name; }
    QLabel* authorLabel() const { return m_author; }
    QLabel* idLabel() const { return m_id; }
    QLabel* verificationLabel() const { return m_verification; }
    // None for a built-in bundle.
    StoreActionButton* removeButton() const { return m_remove; }

private:
    BundleManifest m_manifest;
    QPointer<StoreCoordinator> m_store;
    StoreSymbolView* m_seal = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_author = nullptr;
    QLabel* m_id = nullptr;
    QLabel* m_verification = nullptr;
    StoreActionButton* m_remove = nullptr;
};

} // namespace gaugelet
