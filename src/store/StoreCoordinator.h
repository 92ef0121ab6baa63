#pragma once

#include "schema/SettingsSchema.h"
#include "store/BundleInstaller.h"
#include "store/InstalledBundleRegistry.h"
#include "store/StoreBundleAdapter.h"
#include "store/StoreClient.h"
#include "store/StoreItem.h"
#include "store/StorePreview.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include <QCoro/QCoroTask>

namespace gaugelet {

// The content store's one model object: lists the catalogue through the store
// client and builds the rows' previews, installs an item (fetch, verify,
// unpack, make live), removes installed bundles, makes every installed bundle
// live at start and seeds the bundles that ship with the program. Publishes
// what the store tab shows. Main thread only.
class StoreCoordinator : public QObject {
    Q_OBJECT

public:
    static constexpr double newWindowSeconds = 1'209'600.0;  // 14 days
    static constexpr double assetCacheMaxAge = 2'592'000.0;  // 30 days

    // Adapters in their fixed order (the runner adapter, then the sound adapter).
    StoreCoordinator(InstalledBundleRegistry* bundles, BundleInstaller* installer, StoreClient* client,
                     QList<StoreBundleAdapter*> adapters, QObject* parent = nullptr);

    // The catalogue ids of adult content; a client flags exactly these items.
    static const QSet<QString>& adultContentIds();

    const QList<StoreItem>& available() const { return m_available; }
    // The ids of the installs now running, in the order they started; each
    // store row shows its own progress from it.
    const QStringList& inflightInstallIds() const { return m_inflightInstallIds; }
    bool isInstalling(const QString& itemId) const { return m_inflightInstallIds.contains(itemId); }
    // The install started last that is still running.
    std::optional<QString> inflightInstallId() const;
    const std::optional<QString>& lastError() const { return m_lastError; }
    InstalledBundleRegistry* bundles() const { return m_bundles; }

    // Lists the catalogue, builds missing previews one by one, publishes the
    // list and starts pruning the asset cache in the background.
    QCoro::Task<void> refresh();
    // The cached preview of an item, if one was built.
    std::optional<StorePreview> preview(const StoreItem& item) const;
    // Not marked seen and released less than 14 days ago.
    bool isNew(const StoreItem& item) const;
    // Fetches, installs and activates; a failure goes to lastError. An install
    // of an item already in flight is refused (the running one goes on).
    QCoro::Task<void> install(StoreItem item);
    // Withdraws and deletes an installed bundle; built-in bundles stay.
    void remove(const QString& bundleId);
    // True for a bundle that seeding installed from the program's resources
    // (recorded under SettingsSchema::builtInBundles). A free bundle from the store is not
    // built-in: it can be removed and is never withdrawn at launch.
    static bool isBuiltIn(const QString& bundleId);
    // Installs every shipped bundle not installed yet and withdraws installed
    // built-in bundles that no longer ship. A shipped bundle that cannot be
    // installed is told in a desktop notification, once a run.
    QCoro::Task<void> seedBuiltInBundles();
    // Makes one installed bundle live through the first adapter of its type.
    void activate(const BundleManifest& manifest);

Q_SIGNALS:
    // Before any published value changes, and whenever the installed list changes.
    void objectWillChange();
    void availableChanged();
    void inflightInstallIdChanged();
    void lastErrorChanged();
    // The background pruning of the asset cache has finished.
    void assetCacheCollected();

private:
    struct ShippedBundle {
        BundleManifest manifest;
        QByteArray bytes;
    };
    // The shipped archives among names that verify, each failure logged. Any thread.
    static QList<ShippedBundle> readShippedBundles(const QString& dir, const QStringList& names);
    QCoro::Task<std::optional<StorePreview>> buildPreview(StoreItem item);
    void setAvailable(QList<StoreItem> items);
    void setInstalling(const QString& itemId, bool running);
    void setLastError(std::optional<QString> text);
    void uninstallEverywhere(const BundleManifest& manifest);
    // Withdraws the installed built-in bundles that are not among shippedIds
    // and forgets the recorded ids of those no longer installed.
    void withdrawUnshipped(const QSet<QString>& shippedIds);
    // A desktop notification with the text of a shipped bundle's failed
    // install, the first in this run only.
    void tellSeedingFailed(const QString& text);

    QList<StoreItem> m_available;
    QStringList m_inflightInstallIds;
    std::optional<QString> m_lastError;
    QPointer<InstalledBundleRegistry> m_bundles;
    QPointer<BundleInstaller> m_installer;
    QPointer<StoreClient> m_client;
    QList<QPointer<StoreBundleAdapter>> m_adapters;
    QMetaObject::Connection m_bundlesSubscription;
    QHash<QString, StorePreview> m_previewCache;
    bool m_toldSeedingFailure = false;
};

} // namespace gaugelet
