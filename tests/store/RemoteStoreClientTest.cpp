#include "store/RemoteStoreClient.h"

#include "StoreTestSupport.h"
#include "TestSupport.h"
#include "store/StoreCoordinator.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Type = BundleManifest::BundleType;

namespace {

class RemoteStoreClientTest : public ::testing::Test {
protected:
    RemoteStoreClientTest()
    {
        catalogue = host.catalogue(&session, defaults.get(), [this] { return clock.now(); });
        client = std::make_unique<RemoteStoreClient>(StoreAssetCache::defaultCache(), &session, catalogue);
    }

    QList<StoreItem> list() { return awaitTask(client->listAvailable()).value(); }
    Result<QByteArray, StoreClient::Error> fetch(const StoreItem& item) { return awaitTask(client->fetchBundle(item)); }

    StoreItem itemAt(const QString& id, const QString& path)
    {
        StoreItem item;
        item.id = id;
        item.downloadHandle = id;
        item.assetURL = host.url(path);
        return item;
    }

    ScopedStoreFolders folders;
    ScopedStoreKey storeKey{NaclKeyPair::shared()};
    ScopedDefaults defaults;
    ManualWallClock clock;
    QNetworkAccessManager session;
    FakeStoreHost host;
    RemoteCatalogue* catalogue = nullptr;
    std::unique_ptr<RemoteStoreClient> client;
};

} // namespace

// Listing

TEST_F(RemoteStoreClientTest, RemoteProductsBecomeItemsInCatalogueOrder)
{
    QJsonObject adult = productObject(*StoreCoordinator::adultContentIds().begin(), "runnerSprite");
    QJsonObject sound = productObject("chimes", "sound_pack", "  https://cdn.example.invalid/packs/chimes.gaugebundle\n");
    QJsonObject plain = productObject("plain", "soundPack", "http://cdn.example.invalid/plain.gaugebundle");
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({sound, adult, plain, productObject("chimes")}));
    LogCapture log;
    const QList<StoreItem> items = list();
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(log.contains("listAvailable: 4 products from remote catalogue"));
    const StoreItem& first = items.at(0);
    EXPECT_EQ(first.id, QStringLiteral("chimes"));
    EXPECT_EQ(first.downloadHandle, QStringLiteral("chimes"));
    EXPECT_EQ(first.displayName, QStringLiteral("CHIMES"));
    EXPECT_EQ(first.author, QStringLiteral("Tester"));
    EXPECT_EQ(first.priceCents, 250);
    EXPECT_EQ(first.currency, QStringLiteral("EUR"));
    EXPECT_EQ(first.type, Type::soundPack);
    EXPECT_EQ(first.assetURL, QUrl("https://cdn.example.invalid/packs/chimes.gaugebundle"));
    EXPECT_FALSE(first.isNSFW);
    EXPECT_TRUE(items.at(1).isNSFW);
    EXPECT_EQ(items.at(2).type, Type::soundPack);
    EXPECT_EQ(items.at(2).assetURL, std::nullopt);
    EXPECT_EQ(items.at(3).id, QStringLiteral("chimes")); // duplicates pass through
}

TEST_F(RemoteStoreClientTest, EmptyRemoteAndNoKeptCopyGiveTheTwoBuiltInItems)
{
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({}));
    LogCapture log;
    const QList<StoreItem> items = list();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(log.contains("listAvailable: 2 products from build-time literal (fallback)"));
    EXPECT_EQ(items.at(0).id, QStringLiteral("fox"));
    EXPECT_EQ(items.at(0).type, Type::runnerSprite);
    EXPECT_EQ(items.at(1).id, QStringLiteral("effects"));
    EXPECT_EQ(items.at(1).type, Type::soundPack);
    for (const auto& item : items) {
        EXPECT_EQ(item.author, QStringLiteral("Gaugelet"));
        EXPECT_EQ(item.releaseDate, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
        EXPECT_EQ(item.assetURL, std::nullopt);
        EXPECT_EQ(item.priceCents, 0);
    }
}

TEST_F(RemoteStoreClientTest, UnreachableCatalogueFallsBackToTheBuiltInList)
{
    host.setRoute("/store/catalogue-v1.json", HttpAnswer::dropping());
    EXPECT_EQ(list().size(), 2);
}

TEST_F(RemoteStoreClientTest, AssetAddressesMustBeHttps)
{
    EXPECT_EQ(RemoteStoreClient::parseAssetURL(QStringLiteral(" \thttps://a.example/x.gaugebundle \n")),
              QUrl("https://a.example/x.gaugebundle"));
    EXPECT_EQ(RemoteStoreClient::parseAssetURL(QStringLiteral("HTTPS://a.example/x.gaugebundle")),
              QUrl("HTTPS://a.example/x.gaugebundle"));
    for (const QString& bad : {QStringLiteral("http://a.example/x.gaugebundle"), QStringLiteral("/packs/x.gaugebundle"),
                               QStringLiteral(""), QStringLiteral("   "), QStringLiteral("ftp://a.example/x"),
                               QStringLiteral("https://a b/%zz")})
        EXPECT_EQ(RemoteStoreClient::parseAssetURL(bad), std::nullopt) << bad.toStdString();
    EXPECT_EQ(RemoteStoreClient::parseAssetURL(std::nullopt), std::nullopt);
}

TEST_F(RemoteStoreClientTest, TypesMapExactlyAndUnknownOnesAreLoggedAsRunnerSprites)
{
    EXPECT_EQ(RemoteStoreClient::bucketType("runnerSprite"), Type::runnerSprite);
    EXPECT_EQ(RemoteStoreClient::bucketType("runner_sprite"), Type::runnerSprite);
    EXPECT_EQ(RemoteStoreClient::bucketType("soundPack"), Type::soundPack);
    EXPECT_EQ(RemoteStoreClient::bucketType("sound_pack"), Type::soundPack);
    LogCapture log;
    EXPECT_EQ(RemoteStoreClient::bucketType("SoundPack"), Type::runnerSprite);
    EXPECT_TRUE(log.contains("unknown remote product type=SoundPack; bucketing as runnerSprite"));
}

// Fetching bundles

TEST_F(RemoteStoreClientTest, DownloadIsCachedAndSharedByItemsWithTheSameFileName)
{
    const QByteArray bundle = signedBundle(NaclKeyPair::shared(), QStringLiteral("a"), Members{{"assets/x.bin", "x"}});
    host.setRoute("/one/pack.gaugebundle", HttpAnswer{200, bundle});
    LogCapture log;
    auto first = fetch(itemAt("a", "/one/pack.gaugebundle"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.value(), bundle);
    EXPECT_EQ(readFile(folders.assetCache() + "/pack.gaugebundle"), bundle);
    EXPECT_TRUE(log.contains(QStringLiteral("HTTP GET %1 start").arg(host.url("/one/pack.gaugebundle").toString())));
    EXPECT_TRUE(log.contains(QStringLiteral("HTTP GET %1 status=200 elapsed_ms=").arg(host.url("/one/pack.gaugebundle").toString())));

    auto second = fetch(itemAt("b", "/two/pack.gaugebundle"));
    ASSERT_TRUE(second);
    EXPECT_EQ(second.value(), bundle);
    EXPECT_EQ(host.requestCount("/two/pack.gaugebundle"), 0);
}

TEST_F(RemoteStoreClientTest, BodyExactlyAtTheCapIsAccepted)
{
    const QByteArray body(RemoteStoreClient::maxBundleBytes, 'a');
    host.setRoute("/cap.gaugebundle", HttpAnswer{200, body});
    auto result = awaitTask(client->downloadBundle(host.url("/cap.gaugebundle")));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->size(), RemoteStoreClient::maxBundleBytes);
}

TEST_F(RemoteStoreClientTest, SlowButSteadyDownloadFinishesPastTenSeconds)
{
    // 12 s in all, a piece every 200 ms: only silence may end a download.
    const QByteArray body(60 * 1000, 'w');
    host.setRoute("/slow.gaugebundle", HttpAnswer::slowBody(body, 1000, 200));
    auto result = awaitTask(client->downloadBundle(host.url("/slow.gaugebundle")));
    ASSERT_TRUE(result) << RemoteStoreClient::describe(result.error()).toStdString();
    EXPECT_EQ(result.value(), body);
}

TEST_F(RemoteStoreClientTest, OversizeDownloadIsRefusedAndTheShippedCopyServes)
{
    const QByteArray shipped = signedBundle(NaclKeyPair::shared(), QStringLiteral("big"), Members{{"assets/x.bin", "x"}});
    folders.ship("big.gaugebundle", shipped);
    host.setRoute("/big.gaugebundle", HttpAnswer{200, QByteArray(6'000'000, 'b')});
    LogCapture log;
    auto result = fetch(itemAt("big", "/big.gaugebundle"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result.value(), shipped);
    EXPECT_TRUE(log.contains("download oversize bytes=6000000 cap=5242880"));
    EXPECT_TRUE(log.contains("fetchBundle remote_failed item=big error=bundleDownloadFailed(status: 200); "
                             "falling back to bundled resource"));
    EXPECT_FALSE(QFileInfo::exists(folders.assetCache() + "/big.gaugebundle"));
}

TEST_F(RemoteStoreClientTest, EndlessBodyIsCutAtTheCap)
{
    host.setRoute("/endless.gaugebundle", HttpAnswer::endlessBody());
    LogCapture log;
    auto result = awaitTask(client->downloadBundle(host.url("/endless.gaugebundle")));
    ASSERT_FALSE(result);
    const auto* error = std::get_if<RemoteStoreClient::DownloadError>(&result.error());
    ASSERT_NE(error, nullptr) << RemoteStoreClient::describe(result.error()).toStdString();
    EXPECT_EQ(error->kind, RemoteStoreClient::DownloadError::Kind::bundleDownloadFailed);
    EXPECT_EQ(error->status, 200);
    EXPECT_TRUE(log.contains("download oversize bytes=5242881 cap=5242880"));
}

TEST_F(RemoteStoreClientTest, BodyCutShortIsATransportErrorAndFallsBack)
{
    host.setRoute("/short.gaugebundle", HttpAnswer::cutShort(QByteArray(1000, 's'), 50'000));
    LogCapture log;
    auto result = fetch(itemAt("short", "/short.gaugebundle"));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().text, QStringLiteral("bundleNotShipped(\"short\")"));
    EXPECT_EQ(result.error().localizedDescription,
              QStringLiteral("The bundle for \"short\" isn't included in this build."));
    EXPECT_TRUE(log.contains(QStringLiteral("HTTP GET %1 transport_error=").arg(host.url("/short.gaugebundle").toString())));
    EXPECT_FALSE(QFileInfo::exists(folders.assetCache() + "/short.gaugebundle"));
}

TEST_F(RemoteStoreClientTest, StatusOutside2xxLogsTheStatusThenFallsBack)
{
    host.setRoute("/gone.gaugebundle", HttpAnswer{404, "nope"});
    LogCapture log;
    auto result = fetch(itemAt("gone", "/gone.gaugebundle"));
    ASSERT_FALSE(result);
    const QStringList lines = log.lines();
    const auto status = std::find_if(lines.begin(), lines.end(), [](const QString& l) { return l.contains("status=404"); });
    const auto remote = std::find_if(lines.begin(), lines.end(), [](const QString& l) {
        return l == "fetchBundle remote_failed item=gone error=bundleDownloadFailed(status: 404); falling back to bundled resource";
    });
    ASSERT_NE(status, lines.end());
    ASSERT_NE(remote, lines.end());
    EXPECT_LT(status - lines.begin(), remote - lines.begin());
    EXPECT_FALSE(log.contains("download oversize"));
    EXPECT_EQ(RemoteStoreClient::DownloadError({RemoteStoreClient::DownloadError::Kind::bundleDownloadFailed, {}, 404})
                  .localizedDescription(),
              QStringLiteral("Couldn't download the bundle (HTTP 404). Check your internet connection and try again."));
}

TEST_F(RemoteStoreClientTest, RedirectToPlainHttpIsNeverFollowed)
{
    LocalHttpServer plain(LocalHttpServer::always(HttpAnswer{200, "plain"}));
    host.setRoute("/moved.gaugebundle",
                  HttpAnswer{302, {}, {{"Location", plain.url("/moved.gaugebundle").toEncoded()}}});
    auto result = awaitTask(client->downloadBundle(host.url("/moved.gaugebundle")));
    EXPECT_FALSE(result);
    EXPECT_EQ(plain.requestCount(), 0);
}

TEST_F(RemoteStoreClientTest, CachedArchiveThatNoLongerVerifiesIsReplaced)
{
    const QByteArray good = signedBundle(NaclKeyPair::shared(), QStringLiteral("c"), Members{{"assets/x.bin", "x"}});
    writeFile(folders.assetCache() + "/c.gaugebundle", signedBundle(NaclKeyPair::other(), QStringLiteral("c"), Members{{"assets/x.bin", "x"}}));
    host.setRoute("/c.gaugebundle", HttpAnswer{200, good});
    LogCapture log;
    auto result = fetch(itemAt("c", "/c.gaugebundle"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result.value(), good);
    EXPECT_EQ(host.requestCount("/c.gaugebundle"), 1);
    EXPECT_EQ(readFile(folders.assetCache() + "/c.gaugebundle"), good);
    EXPECT_TRUE(log.contains("fetchBundle cached_invalid item=c filename=c.gaugebundle"));
}

TEST_F(RemoteStoreClientTest, AddressesWithoutAPlainFileNameAreDownloadedButNeverCached)
{
    const QByteArray bundle = signedBundle(NaclKeyPair::shared(), QStringLiteral("d"), Members{{"assets/x.bin", "x"}});
    writeFile(folders.cacheHome() + "/dev.gaugelet.app/victim", "keep");
    host.server().setHandler(LocalHttpServer::always(HttpAnswer{200, bundle}));
    for (const QString& path : {QStringLiteral("/dl/%2E%2E"), QStringLiteral("/dl/a%00b"), QStringLiteral("/"),
                                QStringLiteral("/dl/.hidden")}) {
        auto result = fetch(itemAt("d", path));
        ASSERT_TRUE(result) << path.toStdString();
        EXPECT_EQ(result.value(), bundle);
    }
    EXPECT_EQ(readFile(folders.cacheHome() + "/dev.gaugelet.app/victim"), QByteArray("keep"));
    EXPECT_TRUE(QDir(folders.assetCache()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// The shipped copies

TEST_F(RemoteStoreClientTest, ItemWithoutAddressComesFromStoreAssetsOrIsNotShipped)
{
    const QByteArray shipped = signedBundle(NaclKeyPair::shared(), QStringLiteral("fox"), Members{{"assets/x.bin", "x"}});
    folders.ship("fox.gaugebundle", shipped);
    StoreItem item;
    item.id = QStringLiteral("fox");
    auto result = fetch(item);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.value(), shipped);
    EXPECT_EQ(host.requestCount(), 0);

    item.id = QStringLiteral("wolf");
    result = fetch(item);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().text, QStringLiteral("bundleNotShipped(\"wolf\")"));
}

TEST_F(RemoteStoreClientTest, BundledLookupSkipsCapitalExtensionsAndBadSignatures)
{
    folders.ship("upper.GAUGEBUNDLE", signedBundle(NaclKeyPair::shared(), QStringLiteral("upper"), Members{{"a", "a"}}));
    folders.ship("forged.gaugebundle", signedBundle(NaclKeyPair::other(), QStringLiteral("forged"), Members{{"a", "a"}}));
    folders.ship("renamed.gaugebundle", signedBundle(NaclKeyPair::shared(), QStringLiteral("real-id"), Members{{"a", "a"}}));
    EXPECT_EQ(RemoteStoreClient::bundledBundleURL("upper"), std::nullopt);
    EXPECT_EQ(RemoteStoreClient::bundledBundleURL("forged"), std::nullopt);
    EXPECT_EQ(RemoteStoreClient::bundledBundleURL("renamed"), std::nullopt);
    EXPECT_EQ(RemoteStoreClient::bundledBundleURL("real-id"), folders.storeAssets() + "/renamed.gaugebundle");
}

TEST(RemoteStoreClient, BuiltInRowsNameBundlesThatShip)
{
    // Against the real resources and the real store key.
    for (const auto& product : RemoteStoreClient::fallbackCatalogue())
        EXPECT_TRUE(RemoteStoreClient::bundledBundleURL(product.bundleId).has_value()) << product.bundleId.toStdString();
}

TEST(RemoteStoreClient, FactoryClientUsesTheDefaultCacheAndAnUnsetHostFallsBack)
{
    ScopedStoreFolders folders;
    ScopedDefaults defaults;
    auto client = RemoteStoreClient::makeDefault();
    EXPECT_EQ(client->assets().rootURL, folders.assetCache());
    ASSERT_NE(client->catalogue(), nullptr);
    // The build leaves the store host unset: no traffic, the built-in list.
    if (!RemoteCatalogue::configuredHost()) {
        const auto items = awaitTask(client->listAvailable()).value();
        EXPECT_EQ(items.size(), 2);
    }
}
