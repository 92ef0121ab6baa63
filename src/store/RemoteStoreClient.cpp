#include "store/RemoteStoreClient.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "store/BundleInstaller.h"
#include "store/BundleVerifier.h"
#include "store/InstalledBundleRegistry.h"
#include "store/SigningKeys.h"
#include "store/StoreCoordinator.h"
#include "store/StoreLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QNetworkAccessManager>

namespace gaugelet {

namespace {

// The built-in catalogue. Each row names a bundle that ships in
// "StoreAssets", so a machine without network still lists two installable
// items. Each row carries its own type, so the sound pack is listed as one.
constexpr RemoteStoreClient::FallbackRow fallbackRows[] = {
    {"fox", "fox-builtin-1", "Fox", 0, "USD", "runnerSprite"},
    {"effects", "effects-builtin-1", "Sound Effects", 0, "USD", "soundPack"},
};

StoreClient::Error clientError(const RemoteStoreClient::DownloadError& error)
{
    return StoreClient::Error{error.describe(), error.localizedDescription()};
}

} // namespace

QString RemoteStoreClient::DownloadError::describe() const
{
    switch (kind) {
    case Kind::bundleNotShipped:
        return QStringLiteral("bundleNotShipped(\"%1\")").arg(itemId);
    case Kind::bundleDownloadFailed:
        return QStringLiteral("bundleDownloadFailed(status: %1)").arg(status);
    case Kind::transport:
        return QStringLiteral("transport");
    }
    return {};
}

QString RemoteStoreClient::DownloadError::localizedDescription() const
{
    switch (kind) {
    case Kind::bundleNotShipped:
        return QCoreApplication::translate("RemoteStoreClient", "The bundle for \"%1\" isn't included in this build.")
            .arg(itemId);
    case Kind::bundleDownloadFailed:
        return QCoreApplication::translate(
                   "RemoteStoreClient",
                   "Couldn't download the bundle (HTTP %1). Check your internet connection and try again.")
            .arg(status);
    case Kind::transport:
        return QCoreApplication::translate("RemoteStoreClient",
                                           "Couldn't reach the store. Check your internet connection and try again.");
    }
    return {};
}

QString RemoteStoreClient::describe(const DownloadFailure& failure)
{
    if (const auto* transport = std::get_if<HttpFetch::FetchError>(&failure))
        return transport->fullDescription();
    return std::get<DownloadError>(failure).describe();
}

RemoteStoreClient::RemoteStoreClient(QObject* parent)
    : RemoteStoreClient(StoreAssetCache::defaultCache(), HttpFetch::sharedManager(), nullptr, parent)
{
    m_catalogue = new RemoteCatalogue(this);
}

std::unique_ptr<RemoteStoreClient> RemoteStoreClient::makeDefault()
{
    return std::make_unique<RemoteStoreClient>();
}

RemoteStoreClient::RemoteStoreClient(StoreAssetCache assets, QNetworkAccessManager* session,
                                     RemoteCatalogue* catalogue, QObject* parent)
    : StoreClient(parent), m_assets(std::move(assets)), m_session(session), m_catalogue(catalogue)
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

QCoro::Task<Result<QList<StoreItem>, StoreClient::Error>> RemoteStoreClient::listAvailable()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<RemoteStoreClient> self(this);
    QList<RemoteCatalogue::RemoteProduct> products;
    if (m_catalogue)
        products = co_await m_catalogue->fetchIfStale();
    if (!self)
        co_return QList<StoreItem>{};
    if (!products.isEmpty()) {
        logInfo(lcStoreClient, "listAvailable: %ld products from remote catalogue", long(products.size()));
    } else {
        const auto envelope = m_catalogue ? m_catalogue->decodeCached() : std::nullopt;
        if (!envelope || envelope->products.isEmpty()) {
            products = fallbackCatalogue();
            logInfo(lcStoreClient, "listAvailable: %ld products from build-time literal (fallback)",
                    long(products.size()));
        } else {
            products = envelope->products;
            logInfo(lcStoreClient, "listAvailable: %ld products from cached catalogue", long(products.size()));
        }
    }
    QList<StoreItem> items;
    items.reserve(products.size());
    for (const auto& product : products)
        items.append(makeItem(product));
    co_return items;
}

StoreItem RemoteStoreClient::makeItem(const RemoteCatalogue::RemoteProduct& product) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    StoreItem item;
    item.id = product.bundleId;
    item.displayName = product.displayName;
    item.author = product.author;
    item.releaseDate = product.releaseDate;
    item.priceCents = product.priceCents;
    item.currency = product.currency;
    item.type = bucketType(product.type);
    item.downloadHandle = product.bundleId;
    item.assetURL = product.assetURL ? parseAssetURL(product.assetURL) : std::nullopt;
    item.isNSFW = StoreCoordinator::adultContentIds().contains(product.bundleId);
    return item;
}

std::optional<QUrl> RemoteStoreClient::parseAssetURL(const std::optional<QString>& text)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    if (url.scheme().toLower() != QLatin1String("https"))
        return std::nullopt;
    return url;
}

BundleManifest::BundleType RemoteStoreClient::bucketType(const QString& type)
{
    if (type == QLatin1String("runnerSprite") || type == QLatin1String("runner_sprite"))
        return BundleManifest::BundleType::runnerSprite;
    if (type == QLatin1String("soundPack") || type == QLatin1String("sound_pack"))
        return BundleManifest::BundleType::soundPack;
    logError(lcStoreClient, "unknown remote product type=%s; bucketing as runnerSprite", qUtf8Printable(type));
    return BundleManifest::BundleType::runnerSprite;
}

QList<RemoteCatalogue::RemoteProduct> RemoteStoreClient::fallbackCatalogue()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QList<RemoteCatalogue::RemoteProduct> products;
    for (const auto& row : fallbackRows) {
        RemoteCatalogue::RemoteProduct p;
        p.bundleId = QString::fromUtf8(row.bundleId);
        p.variantId = QString::fromUtf8(row.variantId);
        p.displayName = QString::fromUtf8(row.displayName);
        p.author = QStringLiteral("Gaugelet");
        p.releaseDate = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
        p.priceCents = row.priceCents;
        p.currency = QString::fromUtf8(row.currency);
        p.type = QString::fromUtf8(row.type);
        p.status = QStringLiteral("live");
        products.append(std::move(p));
    }
    return products;
}

QCoro::Task<Result<QByteArray, StoreClient::Error>> RemoteStoreClient::fetchBundle(StoreItem item)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<RemoteStoreClient> self(this);
    if (item.assetURL) {
        const QString name = item.assetURL->fileName();
        const bool cacheable = StoreAssetCache::isCacheableName(name);
        if (!cacheable) {
            logInfo(lcStoreClient, "fetchBundle uncacheable_name item=%s; not using the cache",
                    qUtf8Printable(item.id));
        } else if (auto cached = m_assets.read(name)) {
            // A damaged or stale copy would otherwise be handed out for ever.
            auto verified = BundleVerifier::verify(*cached, StoreSigningKey::key());
            if (verified)
                co_return *cached;
            logError(lcStoreClient, "fetchBundle cached_invalid item=%s filename=%s error=%s; downloading again",
                     qUtf8Printable(item.id), qUtf8Printable(name), qUtf8Printable(verified.error().describe()));
            m_assets.remove(name);
        }
        auto downloaded = co_await downloadBundle(*item.assetURL);
        if (!self)
            co_return fail(clientError(DownloadError{DownloadError::Kind::transport}));
        if (downloaded) {
            if (cacheable)
                (void)m_assets.write(downloaded.value(), name);
            co_return downloaded.value();
        }
        logError(lcStoreClient, "fetchBundle remote_failed item=%s error=%s; falling back to bundled resource",
                 qUtf8Printable(item.id), qUtf8Printable(describe(downloaded.error())));
    }
    const auto url = bundledBundleURL(item.id);
    if (!url)
        co_return fail(clientError(DownloadError{DownloadError::Kind::bundleNotShipped, item.id}));
    auto bytes = FileSystem::readFile(*url);
    if (!bytes)
        co_return fail(StoreClient::Error{bytes.error().describe(), bytes.error().describe()});
    co_return std::move(bytes).value();
}

QCoro::Task<Result<QByteArray, RemoteStoreClient::DownloadFailure>> RemoteStoreClient::downloadBundle(QUrl url)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    HttpFetch::Request request;
    request.url = url;
    // Silence ends a download, not a slow line that keeps delivering.
    request.idleTimeoutSeconds = downloadTimeoutSeconds;
    request.timeoutSeconds = downloadDeadlineSeconds;
    // The cap ends the transfer as soon as the declared length or the bytes
    // received pass it, so an endless body never fills memory.
    request.maxBodyBytes = maxBundleBytes;
    request.requireHttps = true;
    const QByteArray urlText = url.toString(QUrl::FullyEncoded).toUtf8();
    QElapsedTimer started;
    started.start();
    logInfo(lcStoreClient, "HTTP GET %s start", urlText.constData());

    auto outcome = co_await HttpFetch::get(m_session ? m_session.data() : HttpFetch::sharedManager(), request);
    const long elapsedMs = long(started.elapsed());
    if (!outcome) {
        const HttpFetch::FetchError& error = outcome.error();
        if (error.kind == HttpFetch::FetchError::Kind::bodyTooLarge) {
            logInfo(lcStoreClient, "HTTP GET %s status=%ld elapsed_ms=%ld bytes=%ld", urlText.constData(),
                    long(error.statusCode), elapsedMs, long(error.bodyBytes));
            if (error.statusCode >= 200 && error.statusCode <= 299)
                logError(lcStoreClient, "download oversize bytes=%ld cap=%ld", long(error.bodyBytes),
                         long(maxBundleBytes));
            co_return fail(DownloadFailure{DownloadError{DownloadError::Kind::bundleDownloadFailed, {}, error.statusCode}});
        }
        logError(lcStoreClient, "HTTP GET %s transport_error=%s", urlText.constData(),
                 qUtf8Printable(error.fullDescription()));
        co_return fail(DownloadFailure{error});
    }
    const HttpFetch::Response& response = outcome.value();
    // Redirects may never leave https.
    if (response.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        HttpFetch::FetchError error{HttpFetch::FetchError::Kind::insecureScheme,
                                    QStringLiteral("redirected to %1").arg(response.url.scheme())};
        logError(lcStoreClient, "HTTP GET %s transport_error=%s", urlText.constData(),
                 qUtf8Printable(error.fullDescription()));
        co_return fail(DownloadFailure{error});
    }
    if (response.statusCode == 0) {
        logError(lcStoreClient, "HTTP GET %s non_http_response", urlText.constData());
        co_return fail(DownloadFailure{DownloadError{DownloadError::Kind::transport}});
    }
    logInfo(lcStoreClient, "HTTP GET %s status=%ld elapsed_ms=%ld bytes=%ld", urlText.constData(),
            long(response.statusCode), elapsedMs, long(response.body.size()));
    if (response.statusCode >= 200 && response.statusCode <= 299) {
        if (response.body.size() <= maxBundleBytes)
            co_return response.body;
        logError(lcStoreClient, "download oversize bytes=%ld cap=%ld", long(response.body.size()),
                 long(maxBundleBytes));
    }
    co_return fail(DownloadFailure{DownloadError{DownloadError::Kind::bundleDownloadFailed, {}, response.statusCode}});
}

std::optional<QString> RemoteStoreClient::bundledBundleURL(const QString& itemId)
{
    const auto dir = StoreAssetCache::bundledDirectory();
    if (!dir)
        return std::nullopt;
    const auto names = FileSystem::listDirectory(*dir);
    if (!names)
        return std::nullopt;
    for (const QString& name : names.value()) {
        if (QFileInfo(name).suffix() != QLatin1String("gaugebundle"))
            continue;
        const QString path = *dir + QLatin1Char('/') + name;
        auto bytes = FileSystem::readFile(path);
        if (!bytes)
            continue;
        auto verified = BundleVerifier::verify(*bytes, StoreSigningKey::key());
        if (!verified)
            continue;
        if (verified->manifest.id == itemId)
            return path;
    }
    return std::nullopt;
}

} // namespace gaugelet
