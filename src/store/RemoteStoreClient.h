#pragma once

#include "platform/net/HttpFetch.h"
#include "store/BundleVerifier.h"
#include "store/RemoteCatalogue.h"
#include "store/StoreAssetCache.h"
#include "store/StoreClient.h"

#include <QPointer>
#include <QUrl>
#include <memory>
#include <optional>
#include <variant>

class QNetworkAccessManager;

namespace gaugelet {

// The store backend the program uses. Lists the signed remote catalogue (its
// kept copy when the network fails, else a built-in list of two entries), and
// hands out bundle archives from the asset cache, else by an HTTPS download
// that it caches, else from the bundles shipped in "StoreAssets". A listing
// never fails. Main thread only.
class RemoteStoreClient : public StoreClient {
    Q_OBJECT

public:
    static constexpr qint64 maxBundleBytes = BundleVerifier::maxBundleBytes;
    // A download ends after this long without a byte…
    static constexpr double downloadTimeoutSeconds = 10.0;
    // …and in any case after this long: 5 MiB in five minutes is a line of
    // about 140 kbit/s.
    static constexpr double downloadDeadlineSeconds = 300.0;

    struct DownloadError {
        enum class Kind { bundleNotShipped, bundleDownloadFailed, transport };
        Kind kind = Kind::transport;
        QString itemId = {}; // bundleNotShipped
        int status = 0; // bundleDownloadFailed

        // The case and its payload: `bundleNotShipped("fox")`,
        // `bundleDownloadFailed(status: 404)`, `transport`.
        QString describe() const;
        // The user-readable sentence.
        QString localizedDescription() const;
        bool operator==(const DownloadError&) const = default;
    };

    // What a download can end with: a transport error of the fetch itself, or
    // one of the client's own.
    using DownloadFailure = std::variant<HttpFetch::FetchError, DownloadError>;
    static QString describe(const DownloadFailure& failure);

    // One row of the built-in catalogue.
    struct FallbackRow {
        const char* bundleId;
        const char* variantId;
        const char* displayName;
        qint64 priceCents;
        const char* currency;
        const char* type;
    };

    // The program's client: the default asset cache, the shared network
    // session and the catalogue of the build.
    explicit RemoteStoreClient(QObject* parent = nullptr);
    // The store's client factory: the program's one client, owned by the caller.
    static std::unique_ptr<RemoteStoreClient> makeDefault();
    RemoteStoreClient(StoreAssetCache assets, QNetworkAccessManager* session, RemoteCatalogue* catalogue,
                      QObject* parent = nullptr);

    QCoro::Task<Result<QList<StoreItem>, Error>> listAvailable() override;
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override;

    StoreItem makeItem(const RemoteCatalogue::RemoteProduct& product) const;
    static std::optional<QUrl> parseAssetURL(const std::optional<QString>& text);
    static BundleManifest::BundleType bucketType(const QString& type);
    static QList<RemoteCatalogue::RemoteProduct> fallbackCatalogue();
    QCoro::Task<Result<QByteArray, DownloadFailure>> downloadBundle(QUrl url);
    // The shipped archive whose verified manifest has this id.
    static std::optional<QString> bundledBundleURL(const QString& itemId);

    const StoreAssetCache& assets() const { return m_assets; }
    RemoteCatalogue* catalogue() const { return m_catalogue; }

private:
    StoreAssetCache m_assets;
    QPointer<QNetworkAccessManager> m_session;
    QPointer<RemoteCatalogue> m_catalogue;
};

} // namespace gaugelet
