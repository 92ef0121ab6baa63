#include "store/StoreCoordinator.h"

#include "FakeNotificationServer.h"
#include "PrivateBus.h"
#include "StoreTestSupport.h"
#include "TestSupport.h"
#include "alarms/SoundRegistry.h"
#include "platform/core/Resources.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "store/RemoteStoreClient.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SoundStoreAdapter.h"
#include "store/views/SoundPackPreview.h"
#include "store/views/StorePreviewViews.h"

#include <QCoreApplication>
#include <QCoro/QCoroTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Type = BundleManifest::BundleType;

namespace {

QByteArray soundBundle(const QString& id, qint64 price = 0, int version = 1, const NaclKeyPair& pair = NaclKeyPair::shared())
{
    const Members assets{{"assets/s.mp3", "sound-" + id.toUtf8()}};
    QJsonObject m = manifestObject(id, assets);
    m.insert("priceCents", price);
    m.insert("version", version);
    m.insert("sound", QJsonObject{{"entries", QJsonArray{QJsonObject{
                                                  {"id", id + ".s"}, {"displayName", "S " + id}, {"assetFile", "assets/s.mp3"}}}}});
    return signedBundle(pair, manifestBytes(m), assets);
}

QByteArray runnerBundle(const QString& id, qint64 price = 0)
{
    const Members assets{{"assets/" + id + "_0.png", "png"}};
    QJsonObject m = manifestObject(id, assets);
    m.insert("type", "runner_sprite");
    m.insert("priceCents", price);
    m.insert("sprite", QJsonObject{{"frameCount", 1}, {"defaultSize", 22}, {"framePrefix", id}});
    return signedBundle(NaclKeyPair::shared(), manifestBytes(m), assets);
}

StoreItem itemFor(const QString& id, std::optional<QUrl> url = std::nullopt)
{
    StoreItem item;
    item.id = id;
    item.downloadHandle = id;
    item.assetURL = url;
    item.releaseDate = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    return item;
}

// A runner-type adapter that records what it is asked to do.
class RecordingAdapter : public StoreBundleAdapter {
public:
    explicit RecordingAdapter(QSet<Type> types) : m_types(std::move(types)) {}
    QSet<Type> supportedTypes() const override { return m_types; }
    std::optional<QString> install(const BundleManifest& m, const QString& dir) override
    {
        installs.append(m.id + "@" + dir);
        return m.id;
    }
    void uninstall(const BundleManifest& m) override { uninstalls.append(m.id); }
    std::optional<StorePreview> preview(const BundleManifest& m, const QHash<QString, QByteArray>&) override
    {
        previews.append(m.id);
        if (!givesPreview)
            return std::nullopt;
        return StorePreview("Recording");
    }
    QStringList installs, uninstalls, previews;
    bool givesPreview = true;

private:
    QSet<Type> m_types;
};

// A store client serving fixed bytes per id; the list is set by the test.
class FakeClient : public StoreClient {
public:
    QCoro::Task<Result<QList<StoreItem>, Error>> listAvailable() override
    {
        if (listError)
            co_return fail(*listError);
        QList<StoreItem> copy = items; // co_return would move from the member
        co_return copy;
    }
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override
    {
        ++fetches[item.id];
        if (!archives.contains(item.id))
            co_return fail(Error{QStringLiteral("bundleNotShipped(\"%1\")").arg(item.id),
                                 QStringLiteral("The bundle for \"%1\" isn't included in this build.").arg(item.id)});
        QByteArray bytes = archives.value(item.id);
        co_return bytes;
    }
    QList<StoreItem> items;
    QHash<QString, QByteArray> archives;
    QHash<QString, int> fetches;
    std::optional<Error> listError;
};

class StoreCoordinatorTest : public ::testing::Test {
protected:
    void SetUp() override { SoundRegistry::installed().clear(); }
    void TearDown() override { SoundRegistry::installed().clear(); }

    std::unique_ptr<StoreCoordinator> makeCoordinator(StoreClient* c = nullptr)
    {
        return std::make_unique<StoreCoordinator>(&registry, &installer, c ? c : &client,
                                                  QList<StoreBundleAdapter*>{&runner, &sound});
    }
    void preinstall(const QByteArray& archive) { ASSERT_TRUE(installer.installNow(archive)); }
    bool onDisk(const QString& id) const { return QFileInfo(folders.bundlesRoot() + "/" + id).isDir(); }
    QStringList installedIds() const
    {
        QStringList ids;
        for (const auto& m : registry.installed())
            ids.append(m.id);
        ids.sort();
        return ids;
    }

    ScopedStoreFolders folders;
    ScopedStoreKey storeKey{NaclKeyPair::shared()};
    ScopedDefaults defaults;
    ManualWallClock clock;
    InstalledBundleRegistry registry{folders.bundlesRoot()};
    BundleInstaller installer{&registry};
    FakeClient client;
    RecordingAdapter runner{{Type::runnerSprite}};
    SoundStoreAdapter sound{{Type::soundPack}};
};

} // namespace

// Start-up

TEST_F(StoreCoordinatorTest, ConstructionMakesEveryInstalledBundleLiveThroughItsFirstAdapter)
{
    preinstall(soundBundle("chimes"));
    preinstall(runnerBundle("wolf"));
    InstalledBundleRegistry rescanned(folders.bundlesRoot());
    rescanned.scan();
    StoreCoordinator coordinator(&rescanned, &installer, &client, {&runner, &sound});
    EXPECT_EQ(runner.installs, QStringList{"wolf@" + folders.bundlesRoot() + "/wolf"});
    ASSERT_TRUE(SoundRegistry::installed().contains("chimes.s"));
    EXPECT_EQ(SoundRegistry::installed().value("chimes.s").url,
              QUrl::fromLocalFile(folders.bundlesRoot() + "/chimes/assets/s.mp3"));
    EXPECT_TRUE(coordinator.available().isEmpty());
    EXPECT_EQ(coordinator.inflightInstallId(), std::nullopt);
    EXPECT_EQ(coordinator.lastError(), std::nullopt);
}

TEST_F(StoreCoordinatorTest, RegistryChangesBecomeTheCoordinatorsChangeNotice)
{
    auto coordinator = makeCoordinator();
    QSignalSpy notices(coordinator.get(), &StoreCoordinator::objectWillChange);
    preinstall(soundBundle("chimes"));
    EXPECT_GE(notices.count(), 1);
}

// Refresh and previews

TEST_F(StoreCoordinatorTest, RefreshPublishesTheListBuildsPreviewsAndPrunesTheCache)
{
    QDir().mkpath(folders.assetCache());
    client.items = {itemFor("chimes", QUrl("https://cdn.example.invalid/a/chimes.gaugebundle")), itemFor("wolf"),
                    itemFor("missing")};
    client.archives = {{"chimes", soundBundle("chimes")}, {"wolf", runnerBundle("wolf")}};
    auto coordinator = makeCoordinator();
    QSignalSpy collected(coordinator.get(), &StoreCoordinator::assetCacheCollected);
    LogCapture log;
    QCoro::waitFor(coordinator->refresh());
    EXPECT_EQ(coordinator->available(), client.items);
    auto chimes = coordinator->preview(client.items.at(0));
    ASSERT_TRUE(chimes);
    EXPECT_EQ(chimes->kind(), QStringLiteral("SoundPackPreview"));
    std::unique_ptr<QWidget> widget(StorePreviewViews::makeWidget(*chimes));
    EXPECT_EQ(qobject_cast<SoundPackPreview*>(widget.get())->audioBytes(), QByteArray("sound-chimes"));
    EXPECT_EQ(coordinator->preview(client.items.at(1))->kind(), QStringLiteral("Recording"));
    EXPECT_EQ(coordinator->preview(client.items.at(2)), std::nullopt);
    ASSERT_TRUE(collected.wait(5000) || collected.count() == 1);
    EXPECT_TRUE(log.contains("gc removed=0 kept=0 ref_count=1"));
    // Nothing was installed by looking.
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_TRUE(SoundRegistry::installed().isEmpty());
}

TEST_F(StoreCoordinatorTest, EmptyCatalogueClearsListAndPreviews)
{
    QDir().mkpath(folders.assetCache());
    client.items = {itemFor("chimes")};
    client.archives = {{"chimes", soundBundle("chimes")}};
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->refresh());
    ASSERT_TRUE(coordinator->preview(client.items.at(0)));
    const StoreItem old = client.items.at(0);

    client.items.clear();
    QSignalSpy collected(coordinator.get(), &StoreCoordinator::assetCacheCollected);
    LogCapture log;
    QCoro::waitFor(coordinator->refresh());
    EXPECT_TRUE(coordinator->available().isEmpty());
    EXPECT_EQ(coordinator->preview(old), std::nullopt);
    ASSERT_TRUE(collected.wait(5000) || collected.count() == 1);
    // The collection runs off the main thread: the first refresh's may be the
    // one the spy saw, with this refresh's still to come.
    EXPECT_TRUE(waitUntil([&] { return log.contains("ref_count=0"); }));
}

TEST_F(StoreCoordinatorTest, FailedRefreshKeepsTheEarlierListAndSetsTheCatalogueError)
{
    client.items = {itemFor("chimes")};
    client.archives = {{"chimes", soundBundle("chimes")}};
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->refresh());
    client.listError = StoreClient::Error{"transport", {}};
    QCoro::waitFor(coordinator->refresh());
    EXPECT_EQ(coordinator->available().size(), 1);
    EXPECT_TRUE(coordinator->preview(client.items.at(0)));
    EXPECT_EQ(coordinator->lastError(), QStringLiteral("catalogue: transport"));
    // The user reads the error's sentence where it has one.
    client.listError = StoreClient::Error{"transport", "Couldn't reach the store. Check your internet connection and try again."};
    QCoro::waitFor(coordinator->refresh());
    EXPECT_EQ(coordinator->lastError(),
              QStringLiteral("catalogue: Couldn't reach the store. Check your internet connection and try again."));
}

TEST_F(StoreCoordinatorTest, PreviewsAreRetriedUntilBuiltThenKeptWhileListed)
{
    client.items = {itemFor("chimes")};
    client.archives = {{"chimes", soundBundle("chimes", 0, 1, NaclKeyPair::other())}};
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->refresh());
    EXPECT_EQ(coordinator->preview(client.items.at(0)), std::nullopt);

    client.archives["chimes"] = soundBundle("chimes");
    QCoro::waitFor(coordinator->refresh());
    EXPECT_TRUE(coordinator->preview(client.items.at(0)));
    EXPECT_EQ(client.fetches.value("chimes"), 2);

    QCoro::waitFor(coordinator->refresh());
    EXPECT_EQ(client.fetches.value("chimes"), 2); // cached, not fetched again
}

TEST_F(StoreCoordinatorTest, AnAdapterWithoutAPreviewLetsTheNextOneTry)
{
    RecordingAdapter silent{{Type::soundPack}};
    silent.givesPreview = false;
    client.items = {itemFor("chimes")};
    client.archives = {{"chimes", soundBundle("chimes")}};
    StoreCoordinator coordinator(&registry, &installer, &client, {&silent, &sound});
    QCoro::waitFor(coordinator.refresh());
    EXPECT_EQ(silent.previews, QStringList{"chimes"});
    EXPECT_EQ(coordinator.preview(client.items.at(0))->kind(), QStringLiteral("SoundPackPreview"));
}

// Install and remove

TEST_F(StoreCoordinatorTest, FailedDownloadLeavesTheRegistryAndReportsTheItem)
{
    auto coordinator = makeCoordinator();
    QSignalSpy inflight(coordinator.get(), &StoreCoordinator::inflightInstallIdChanged);
    QCoro::waitFor(coordinator->install(itemFor("ghost")));
    EXPECT_EQ(inflight.count(), 2);
    EXPECT_EQ(coordinator->inflightInstallId(), std::nullopt);
    EXPECT_EQ(coordinator->lastError(), QStringLiteral("install ghost: The bundle for \"ghost\" isn't included in this build."));
    EXPECT_TRUE(registry.installed().isEmpty());
}

TEST_F(StoreCoordinatorTest, ArchiveThatFailsVerificationIsNotInstalled)
{
    client.archives = {{"forged", soundBundle("forged", 100, 1, NaclKeyPair::other())}};
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->install(itemFor("forged")));
    ASSERT_TRUE(coordinator->lastError().has_value());
    EXPECT_EQ(*coordinator->lastError(),
              "install forged: The bundle's signature could not be verified, so nothing was installed.");
    EXPECT_FALSE(onDisk("forged"));
}

// A client that answers only after the event loop has run a while, so the
// coordinator can be gone by the time the answer arrives.
class SlowClient : public FakeClient {
public:
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override
    {
        co_await QCoro::sleepFor(std::chrono::milliseconds(50));
        ++answered;
        co_return co_await FakeClient::fetchBundle(item);
    }
    int answered = 0;
};

TEST_F(StoreCoordinatorTest, CoordinatorGoneDuringAnInstallTouchesNothing)
{
    SlowClient slow;
    slow.archives = {{"chimes", soundBundle("chimes", 100)}};
    auto coordinator = makeCoordinator(&slow);
    auto running = coordinator->install(itemFor("chimes"));
    EXPECT_EQ(coordinator->inflightInstallId(), QStringLiteral("chimes"));
    coordinator.reset();
    ASSERT_TRUE(waitUntil([&] { return slow.answered == 1; }));
    spinFor(20);
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_FALSE(onDisk("chimes"));
    EXPECT_TRUE(SoundRegistry::installed().isEmpty());
}

// Answers each id after its own delay.
class DelayedClient : public FakeClient {
public:
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override
    {
        co_await QCoro::sleepFor(std::chrono::milliseconds(delayMs.value(item.id)));
        co_return co_await FakeClient::fetchBundle(item);
    }
    QHash<QString, int> delayMs;
};

TEST_F(StoreCoordinatorTest, OverlappingInstallsAreEachTrackedUntilTheirOwnEnd)
{
    DelayedClient slow;
    slow.delayMs = {{"chimes", 20}, {"bells", 400}};
    slow.archives = {{"chimes", soundBundle("chimes", 100)}};  // "bells" is missing: its install fails
    auto coordinator = makeCoordinator(&slow);
    QSignalSpy inflight(coordinator.get(), &StoreCoordinator::inflightInstallIdChanged);
    auto first = coordinator->install(itemFor("chimes"));
    auto second = coordinator->install(itemFor("bells"));
    auto again = coordinator->install(itemFor("chimes")); // already running: refused
    EXPECT_EQ(coordinator->inflightInstallIds(), (QStringList{"chimes", "bells"}));
    EXPECT_EQ(coordinator->inflightInstallId(), QStringLiteral("bells"));
    EXPECT_EQ(inflight.count(), 2);

    // The first answer ends the first install only; the other keeps running.
    ASSERT_TRUE(waitUntil([&] { return !coordinator->isInstalling("chimes"); }));
    EXPECT_TRUE(coordinator->isInstalling("bells"));
    EXPECT_EQ(coordinator->inflightInstallId(), QStringLiteral("bells"));
    ASSERT_TRUE(waitUntil([&] { return coordinator->inflightInstallIds().isEmpty(); }));
    EXPECT_EQ(coordinator->inflightInstallId(), std::nullopt);
    EXPECT_EQ(slow.fetches.value("chimes"), 1);
    EXPECT_EQ(installedIds(), QStringList{"chimes"});
    EXPECT_EQ(coordinator->lastError(), QStringLiteral("install bells: The bundle for \"bells\" isn't included in this build."));
}

TEST_F(StoreCoordinatorTest, CoordinatorGoneWhileBuildingPreviewsStopsTheRefresh)
{
    SlowClient slow;
    slow.items = {itemFor("chimes"), itemFor("bells")};
    slow.archives = {{"chimes", soundBundle("chimes")}, {"bells", soundBundle("bells")}};
    auto coordinator = makeCoordinator(&slow);
    auto running = coordinator->refresh();
    coordinator.reset();
    ASSERT_TRUE(waitUntil([&] { return slow.answered == 1; }));
    spinFor(100);
    EXPECT_EQ(slow.answered, 1); // the second preview is never fetched
}

TEST_F(StoreCoordinatorTest, SoundPackIsActivatedByTheSoundAdapterOnly)
{
    client.archives = {{"chimes", soundBundle("chimes", 100)}};
    auto coordinator = makeCoordinator();
    coordinator->remove("never-there"); // harmless
    QCoro::waitFor(coordinator->install(itemFor("chimes")));
    EXPECT_EQ(coordinator->lastError(), std::nullopt);
    EXPECT_TRUE(runner.installs.isEmpty());
    EXPECT_TRUE(SoundRegistry::installed().contains("chimes.s"));
    EXPECT_EQ(installedIds(), QStringList{"chimes"});
}

TEST_F(StoreCoordinatorTest, BundleOfATypeNoAdapterHandlesIsInstalledButNotLive)
{
    client.archives = {{"wolf", runnerBundle("wolf", 100)}};
    StoreCoordinator coordinator(&registry, &installer, &client, {&sound});
    QCoro::waitFor(coordinator.install(itemFor("wolf")));
    EXPECT_TRUE(onDisk("wolf"));
    EXPECT_EQ(coordinator.lastError(), std::nullopt);
    EXPECT_TRUE(runner.installs.isEmpty());
}

TEST_F(StoreCoordinatorTest, RemoveKeepsBuiltInBundlesAndWithdrawsEveryOther)
{
    folders.ship("builtin.gaugebundle", soundBundle("builtin", 0));
    preinstall(soundBundle("free", 0)); // a free bundle installed from the store
    preinstall(soundBundle("paid", 199));
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    ASSERT_TRUE(SoundRegistry::installed().contains("paid.s"));
    EXPECT_TRUE(StoreCoordinator::isBuiltIn("builtin"));
    EXPECT_FALSE(StoreCoordinator::isBuiltIn("free"));

    coordinator->remove("builtin");
    EXPECT_TRUE(onDisk("builtin"));
    EXPECT_TRUE(SoundRegistry::installed().contains("builtin.s"));

    coordinator->remove("free");
    EXPECT_FALSE(onDisk("free"));
    EXPECT_FALSE(SoundRegistry::installed().contains("free.s"));

    // A removal that cannot be done is not shown as done: the pack stays
    // listed and live, and the error says why.
    const QString lockFile = InstalledBundleRegistry::lockPath(folders.bundlesRoot());
    ASSERT_TRUE(QFile::remove(lockFile) && QDir().mkpath(lockFile));
    coordinator->remove("paid");
    EXPECT_TRUE(onDisk("paid"));
    EXPECT_TRUE(SoundRegistry::installed().contains("paid.s"));
    EXPECT_EQ(installedIds(), (QStringList{"builtin", "paid"}));
    EXPECT_EQ(coordinator->lastError(), "remove paid: Couldn't remove the bundle: cannot lock " + lockFile + ": "
                                            + QString::fromLocal8Bit(std::strerror(EISDIR)) + ".");
    ASSERT_TRUE(QDir(lockFile).removeRecursively());

    coordinator->remove("paid");
    EXPECT_FALSE(onDisk("paid"));
    EXPECT_FALSE(SoundRegistry::installed().contains("paid.s"));
    EXPECT_EQ(installedIds(), QStringList{"builtin"});

    // A folder under a name no bundle is listed by is not ours to delete.
    writeFile(folders.bundlesRoot() + "/stray/file", "x");
    coordinator->remove("stray");
    EXPECT_EQ(readFile(folders.bundlesRoot() + "/stray/file"), QByteArray("x"));
}

TEST_F(StoreCoordinatorTest, InstallAndRemoveEndToEndOverHttps)
{
    ScopedDefaults catalogueDefaults;
    QNetworkAccessManager session;
    FakeStoreHost host;
    host.setRoute("/packs/chimes.gaugebundle", HttpAnswer{200, soundBundle("chimes", 150)});
    host.serveCatalogue(NaclKeyPair::shared(),
                        catalogueBytes({productObject("chimes", "sound_pack", host.url("/packs/chimes.gaugebundle").toString())}));
    RemoteCatalogue* catalogue = host.catalogue(&session, catalogueDefaults.get(), [this] { return clock.now(); });
    RemoteStoreClient remote(StoreAssetCache::defaultCache(), &session, catalogue);
    auto coordinator = makeCoordinator(&remote);

    QCoro::waitFor(coordinator->refresh());
    ASSERT_EQ(coordinator->available().size(), 1);
    const StoreItem item = coordinator->available().at(0);
    EXPECT_TRUE(coordinator->preview(item));
    QCoro::waitFor(coordinator->install(item));
    EXPECT_EQ(coordinator->lastError(), std::nullopt);
    EXPECT_EQ(host.requestCount("/packs/chimes.gaugebundle"), 1); // the install used the cached archive
    EXPECT_TRUE(onDisk("chimes"));
    EXPECT_TRUE(SoundRegistry::installed().contains("chimes.s"));

    coordinator->remove("chimes");
    EXPECT_FALSE(onDisk("chimes"));
    EXPECT_TRUE(SoundRegistry::installed().isEmpty());
}

// Newness

TEST_F(StoreCoordinatorTest, NewMeansUnseenAndReleasedUnderFourteenDaysAgo)
{
    auto coordinator = makeCoordinator();
    StoreItem item = itemFor("fresh");
    item.releaseDate = clock.now().addSecs(-1'209'599);
    EXPECT_TRUE(coordinator->isNew(item));
    item.releaseDate = clock.now().addSecs(-1'209'600);
    EXPECT_FALSE(coordinator->isNew(item));
    item.releaseDate = clock.now().addDays(1);
    EXPECT_TRUE(coordinator->isNew(item));
    item.releaseDate = clock.now().addSecs(-1);
    defaults->set(SettingsSchema::storeSeen.key(u"fresh"), true);
    EXPECT_FALSE(coordinator->isNew(item));
}

TEST(StoreCoordinator, AdultContentIdsHoldOneCatalogueId)
{
    const auto& ids = StoreCoordinator::adultContentIds();
    ASSERT_EQ(ids.size(), 1);
    const QString id = *ids.begin();
    EXPECT_EQ(id.size(), 26);
    EXPECT_EQ(id, id.toLower());
    EXPECT_EQ(id.count('.'), 1);
}

// Seeding

TEST_F(StoreCoordinatorTest, NoStoreAssetsFolderChangesNothing)
{
    preinstall(soundBundle("free", 0));
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_EQ(installedIds(), QStringList{"free"});
}

TEST_F(StoreCoordinatorTest, NewShippedBundleIsInstalledAndLiveOnceOnly)
{
    folders.ship("chimes.gaugebundle", soundBundle("chimes"));
    folders.ship("ignored.GAUGEBUNDLE", soundBundle("ignored"));
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_EQ(installedIds(), QStringList{"chimes"});
    EXPECT_TRUE(SoundRegistry::installed().contains("chimes.s"));

    const QDateTime before = QFileInfo(folders.bundlesRoot() + "/chimes/manifest.json").lastModified();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_EQ(installedIds(), QStringList{"chimes"});
    EXPECT_EQ(QFileInfo(folders.bundlesRoot() + "/chimes/manifest.json").lastModified(), before);
    EXPECT_EQ(coordinator->lastError(), std::nullopt);
}

TEST_F(StoreCoordinatorTest, BuiltInBundleThatNoLongerShipsIsWithdrawnButStoreBundlesStay)
{
    folders.ship("retired.gaugebundle", soundBundle("retired", 0));
    preinstall(soundBundle("bought", 300));
    preinstall(soundBundle("gift", 0)); // free, from the store
    {
        auto first = makeCoordinator();
        QCoro::waitFor(first->seedBuiltInBundles());
    }
    ASSERT_TRUE(QFile::remove(folders.storeAssets() + "/retired.gaugebundle"));
    folders.ship("other.gaugebundle", soundBundle("other"));
    auto coordinator = makeCoordinator();
    ASSERT_TRUE(SoundRegistry::installed().contains("retired.s"));
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_EQ(installedIds(), (QStringList{"bought", "gift", "other"}));
    EXPECT_FALSE(onDisk("retired"));
    EXPECT_FALSE(SoundRegistry::installed().contains("retired.s"));
    EXPECT_TRUE(SoundRegistry::installed().contains("gift.s"));
    EXPECT_EQ(defaults->array(SettingsSchema::builtInBundles), QVariantList{"other"});

    // And the free store bundle survives the next launch too.
    auto next = makeCoordinator();
    QCoro::waitFor(next->seedBuiltInBundles());
    EXPECT_TRUE(onDisk("gift"));
}

TEST_F(StoreCoordinatorTest, BundlesSeededBeforeTheRecordExistedCountAsBuiltInWhileTheyShip)
{
    preinstall(soundBundle("chimes", 0));
    folders.ship("chimes.gaugebundle", soundBundle("chimes", 0));
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_TRUE(StoreCoordinator::isBuiltIn("chimes"));
    coordinator->remove("chimes");
    EXPECT_TRUE(onDisk("chimes"));
}

// Two copies on one home, one shipping a pack and one that withdrew it: whichever
// saves its settings last, an installed pack is recorded as built-in.
TEST_F(StoreCoordinatorTest, TheBuiltInRecordFollowsWhatIsInstalledWhicheverCopySavesLast)
{
    const QString shipped = folders.storeAssets() + "/fox.gaugebundle";
    folders.ship("fox.gaugebundle", soundBundle("fox"));
    QCoro::waitFor(makeCoordinator()->seedBuiltInBundles());
    ASSERT_TRUE(QFile::rename(shipped, shipped + ".elsewhere"));
    QCoro::waitFor(makeCoordinator()->seedBuiltInBundles()); // the copy that no longer ships it
    ASSERT_FALSE(onDisk("fox"));
    ASSERT_TRUE(QFile::rename(shipped + ".elsewhere", shipped));
    QCoro::waitFor(makeCoordinator()->seedBuiltInBundles()); // the copy that ships it
    ASSERT_TRUE(onDisk("fox"));
    // The withdrawing copy's late record of its change, then its settings.
    registry.recordBuiltIn("fox", false);
    defaults->remove(SettingsSchema::builtInBundles);

    EXPECT_TRUE(StoreCoordinator::isBuiltIn("fox"));
    auto coordinator = makeCoordinator();
    ASSERT_TRUE(QFile::remove(shipped));
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_FALSE(onDisk("fox"));
    EXPECT_FALSE(StoreCoordinator::isBuiltIn("fox"));
}

TEST_F(StoreCoordinatorTest, NewerShippedVersionIsNotInstalledOverTheInstalledOne)
{
    preinstall(soundBundle("chimes", 0, 1));
    folders.ship("chimes.gaugebundle", soundBundle("chimes", 0, 2));
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    ASSERT_EQ(registry.installed().size(), 1);
    EXPECT_EQ(registry.installed().at(0).version, 1);
}

TEST_F(StoreCoordinatorTest, ShippedFileWithABadSignatureIsSkippedAndItsBuiltInBundleWithdrawn)
{
    folders.ship("chimes.gaugebundle", soundBundle("chimes", 0));
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    ASSERT_TRUE(onDisk("chimes"));
    folders.ship("chimes.gaugebundle", soundBundle("chimes", 0, 2, NaclKeyPair::other()));
    LogCapture log;
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_FALSE(onDisk("chimes"));
    EXPECT_EQ(coordinator->lastError(), std::nullopt);
    EXPECT_TRUE(log.contains("StoreCoordinator: skipping shipped chimes.gaugebundle: signatureRejected"));
}

TEST_F(StoreCoordinatorTest, AStartScanningInTheBackgroundMakesBundlesLiveWhenListedAndSeedsAfterIt)
{
    preinstall(soundBundle("chimes", 0));
    folders.ship("chimes.gaugebundle", soundBundle("chimes", 0));
    const QDateTime installedAt = QFileInfo(folders.bundlesRoot() + "/chimes/manifest.json").lastModified();
    SoundRegistry::installed().clear();

    // The next start: nothing listed until the scan, whose verifying runs
    // off the main thread (and is held here until seeding has read the
    // shipped packs), has finished.
    InstalledBundleRegistry next(folders.bundlesRoot());
    QList<QThread*> verifiedOn;
    QSemaphore held;
    next.setVerifierForTesting([&](const QString& folder, const std::optional<Ed25519PublicKey>& key) {
        verifiedOn.append(QThread::currentThread());
        held.acquire();
        return BundleVerifier::verifyInstalled(folder, key);
    });
    BundleInstaller nextInstaller(&next);
    StoreCoordinator coordinator(&next, &nextInstaller, &client, {&runner, &sound});
    auto scanning = next.scanInBackground();
    EXPECT_TRUE(next.isScanning());
    auto seeding = coordinator.seedBuiltInBundles();
    // The shipped packs are read (and anything seeding would install next is
    // written) while the scan is held; only the held scan stays on the pool.
    ASSERT_TRUE(waitUntil([] { return QThreadPool::globalInstance()->activeThreadCount() == 1; }, 10000));
    for (int turn = 0; turn < 10; ++turn)
        QCoreApplication::processEvents();
    EXPECT_TRUE(next.installed().isEmpty());
    held.release();
    QCoro::waitFor(std::move(seeding));

    EXPECT_FALSE(next.isScanning());
    ASSERT_EQ(verifiedOn.size(), 1);
    EXPECT_NE(verifiedOn.first(), QThread::currentThread());
    EXPECT_EQ(next.installed().size(), 1);
    EXPECT_TRUE(SoundRegistry::installed().contains("chimes.s"));
    // Seeding saw the scanned list: the installed bundle was not written again.
    EXPECT_EQ(QFileInfo(folders.bundlesRoot() + "/chimes/manifest.json").lastModified(), installedAt);
    EXPECT_EQ(coordinator.lastError(), std::nullopt);
}

TEST_F(StoreCoordinatorTest, QuittingWhileSeedingWaitsForTheScanEndsTheSeeding)
{
    preinstall(soundBundle("wolf", 0));
    folders.ship("chimes.gaugebundle", soundBundle("chimes", 0));
    auto next = std::make_unique<InstalledBundleRegistry>(folders.bundlesRoot());
    QSemaphore held;
    next->setVerifierForTesting([&](const QString& folder, const std::optional<Ed25519PublicKey>& key) {
        held.acquire();
        return BundleVerifier::verifyInstalled(folder, key);
    });
    // However the test ends, the scan's worker runs on to its end while the
    // semaphore it waits on is still there.
    const auto releaseScan = qScopeGuard([&held] {
        held.release(1000);
        QThreadPool::globalInstance()->waitForDone();
    });
    auto nextInstaller = std::make_unique<BundleInstaller>(next.get());
    auto coordinator = std::make_unique<StoreCoordinator>(next.get(), nextInstaller.get(), &client,
                                                          QList<StoreBundleAdapter*>{&runner, &sound});
    auto scanning = next->scanInBackground();
    auto seeding = coordinator->seedBuiltInBundles();
    // Seeding has read the shipped packs and waits for the held scan.
    ASSERT_TRUE(waitUntil([] { return QThreadPool::globalInstance()->activeThreadCount() == 1; }, 10000));
    for (int turn = 0; turn < 10; ++turn)
        QCoreApplication::processEvents();
    ASSERT_FALSE(seeding.isReady());
    // Quitting: the coordinator goes, then the registry (the program's order).
    coordinator.reset();
    nextInstaller.reset();
    next.reset();
    EXPECT_TRUE(seeding.isReady());
    EXPECT_TRUE(scanning.isReady());
}

// The user is told once a run, in a notification, the first failure's text.
TEST_F(StoreCoordinatorTest, InstallerFailureBecomesTheSeedErrorOfTheLastBundleTried)
{
    PrivateBus bus;
    FakeNotificationServer server{bus};
    UserNotificationCenter center{bus.connect()};
    UserNotificationCenter::setCurrent(&center);
    const auto restore = qScopeGuard([] { UserNotificationCenter::setCurrent(nullptr); });
    folders.ship("a.gaugebundle", soundBundle("a"));
    folders.ship("b.gaugebundle", soundBundle("b"));
    // A file where the bundles folder must go makes every install fail.
    writeFile(folders.bundlesRoot(), "not a folder");
    auto coordinator = makeCoordinator();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    ASSERT_TRUE(coordinator->lastError().has_value());
    EXPECT_TRUE(coordinator->lastError()->startsWith("seed a: ") || coordinator->lastError()->startsWith("seed b: "))
        << coordinator->lastError()->toStdString();
    EXPECT_TRUE(coordinator->lastError()->contains(": Couldn't save the bundle")) << coordinator->lastError()->toStdString();
    QCoro::waitFor(coordinator->seedBuiltInBundles());
    ASSERT_TRUE(waitUntil([&] { return server.notifications().size() == 1; }));
    EXPECT_EQ(server.notifications()[0].summary, QStringLiteral("Gaugelet cannot install its built-in packs"));
    EXPECT_EQ(server.notifications()[0].body,
              "Couldn't save the bundle: " + QString::fromLocal8Bit(std::strerror(ENOTDIR)) + ".");
    EXPECT_FALSE(waitUntil([&] { return server.notifications().size() > 1; }, 300));
}

TEST(StoreCoordinatorSeeding, ShippedPacksSeedOnAFirstStartWithAnEmptyDataFolder)
{
    SoundRegistry::installed().clear();
    QTemporaryDir data;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    {
        ASSERT_TRUE(InstalledBundleRegistry::defaultRootDir().has_value());
        InstalledBundleRegistry registry(InstalledBundleRegistry::defaultRootDir());
        registry.scan();
        BundleInstaller installer(&registry);
        VisualizerRegistry visualizers;
        RunnerStoreAdapter runner{{Type::runnerSprite}, &visualizers};
        SoundStoreAdapter sound{{Type::soundPack}};
        FakeClient client;
        StoreCoordinator coordinator(&registry, &installer, &client, {&runner, &sound});
        QCoro::waitFor(coordinator.seedBuiltInBundles());
        QStringList ids;
        for (const auto& m : registry.installed())
            ids.append(m.id);
        ids.sort();
        EXPECT_EQ(ids, (QStringList{"effects", "fox", "hare", "piglet"}));
        for (const char* kind : {"viz.runner.fox", "viz.runner.hare", "viz.runner.piglet"})
            EXPECT_TRUE(visualizers.visualizer(QString::fromLatin1(kind))) << kind;
        EXPECT_EQ(SoundRegistry::installed().size(), 3);
        EXPECT_TRUE(SoundRegistry::installed().contains("effects.blip"));

        // The next start finds them installed and makes them live at once.
        InstalledBundleRegistry again(InstalledBundleRegistry::defaultRootDir());
        again.scan();
        VisualizerRegistry nextVisualizers;
        RunnerStoreAdapter nextRunner{{Type::runnerSprite}, &nextVisualizers};
        SoundRegistry::installed().clear();
        StoreCoordinator next(&again, &installer, &client, {&nextRunner, &sound});
        EXPECT_TRUE(nextVisualizers.visualizer(QStringLiteral("viz.runner.fox")));
        EXPECT_EQ(SoundRegistry::installed().size(), 3);
        EXPECT_EQ(coordinator.lastError(), std::nullopt);
    }
    qputenv("XDG_DATA_HOME", oldData);
    SoundRegistry::installed().clear();
}
