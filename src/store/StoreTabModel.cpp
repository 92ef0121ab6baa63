#include "store/StoreTabModel.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "store/InstalledBundleRegistry.h"
#include "store/StoreCoordinator.h"
#include "store/StoreLog.h"

#include <QSet>

namespace gaugelet {

StoreTabModel::StoreTabModel(StoreCoordinator* store, QObject* parent) : QObject(parent), m_store(store)
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

QList<StoreItem> StoreTabModel::uniqueItems(const QList<StoreItem>& items, QStringList* duplicates)
{
    QList<StoreItem> unique;
    unique.reserve(items.size());
    QSet<QString> seen;
    for (const StoreItem& item : items) {
        if (seen.contains(item.id)) {
            if (duplicates && !duplicates->contains(item.id))
                duplicates->append(item.id);
            continue;
        }
        seen.insert(item.id);
        unique.append(item);
    }
    return unique;
}

QList<StoreItem> StoreTabModel::installableItems(const QList<StoreItem>& items, const QList<BundleManifest>& installed)
{
    QSet<QString> installedIds;
    for (const BundleManifest& manifest : installed)
        installedIds.insert(manifest.id);
    QList<StoreItem> installable;
    for (const StoreItem& item : items) {
        if (!installedIds.contains(item.id))
            installable.append(item);
    }
    return installable;
}

void StoreTabModel::load(std::function<bool()> stillShown)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_didLoad || m_loading || !m_store)
        return;
    m_loading = true;
    auto running = firstLoad(std::move(stillShown));
    (void)running;
}

QCoro::Task<void> StoreTabModel::firstLoad(std::function<bool()> stillShown)
{
    QPointer<StoreTabModel> self(this);
    QPointer<StoreCoordinator> store(m_store);
    co_await store->refresh();
    // The tab went while the catalogue loaded: nothing is marked seen.
    if (!self)
        co_return;
    m_loading = false;
    if (!store || !stillShown())
        co_return;
    Q_EMIT rowsBeforeMarks();
    m_didLoad = true;
    if (Defaults* defaults = Defaults::standard()) {
        for (const StoreItem& item : store->available())
            defaults->set(SettingsSchema::storeSeen.key(item.id), true);
    }
    Q_EMIT loaded();
}

StoreTabModel::Catalogue StoreTabModel::catalogue()
{
    const QList<StoreItem> available = m_store ? m_store->available() : QList<StoreItem>();
    QStringList duplicates;
    const QList<StoreItem> listed = uniqueItems(available, &duplicates);
    if (!duplicates.isEmpty() && available != m_loggedDuplicatesFor) {
        m_loggedDuplicatesFor = available;
        for (const QString& id : std::as_const(duplicates))
            logWarning(lcStoreCatalogue, "catalogue lists %s more than once; the store shows its first entry",
                       qUtf8Printable(id));
    }
    Catalogue catalogue;
    catalogue.items = installableItems(listed, m_store && m_store->bundles() ? m_store->bundles()->installed()
                                                                             : QList<BundleManifest>());
    if (!available.isEmpty()) {
        catalogue.header = tr("Available");
        if (catalogue.items.isEmpty())
            catalogue.line = tr("All caught up: every Store bundle is installed.");
        catalogue.shown = true;
    } else if (m_didLoad) {
        catalogue.line = tr("No bundles available right now.");
        catalogue.shown = true;
    }
    return catalogue;
}

QList<BundleManifest> StoreTabModel::installed() const
{
    const QList<BundleManifest> all =
        m_store && m_store->bundles() ? m_store->bundles()->installed() : QList<BundleManifest>();
    QList<BundleManifest> unique;
    QSet<QString> ids;
    for (const BundleManifest& manifest : all) {
        if (ids.contains(manifest.id))
            continue;
        ids.insert(manifest.id);
        unique.append(manifest);
    }
    return unique;
}

std::optional<QString> StoreTabModel::error() const
{
    return m_store ? m_store->lastError() : std::nullopt;
}

} // namespace gaugelet
