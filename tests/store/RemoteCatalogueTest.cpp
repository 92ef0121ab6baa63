#include "store/RemoteCatalogue.h"

#include "RemoteCatalogueCheck.h"

#include "StoreTestSupport.h"
#include "TestSupport.h"
#include "schema/SettingsSchema.h"
#include "store/UserDefaultsRemoteCatalogueCache.h"

#include <QCoro/QCoroTask>
#include <QNetworkAccessManager>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;
using namespace gaugelet::test;
using Kind = RemoteCatalogue::FetchFailure::Kind;

namespace {

class RemoteCatalogueTest : public ::testing::Test {
protected:
    RemoteCatalogueTest()
    {
        auto c = std::make_shared<UserDefaultsRemoteCatalogueCache>(defaults.get());
        cache = c.get();
        catalogue = std::make_unique<RemoteCatalogue>(&session, c, [this] { return clock.now(); },
                                                      NaclKeyPair::shared().publicKey(), host.origin());
        // The host answers at once, but the process's first TLS handshake can
        // take seconds under the sanitizers on a busy machine: no request
        // deadline here (ctest's limit ends a hang), so no race with it.
        catalogue->setRequestTimeout(std::numeric_limits<double>::infinity());
    }

    QList<RemoteCatalogue::RemoteProduct> fetchIfStale() { return awaitTask(catalogue->fetchIfStale()); }
    Result<QList<RemoteCatalogue::RemoteProduct>, RemoteCatalogue::FetchFailure> fetchAndVerify()
    {
        return awaitTask(catalogue->fetchAndVerify());
    }
    // A good copy kept at the clock's present.
    QByteArray keepGoodCopy(const QStringList& ids)
    {
        QList<QJsonObject> products;
        for (const auto& id : ids)
            products.append(productObject(id));
        const QByteArray doc = catalogueBytes(products);
        host.serveCatalogue(NaclKeyPair::shared(), doc);
        EXPECT_TRUE(fetchAndVerify());
        return doc;
    }

    ScopedDefaults defaults;
    ManualWallClock clock;
    QNetworkAccessManager session;
    FakeStoreHost host;
    RemoteCatalogueCache* cache = nullptr;
    std::unique_ptr<RemoteCatalogue> catalogue;
};

QStringList ids(const QList<RemoteCatalogue::RemoteProduct>& products)
{
    QStringList out;
    for (const auto& p : products)
        out.append(p.bundleId);
    return out;
}

} // namespace

// Fetching

TEST_F(RemoteCatalogueTest, FetchVerifiesDecodesAndKeepsTheCopy)
{
    QJsonObject withURL = productObject("b", "sound_pack", "https://cdn.example.invalid/b.gaugebundle");
    const QByteArray doc = catalogueBytes({productObject("a"), withURL});
    host.serveCatalogue(NaclKeyPair::shared(), doc);
    LogCapture log;

    auto result = fetchAndVerify();
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    ASSERT_EQ(result->size(), 2);
    const auto& a = result->at(0);
    EXPECT_EQ(a.bundleId, QStringLiteral("a"));
    EXPECT_EQ(a.variantId, QStringLiteral("a-v1"));
    EXPECT_EQ(a.releaseDate, QDateTime(QDate(2026, 11, 1), QTime(10, 0), Qt::UTC));
    EXPECT_EQ(a.priceCents, 250);
    EXPECT_EQ(a.assetURL, std::nullopt);
    EXPECT_EQ(result->at(1).assetURL, QStringLiteral("https://cdn.example.invalid/b.gaugebundle"));
    EXPECT_EQ(result->at(1).type, QStringLiteral("sound_pack"));

    EXPECT_EQ(cache->catalogueData(), doc);
    EXPECT_EQ(cache->catalogueSignature(), NaclKeyPair::shared().sign(doc));
    EXPECT_EQ(cache->lastFetchAt(), clock.now());
    EXPECT_EQ(defaults->data(SettingsSchema::catalogueCache), doc);
    EXPECT_TRUE(log.contains(QStringLiteral("fetchAndVerify: ok products=2 bytes=%1").arg(doc.size())));
    EXPECT_EQ(host.requestCount("/store/catalogue-v1.json"), 1);
    EXPECT_EQ(host.requestCount("/store/catalogue-v1.json.sig"), 1);
}

TEST_F(RemoteCatalogueTest, AnEmptyProductListIsASuccessfulFetch)
{
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({}));
    auto result = fetchAndVerify();
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->isEmpty());
    EXPECT_TRUE(cache->catalogueData().has_value());
    EXPECT_EQ(catalogue->cachedIfFresh(), QList<RemoteCatalogue::RemoteProduct>{});
}

TEST_F(RemoteCatalogueTest, DocumentFailureWinsWhenBothRequestsFail)
{
    host.setRoute("/store/catalogue-v1.json", HttpAnswer{404});
    host.setRoute("/store/catalogue-v1.json.sig", HttpAnswer{500});
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().describe(), QStringLiteral("http_404"));

    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({}));
    host.setRoute("/store/catalogue-v1.json.sig", HttpAnswer{503});
    result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().describe(), QStringLiteral("http_503"));
    EXPECT_FALSE(cache->catalogueData().has_value());
}

TEST_F(RemoteCatalogueTest, UnsetHostIsANetworkFailureWithoutTraffic)
{
    RemoteCatalogue unset(&session, std::make_shared<UserDefaultsRemoteCatalogueCache>(defaults.get()),
                          [this] { return clock.now(); }, NaclKeyPair::shared().publicKey(), std::nullopt);
    auto result = awaitTask(unset.fetchAndVerify());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, Kind::network);
    EXPECT_TRUE(result.error().describe().startsWith(QStringLiteral("network=")));
    EXPECT_EQ(host.requestCount(), 0);
}

TEST_F(RemoteCatalogueTest, RedirectToPlainHttpIsRefused)
{
    LocalHttpServer plain(LocalHttpServer::always(HttpAnswer{200, "plain"}));
    const QByteArray doc = catalogueBytes({productObject("a")});
    host.serveCatalogue(NaclKeyPair::shared(), doc);
    host.setRoute("/store/catalogue-v1.json",
                  HttpAnswer{302, {}, {{"Location", plain.url(QStringLiteral("/store/catalogue-v1.json")).toEncoded()}}});
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, Kind::network);
    EXPECT_EQ(plain.requestCount(), 0);
}

// The signature file

TEST_F(RemoteCatalogueTest, BlanksAroundTheSignatureAreIgnoredButALineBreakInsideIsMalformed)
{
    const QByteArray doc = catalogueBytes({productObject("a")});
    const QByteArray b64 = NaclKeyPair::shared().sign(doc).toBase64();
    host.serveCatalogue(NaclKeyPair::shared(), doc);
    host.setRoute("/store/catalogue-v1.json.sig", HttpAnswer{200, " \t\r\n" + b64 + "\n"});
    EXPECT_TRUE(fetchAndVerify());

    LogCapture log;
    const QByteArray broken = b64.left(40) + "\n" + b64.mid(40);
    host.setRoute("/store/catalogue-v1.json.sig", HttpAnswer{200, broken});
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().describe(), QStringLiteral("sig_malformed"));
    EXPECT_TRUE(log.contains(QStringLiteral("fetchAndVerify: signature file malformed (raw_size=%1)").arg(broken.size())));
}

TEST_F(RemoteCatalogueTest, SignaturesOf63Or65BytesAreMalformedAndTheRawSizeIsLogged)
{
    const QByteArray doc = catalogueBytes({});
    host.serveCatalogue(NaclKeyPair::shared(), doc);
    for (int n : {63, 65}) {
        LogCapture log;
        const QByteArray file = QByteArray(n, 'x').toBase64() + "\n";
        host.setRoute("/store/catalogue-v1.json.sig", HttpAnswer{200, file});
        auto result = fetchAndVerify();
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, Kind::malformedSignature);
        EXPECT_TRUE(log.contains(QStringLiteral("raw_size=%1)").arg(file.size()))) << n;
    }
}

TEST_F(RemoteCatalogueTest, SignatureByAnotherKeyIsRejectedAndNothingIsKept)
{
    LogCapture log;
    host.serveCatalogue(NaclKeyPair::other(), catalogueBytes({productObject("a")}));
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().describe(), QStringLiteral("sig_invalid"));
    EXPECT_TRUE(log.contains(QStringLiteral("fetchAndVerify: Ed25519 signature did not verify")));
    EXPECT_FALSE(cache->catalogueData().has_value());
    EXPECT_FALSE(cache->lastFetchAt().has_value());
}

// Decoding

TEST_F(RemoteCatalogueTest, MissingAssetURLAndNullDecodeButMissingStatusOrVariantFailTheDocument)
{
    QJsonObject nullURL = productObject("n");
    nullURL.insert(QStringLiteral("assetURL"), QJsonValue::Null);
    auto ok = RemoteCatalogue::decode(catalogueBytes({productObject("a"), nullURL}));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->products.at(1).assetURL, std::nullopt);

    for (const char* key : {"status", "variantId"}) {
        QJsonObject p = productObject("x");
        p.remove(QLatin1String(key));
        auto bad = RemoteCatalogue::decode(catalogueBytes({productObject("a"), p}));
        ASSERT_FALSE(bad) << key;
        EXPECT_TRUE(bad.error().contains(QLatin1String(key))) << bad.error().toStdString();
    }
}

TEST_F(RemoteCatalogueTest, FractionalSecondsFailTheDocument)
{
    QJsonObject p = productObject("x");
    p.insert(QStringLiteral("releaseDate"), QStringLiteral("2025-03-01T12:00:00.500Z"));
    EXPECT_FALSE(RemoteCatalogue::decode(catalogueBytes({p})));
    p.insert(QStringLiteral("releaseDate"), QStringLiteral("2025-03-01T13:00:00+01:00"));
    auto ok = RemoteCatalogue::decode(catalogueBytes({p}));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->products.at(0).releaseDate, QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC));
}

TEST_F(RemoteCatalogueTest, MalformedDocumentIsLoggedAndRefused)
{
    LogCapture log;
    host.serveCatalogue(NaclKeyPair::shared(), "{\"version\": 1, \"products\": []}");
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().describe(), QStringLiteral("json_malformed"));
    EXPECT_TRUE(log.contains(QStringLiteral("fetchAndVerify: malformed JSON: ")));
}

TEST_F(RemoteCatalogueTest, VersionTwoFailsAndLeavesTheKeptCopy)
{
    const QByteArray kept = keepGoodCopy({"a"});
    LogCapture log;
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({productObject("b")}, 2));
    clock.advanceSecs(60);
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().describe(), QStringLiteral("version_mismatch(2)"));
    EXPECT_TRUE(log.contains(QStringLiteral("fetchAndVerify: envelope version=2 ≠ 1")));
    EXPECT_EQ(cache->catalogueData(), kept);
    EXPECT_EQ(cache->lastFetchAt(), clock.now().addSecs(-60));
}

TEST_F(RemoteCatalogueTest, AKeptCopyOfVersionTwoIsSilentlyIgnored)
{
    const QByteArray doc = catalogueBytes({productObject("a")}, 2);
    cache->setCatalogueData(doc);
    cache->setCatalogueSignature(NaclKeyPair::shared().sign(doc));
    cache->setLastFetchAt(clock.now());
    LogCapture log;
    EXPECT_EQ(catalogue->decodeCached(), std::nullopt);
    EXPECT_TRUE(cache->catalogueData().has_value());
    EXPECT_TRUE(log.lines().isEmpty());
}

// Freshness and the kept copy

TEST_F(RemoteCatalogueTest, KeptCopyServesForUnderSixHoursThenTheNetworkIsTried)
{
    keepGoodCopy({"a"});
    const int requests = host.requestCount();
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({productObject("new")}));
    LogCapture log;
    clock.advanceSecs(21'599);
    EXPECT_EQ(ids(fetchIfStale()), QStringList{"a"});
    EXPECT_EQ(host.requestCount(), requests);
    EXPECT_TRUE(log.contains(QStringLiteral("fetchIfStale: cache fresh, skipping network")));

    clock.advanceSecs(1);
    EXPECT_EQ(ids(fetchIfStale()), QStringList{"new"});
    EXPECT_EQ(host.requestCount(), requests + 2);
}

TEST_F(RemoteCatalogueTest, AFetchTimeInTheFutureCountsAsFresh)
{
    keepGoodCopy({"a"});
    clock.advanceSecs(-86'400);
    EXPECT_EQ(ids(*catalogue->cachedIfFresh()), QStringList{"a"});
}

TEST_F(RemoteCatalogueTest, FreshCopyWithABrokenSignatureIsClearedAndTheNetworkFollows)
{
    keepGoodCopy({"a"});
    QByteArray sig = *cache->catalogueSignature();
    sig[0] = char(sig[0] ^ 1);
    cache->setCatalogueSignature(sig);
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({productObject("b")}));
    LogCapture log;
    EXPECT_EQ(ids(fetchIfStale()), QStringList{"b"});
    EXPECT_TRUE(log.contains(QStringLiteral("decodeCached: cached signature failed; clearing cache")));
    EXPECT_EQ(cache->catalogueSignature(), NaclKeyPair::shared().sign(catalogueBytes({productObject("b")})));
}

TEST_F(RemoteCatalogueTest, FailedFetchFallsBackToTheKeptCopyElseEmpty)
{
    LogCapture log;
    host.setRoute("/store/catalogue-v1.json", HttpAnswer{404});
    EXPECT_TRUE(fetchIfStale().isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("fetchIfStale failed: http_404; falling back to cache")));

    keepGoodCopy({"a", "b"});
    clock.advanceSecs(7 * 86'400);
    host.serveCatalogue(NaclKeyPair::other(), catalogueBytes({productObject("evil")}));
    EXPECT_EQ(ids(fetchIfStale()), (QStringList{"a", "b"}));
    EXPECT_TRUE(log.contains(QStringLiteral("fetchIfStale failed: sig_invalid; falling back to cache")));
}

TEST_F(RemoteCatalogueTest, UnreachableHostFailsAsNetwork)
{
    host.setRoute("/store/catalogue-v1.json", HttpAnswer::dropping());
    auto result = fetchAndVerify();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, Kind::network);
}

TEST(RemoteCatalogue, FuzzInputsKeepTheFuzzTargetsProperty)
{
    for (const auto& [name, bytes] : test::fuzzInputs(QStringLiteral(GAUGELET_TEST_DATA_DIR "/fuzz-catalogue"))) {
        EXPECT_EQ(fuzz::checkCatalogue(bytes), QString()) << name.toStdString();
        if (name.startsWith(QLatin1String("seed-"))) {
            EXPECT_TRUE(RemoteCatalogue::decode(bytes)) << name.toStdString();
        }
    }
}
