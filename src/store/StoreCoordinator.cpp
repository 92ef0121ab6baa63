#include "store/StoreCoordinator.h"

#include "platform/core/AwaitedFuture.h"
#include "platform/core/Defaults.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "platform/core/WallClock.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "store/BundleInstaller.h"
#include "store/BundleVerifier.h"
#include "store/InstalledBundleRegistry.h"
#include "store/SigningKeys.h"
#include "store/StoreAssetCache.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <coroutine>
#include <cstring>
#include <memory>
#include <utility>

#include <QCoro/QCoroFuture>

namespace gaugelet {

namespace {

// Resumes once the registry's running scan has finished, or as soon as the
// registry goes first (quitting mid-scan). A coroutine awaiting the signal
// alone is never resumed then, and its frame, with the shipped archives,
// is never freed.
struct ScanEnded {
    QPointer<InstalledBundleRegistry> registry;

    bool await_ready() const noexcept { return !registry || !registry->isScanning(); }

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto pending = std::make_shared<std::coroutine_handle<>>(handle);
        auto resume = [pending] {
            if (const std::coroutine_handle<> h = std::exchange(*pending, {}))
                h.resume(); // may end the frame that holds this awaiter: touch nothing after
        };
        // The relay belongs to the registry and goes with it.
        auto* relay = new QObject(registry.data());
        QObject::connect(
            registry.data(), &InstalledBundleRegistry::scanFinished, relay,
            [relay, resume] {
                relay->deleteLater();
                resume();
            },
            Qt::QueuedConnection);
        QObject::connect(relay, &QObject::destroyed, resume);
    }

    void await_resume() const noexcept { }
};

// The built-in ids in the settings and in the record beside the bundles.
// Each copy of the program on this home saves its whole settings, so the
// settings keep only what the copy that saved last knew; the record beside
// the bundles follows every copy's installs and withdrawals.
QStringList recordedBuiltIns(const std::optional<QString>& root)
{
    QStringList ids;
    QSet<QString> seen;
    const auto take = [&](const QString& id) {
        if (!seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    };
    if (Defaults* defaults = Defaults::standard()) {
        for (const QVariant& id : defaults->array(SettingsSchema::builtInBundles).value_or(QVariantList()))
            if (id.typeId() == QMetaType::QString)
                take(id.toString());
    }
    if (root) {
        for (const QString& id : InstalledBundleRegistry::builtInRecord(*root))
            take(id);
    }
    return ids;
}

void recordBuiltIns(InstalledBundleRegistry* bundles, const QStringList& ids)
{
    if (Defaults* defaults = Defaults::standard()) {
        if (ids.isEmpty())
            defaults->remove(SettingsSchema::builtInBundles);
        else
            SettingsSchema::write(SettingsSchema::builtInBundles, QVariant(ids), *defaults);
    }
    if (!bundles || !bundles->rootDir())
        return;
    // Only what this copy changed, one id at a time, on the record as it is
    // now: never a whole list over another copy's changes.
    const QStringList before = InstalledBundleRegistry::builtInRecord(*bundles->rootDir());
    for (const QString& id : before)
        if (!ids.contains(id))
            bundles->recordBuiltIn(id, false);
    for (const QString& id : ids)
        if (!before.contains(id))
            bundles->recordBuiltIn(id, true);
}

void markBuiltIn(InstalledBundleRegistry* bundles, const QString& id, bool builtIn)
{
    QStringList ids = recordedBuiltIns(bundles ? bundles->rootDir() : std::nullopt);
    if (ids.contains(id) == builtIn)
        return;
    if (builtIn)
        ids.append(id);
    else
        ids.removeAll(id);
    recordBuiltIns(bundles, ids);
}

// The sentence the user reads when a removal was not done.
QString removalFailureText(const FileSystem::Error& error)
{
    auto text = [](const char* source) { return QCoreApplication::translate("StoreCoordinator", source); };
    const QString reason = QString::fromLocal8Bit(std::strerror(error.code));
    if (error.operation == QLatin1String("lock") && error.code == EBUSY)
        return text("Couldn't remove the bundle: another copy of Gaugelet is changing the installed bundles.");
    if (error.operation == QLatin1String("lock"))
        return text("Couldn't remove the bundle: cannot lock %1: %2.").arg(error.path, reason);
    return text("Couldn't remove the bundle: %1: %2.").arg(error.path, reason);
}

} // namespace

bool StoreCoordinator::isBuiltIn(const QString& bundleId)
{
    return recordedBuiltIns(InstalledBundleRegistry::defaultRootDir()).contains(bundleId);
}

StoreCoordinator::StoreCoordinator(InstalledBundleRegistry* bundles, BundleInstaller* installer, StoreClient* client,
                                   QList<StoreBundleAdapter*> adapters, QObject* parent)
    : QObject(parent), m_bundles(bundles), m_installer(installer), m_client(client)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    for (StoreBundleAdapter* adapter : adapters)
        m_adapters.append(adapter);
    if (m_bundles) {
        // The installed list, at once and on every change, becomes our own
        // change notice; the connection ends with either object.
        Q_EMIT objectWillChange();
        m_bundlesSubscription = connect(m_bundles, &InstalledBundleRegistry::installedWillChange, this, [this] {
            GAUGELET_ASSERT_MAIN_THREAD();
            Q_EMIT objectWillChange();
        });
        // Every installed runner kind and sound pack is live before any view
        // opens, or as soon as a background scan has listed them.
        const QList<BundleManifest> installed = m_bundles->installed();
        for (const BundleManifest& manifest : installed)
            activate(manifest);
        // A removal not done leaves the bundle listed: it stays live, and
        // the store tab says why.
        connect(m_bundles, &InstalledBundleRegistry::removalFailed, this,
                [this](const QString& bundleId, const FileSystem::Error& error) {
                    GAUGELET_ASSERT_MAIN_THREAD();
                    if (!m_bundles)
                        return;
                    const QList<BundleManifest> listed = m_bundles->installed();
                    for (const BundleManifest& manifest : listed) {
                        if (manifest.id == bundleId)
                            activate(manifest);
                    }
                    setLastError(QStringLiteral("remove ") + bundleId + QStringLiteral(": ")
                                 + removalFailureText(error));
                });
        connect(m_bundles, &InstalledBundleRegistry::scanFinished, this, [this] {
            GAUGELET_ASSERT_MAIN_THREAD();
            if (!m_bundles)
                return;
            const QList<BundleManifest> scanned = m_bundles->installed();
            for (const BundleManifest& manifest : scanned)
                activate(manifest);
        });
    }
}

const QSet<QString>& StoreCoordinator::adultContentIds()
{
    static const QSet<QString> ids{QStringLiteral("gaugelet.after_dark_runner")};
    return ids;
}

void StoreCoordinator::setAvailable(QList<StoreItem> items)
{
    publishIfChanged(this, m_available, std::move(items), &StoreCoordinator::availableChanged);
}

std::optional<QString> StoreCoordinator::inflightInstallId() const
{
    if (m_inflightInstallIds.isEmpty())
        return std::nullopt;
    return m_inflightInstallIds.last();
}

void StoreCoordinator::setInstalling(const QString& itemId, bool running)
{
    if (running == m_inflightInstallIds.contains(itemId))
        return;
    Q_EMIT objectWillChange();
    if (running)
        m_inflightInstallIds.append(itemId);
    else
        m_inflightInstallIds.removeAll(itemId);
    Q_EMIT inflightInstallIdChanged();
}

void StoreCoordinator::setLastError(std::optional<QString> text)
{
    publishIfChanged(this, m_lastError, std::move(text), &StoreCoordinator::lastErrorChanged);
}

void StoreCoordinator::activate(const BundleManifest& manifest)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto directory = m_bundles ? m_bundles->folderFor(manifest.id) : std::nullopt;
    if (!directory)
        return;
    for (const auto& adapter : std::as_const(m_adapters)) {
        if (adapter && adapter->supportedTypes().contains(manifest.type)) {
            (void)adapter->install(manifest, *directory);
            return;
        }
    }
}

void StoreCoordinator::uninstallEverywhere(const BundleManifest& manifest)
{
    for (const auto& adapter : std::as_const(m_adapters)) {
        if (adapter && adapter->supportedTypes().contains(manifest.type))
            adapter->uninstall(manifest);
    }
}

bool StoreCoordinator::isNew(const StoreItem& item) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    if (defaults && defaults->boolean(SettingsSchema::storeSeen.key(item.id)).value_or(false))
        return false;
    const double elapsed = double(item.releaseDate.msecsTo(WallClock::now())) / 1000.0;
    return elapsed < newWindowSeconds;
}

std::optional<StorePreview> StoreCoordinator::preview(const StoreItem& item) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto found = m_previewCache.constFind(item.id);
    if (found == m_previewCache.constEnd())
        return std::nullopt;
    return found.value();
}

QCoro::Task<void> StoreCoordinator::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<StoreCoordinator> self(this);
    if (!m_client)
        co_return;
    auto listed = co_await m_client->listAvailable();
    if (!self)
        co_return;
    if (!listed) {
        setLastError(QStringLiteral("catalogue: ") + listed.error().userText());
        co_return;
    }
    const QList<StoreItem> items = listed.value();

    QHash<QString, StorePreview> previews = m_previewCache;
    for (const StoreItem& item : items) {
        if (previews.contains(item.id))
            continue;
        auto built = co_await buildPreview(item);
        if (!self)
            co_return;
        if (built)
            previews.insert(item.id, *built);
    }
    QSet<QString> listedIds;
    QSet<QString> referenced;
    for (const StoreItem& item : items) {
        listedIds.insert(item.id);
        if (item.assetURL)
            referenced.insert(item.assetURL->fileName());
    }
    previews.removeIf([&](const auto& entry) { return !listedIds.contains(entry.key()); });

    setAvailable(items);
    m_previewCache = std::move(previews);
    Q_EMIT objectWillChange();

    // Pruning runs on a worker thread with its own cache value and shares
    // nothing with the coordinator but the names.
    QPointer<StoreCoordinator> notify(this);
    (void)QtConcurrent::run([referenced, notify] {
        StoreAssetCache::defaultCache().gc(referenced, assetCacheMaxAge);
        QMetaObject::invokeMethod(
            qApp, [notify] {
                if (notify)
                    Q_EMIT notify->assetCacheCollected();
            },
            Qt::QueuedConnection);
    });
}

QCoro::Task<std::optional<StorePreview>> StoreCoordinator::buildPreview(StoreItem item)
{
    QPointer<StoreCoordinator> self(this);
    if (!m_client)
        co_return std::nullopt;
    auto bytes = co_await m_client->fetchBundle(item);
    if (!self || !bytes)
        co_return std::nullopt;
    // Verified off the main thread (the future named: GCC 12 may destroy a
    // temporary in a co_await twice).
    QFuture<Result<BundleVerifier::Verified, BundleVerifier::Error>> verifying = QtConcurrent::run(
        [](const QByteArray& archive) { return BundleVerifier::verify(archive, StoreSigningKey::key()); },
        bytes.value());
    AwaitedFuture awaiting(this, std::move(verifying));
    const auto awaited = co_await awaiting;
    if (!self || !awaited || !*awaited)
        co_return std::nullopt;
    const auto& verified = *awaited;
    for (const auto& adapter : std::as_const(m_adapters)) {
        if (!adapter || !adapter->supportedTypes().contains(verified->manifest.type))
            continue;
        if (auto view = adapter->preview(verified->manifest, verified->files))
            co_return view;
    }
    co_return std::nullopt;
}

QCoro::Task<void> StoreCoordinator::install(StoreItem item)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<StoreCoordinator> self(this);
    // Installs of different items may overlap, each tracked on its own; a
    // second install of an item already in flight has nothing to add.
    if (isInstalling(item.id))
        co_return;
    setInstalling(item.id, true);
    auto failWith = [this, &item](const QString& error) {
        setLastError(QStringLiteral("install ") + item.id + QStringLiteral(": ") + error);
        setInstalling(item.id, false);
    };
    if (!m_client || !m_installer) {
        failWith(QStringLiteral("the store is not available"));
        co_return;
    }
    auto bytes = co_await m_client->fetchBundle(item);
    if (!self)
        co_return;
    if (!bytes) {
        failWith(bytes.error().userText());
        co_return;
    }
    if (!m_installer) {
        failWith(QStringLiteral("the store is not available"));
        co_return;
    }
    auto installed = co_await m_installer->install(bytes.value());
    if (!self)
        co_return;
    if (!installed) {
        qInfo("StoreCoordinator: install %s failed: %s", qUtf8Printable(item.id),
              qUtf8Printable(installed.error().describe()));
        failWith(installed.error().localizedDescription());
        co_return;
    }
    activate(installed.value());
    setInstalling(item.id, false);
}

void StoreCoordinator::remove(const QString& bundleId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_bundles)
        return;
    const QList<BundleManifest> installed = m_bundles->installed();
    const auto found = std::find_if(installed.begin(), installed.end(),
                                    [&](const BundleManifest& m) { return m.id == bundleId; });
    if (found == installed.end()) {
        m_bundles->remove(bundleId);
        return;
    }
    // A bundle that ships with the program stays installed.
    if (recordedBuiltIns(m_bundles->rootDir()).contains(found->id))
        return;
    uninstallEverywhere(*found);
    m_bundles->remove(bundleId);
}

QList<StoreCoordinator::ShippedBundle> StoreCoordinator::readShippedBundles(const QString& dir,
                                                                            const QStringList& names)
{
    QList<ShippedBundle> shipped;
    for (const QString& name : names) {
        if (QFileInfo(name).suffix() != QLatin1String("gaugebundle"))
            continue;
        auto bytes = FileSystem::readFile(dir + QLatin1Char('/') + name, BundleVerifier::maxBundleBytes);
        if (!bytes) {
            qInfo("StoreCoordinator: skipping shipped %s: %s", qUtf8Printable(name),
                  qUtf8Printable(bytes.error().describe()));
            continue;
        }
        auto verified = BundleVerifier::verify(*bytes, StoreSigningKey::key());
        if (!verified) {
            qInfo("StoreCoordinator: skipping shipped %s: %s", qUtf8Printable(name),
                  qUtf8Printable(verified.error().describe()));
            continue;
        }
        shipped.append(ShippedBundle{verified->manifest, std::move(bytes).value()});
    }
    return shipped;
}

void StoreCoordinator::withdrawUnshipped(const QSet<QString>& shippedIds)
{
    // Built-in bundles that no longer ship are withdrawn. Only the bundles
    // seeding installed count: a free bundle installed from the store stays.
    const QList<BundleManifest> installedNow = m_bundles->installed();
    QStringList builtIns = recordedBuiltIns(m_bundles->rootDir());
    for (const BundleManifest& manifest : installedNow) {
        if (!builtIns.contains(manifest.id) || shippedIds.contains(manifest.id))
            continue;
        uninstallEverywhere(manifest);
        m_bundles->remove(manifest.id);
        builtIns.removeAll(manifest.id);
    }
    // Ids recorded for bundles no longer installed (removed by hand, failed
    // the start-up check) are forgotten unless they still ship.
    builtIns.removeIf([&](const QString& id) {
        return !shippedIds.contains(id)
               && std::none_of(installedNow.begin(), installedNow.end(),
                               [&](const BundleManifest& m) { return m.id == id; });
    });
    recordBuiltIns(m_bundles, builtIns);
}

QCoro::Task<void> StoreCoordinator::seedBuiltInBundles()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<StoreCoordinator> self(this);
    const auto dir = StoreAssetCache::bundledDirectory();
    if (!dir || !m_bundles)
        co_return;
    const auto names = FileSystem::listDirectory(*dir);
    if (!names)
        co_return;

    // The shipped archives are read and verified on a worker thread; quitting
    // ends the wait (the future named: GCC 12 may destroy a temporary twice).
    QFuture<QList<ShippedBundle>> reading =
        QtConcurrent::run(&StoreCoordinator::readShippedBundles, *dir, names.value());
    const std::optional<QList<ShippedBundle>> shipped = co_await AwaitedFuture(this, reading);
    if (!shipped || !self || !m_bundles)
        co_return;
    // A background scan of the installed bundles finishes first: what it
    // lists is what seeding compares with.
    if (m_bundles->isScanning()) {
        ScanEnded scanned{m_bundles};
        co_await scanned;
        if (!self || !m_bundles)
            co_return;
    }
    QSet<QString> shippedIds;
    for (const ShippedBundle& entry : *shipped)
        shippedIds.insert(entry.manifest.id);

    withdrawUnshipped(shippedIds);

    std::optional<QString> firstFailure;
    for (const ShippedBundle& entry : *shipped) {
        // Read afresh for each bundle: other work may have installed it
        // while an earlier install was running.
        if (!m_bundles)
            break;
        const QList<BundleManifest>& current = m_bundles->installed();
        const bool present = std::any_of(current.begin(), current.end(),
                                         [&](const BundleManifest& m) { return m.id == entry.manifest.id; });
        if (present) {
            // Already installed under a shipped id (by an earlier seeding):
            // it ships with the program, so it is built-in.
            markBuiltIn(m_bundles, entry.manifest.id, true);
            continue;
        }
        if (!m_installer)
            continue;
        auto installed = co_await m_installer->install(entry.bytes);
        if (!self)
            co_return;
        if (installed) {
            markBuiltIn(m_bundles, installed->id, true);
            activate(installed.value());
        } else {
            qInfo("StoreCoordinator: seed %s failed: %s", qUtf8Printable(entry.manifest.id),
                  qUtf8Printable(installed.error().describe()));
            setLastError(QStringLiteral("seed ") + entry.manifest.id + QStringLiteral(": ")
                         + installed.error().localizedDescription());
            if (!firstFailure)
                firstFailure = installed.error().localizedDescription();
        }
    }
    if (firstFailure)
        tellSeedingFailed(*firstFailure);
}

void StoreCoordinator::tellSeedingFailed(const QString& text)
{
    // The store tab shows the error only once opened: a start that cannot
    // install what ships is told to the user, once a run.
    if (m_toldSeedingFailure)
        return;
    m_toldSeedingFailure = true;
    UserNotificationCenter::Request request;
    request.identifier = QStringLiteral("store-seeding");
    request.title = tr("Gaugelet cannot install its built-in packs");
    request.body = text;
    UserNotificationCenter::current()->add(request);
}

} // namespace gaugelet
