// Content-store timings: verifying a downloaded bundle and indexing archives.

#include "platform/net/Ed25519PublicKey.h"
#include "platform/net/Sha256.h"
#include "store/BundleManifest.h"
#include "store/BundleVerifier.h"
#include "store/RemoteCatalogue.h"
#include "store/RemoteStoreClient.h"
#include "store/ZipReader.h"
#include "storedzip/StoredZip.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>
#include <sodium.h>

using namespace gaugelet;

namespace {

// A stored archive in the accepted subset.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& members)
{
    return StoredZip::write(members).value();
}

struct SignedBundle {
    QByteArray archive;
    Ed25519PublicKey key;
};

SignedBundle makeBundle(int assetCount, qsizetype totalBytes)
{
    if (sodium_init() < 0)
        std::abort();
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(pk, sk);

    QList<QPair<QString, QByteArray>> assets;
    QJsonArray list;
    for (int i = 0; i < assetCount; ++i) {
        QByteArray bytes(totalBytes / assetCount, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        const QString path = QStringLiteral("assets/frame_%1.png").arg(i);
        list.append(QJsonObject{{QStringLiteral("path"), path}, {QStringLiteral("sha256"), Sha256::hexDigest(bytes)}});
        assets.append({path, bytes});
    }
    const QJsonObject manifest{
        {QStringLiteral("schema"), 1}, {QStringLiteral("id"), QStringLiteral("bench")}, {QStringLiteral("version"), 1},
        {QStringLiteral("type"), QStringLiteral("runner_sprite")}, {QStringLiteral("displayName"), QStringLiteral("Bench")},
        {QStringLiteral("author"), QStringLiteral("Bench")}, {QStringLiteral("releaseDate"), QStringLiteral("2026-03-01T12:00:00Z")},
        {QStringLiteral("priceCents"), 0}, {QStringLiteral("currency"), QStringLiteral("USD")}, {QStringLiteral("assets"), list}};
    const QByteArray json = QJsonDocument(manifest).toJson();
    QByteArray signature(crypto_sign_BYTES, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(json.constData()), size_t(json.size()), sk);
    assets.prepend({QStringLiteral("manifest.sig"), signature});
    assets.prepend({QStringLiteral("manifest.json"), json});
    return SignedBundle{storedZip(assets), *Ed25519PublicKey::fromRaw(QByteArrayView(reinterpret_cast<const char*>(pk), 32))};
}

void BM_BundleVerifierVerify5MiB200Assets(benchmark::State& state)
{
    const SignedBundle bundle = makeBundle(200, 5 * 1024 * 1024);
    for (auto _ : state) {
        auto result = BundleVerifier::verify(bundle.archive, bundle.key);
        if (!result)
            state.SkipWithError("bundle did not verify");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * bundle.archive.size());
}
BENCHMARK(BM_BundleVerifierVerify5MiB200Assets)->Unit(benchmark::kMillisecond);

// libsodium's own SHA-256 rate over the same amount of data, for comparison.
void BM_Sha256Of5MiB(benchmark::State& state)
{
    const QByteArray bytes(5 * 1024 * 1024, 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(Sha256::digest(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_Sha256Of5MiB)->Unit(benchmark::kMillisecond);

void BM_ZipReaderIndex1000Members(benchmark::State& state)
{
    QList<QPair<QString, QByteArray>> members;
    for (int i = 0; i < 1000; ++i)
        members.append({QStringLiteral("assets/sprite_%1.png").arg(i), QByteArray(64, char(i))});
    const QByteArray archive = storedZip(members);
    for (auto _ : state) {
        auto reader = ZipReader::read(archive);
        if (!reader || reader->entries.size() != 1000)
            state.SkipWithError("archive did not index");
        benchmark::DoNotOptimize(reader);
    }
}
BENCHMARK(BM_ZipReaderIndex1000Members)->Unit(benchmark::kMicrosecond);

void BM_BundleManifestDecode200Assets(benchmark::State& state)
{
    const SignedBundle bundle = makeBundle(200, 200 * 16);
    const QByteArray json = *ZipReader::read(bundle.archive)->file(QStringLiteral("manifest.json"));
    for (auto _ : state)
        benchmark::DoNotOptimize(BundleManifest::decode(json));
}
BENCHMARK(BM_BundleManifestDecode200Assets)->Unit(benchmark::kMicrosecond);

// The kept catalogue copy in memory, as the user defaults hold it.
class MemoryCatalogueCache final : public RemoteCatalogueCache {
public:
    std::optional<QByteArray> catalogueData() const override { return data; }
    void setCatalogueData(const std::optional<QByteArray>& d) override { data = d; }
    std::optional<QByteArray> catalogueSignature() const override { return signature; }
    void setCatalogueSignature(const std::optional<QByteArray>& s) override { signature = s; }
    std::optional<QDateTime> lastFetchAt() const override { return fetched; }
    void setLastFetchAt(const std::optional<QDateTime>& d) override { fetched = d; }
    void clear() override { data.reset(), signature.reset(), fetched.reset(); }
    std::optional<QByteArray> data, signature;
    std::optional<QDateTime> fetched;
};

// Listing the store from the kept copy: check its signature, decode it and
// map every product to a store item (target: under 5 ms for 200 products).
void BM_RemoteCatalogueList200ProductsFromKeptCopy(benchmark::State& state)
{
    QJsonArray products;
    for (int i = 0; i < 200; ++i) {
        products.append(QJsonObject{
            {"bundleId", QStringLiteral("dev.gaugelet.pack%1").arg(i)}, {"variantId", QStringLiteral("v%1").arg(i)},
            {"displayName", QStringLiteral("Pack %1").arg(i)}, {"author", "Gaugelet"},
            {"releaseDate", "2026-11-01T10:00:00Z"}, {"priceCents", 199}, {"currency", "USD"},
            {"type", i % 2 ? "sound_pack" : "runner_sprite"},
            {"assetURL", QStringLiteral("https://cdn.example.invalid/packs/pack%1.gaugebundle").arg(i)},
            {"status", "live"}});
    }
    const QByteArray document =
        QJsonDocument(QJsonObject{{"version", 1}, {"issuedAt", "2026-12-01T00:00:00Z"}, {"products", products}})
            .toJson(QJsonDocument::Compact);
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(pk, sk);
    QByteArray signature(crypto_sign_BYTES, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(document.constData()), size_t(document.size()), sk);

    auto cache = std::make_shared<MemoryCatalogueCache>();
    cache->data = document;
    cache->signature = signature;
    cache->fetched = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
    RemoteCatalogue catalogue(nullptr, cache, [] { return QDateTime::fromSecsSinceEpoch(1'800'000'060, Qt::UTC); },
                              Ed25519PublicKey::fromRaw(QByteArrayView(reinterpret_cast<const char*>(pk), 32)),
                              std::nullopt);
    RemoteStoreClient client(StoreAssetCache{QStringLiteral("/nonexistent")}, nullptr, &catalogue);
    for (auto _ : state) {
        const auto kept = catalogue.cachedIfFresh();
        if (!kept || kept->size() != 200) {
            state.SkipWithError("kept copy not used");
            break;
        }
        QList<StoreItem> items;
        items.reserve(kept->size());
        for (const auto& product : *kept)
            items.append(client.makeItem(product));
        benchmark::DoNotOptimize(items);
    }
}
BENCHMARK(BM_RemoteCatalogueList200ProductsFromKeptCopy)->Unit(benchmark::kMillisecond);

} // namespace
