#pragma once

#include "platform/core/Result.h"
#include "platform/net/Ed25519PublicKey.h"
#include "platform/net/HttpFetch.h"
#include "store/RemoteCatalogueCache.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include <QCoro/QCoroTask>

class QNetworkAccessManager;

namespace gaugelet {

// The store's signed catalogue: "/store/catalogue-v1.json" and its detached
// Ed25519 signature "/store/catalogue-v1.json.sig" on the store host, fetched
// over HTTPS, checked with the catalogue key and decoded. The last good copy
// is kept and answered from for six hours, and after that whenever the
// network fails; every use of the kept copy checks its signature again.
// Main thread only.
class RemoteCatalogue : public QObject {
    Q_OBJECT

public:
    static constexpr double freshSeconds = 21'600.0; // six hours
    static constexpr double requestTimeoutSeconds = 5.0;
    // Generous for a list of products; a larger answer is a failed fetch.
    static constexpr qint64 maxDocumentBytes = 4 * 1024 * 1024;
    static inline const QString cataloguePath = QStringLiteral("/store/catalogue-v1.json");
    static inline const QString signaturePath = QStringLiteral("/store/catalogue-v1.json.sig");

    struct RemoteProduct {
        QString bundleId;
        QString variantId;
        QString displayName;
        QString author;
        QDateTime releaseDate;
        qint64 priceCents = 0;
        QString currency;
        QString type;
        std::optional<QString> assetURL;
        QString status;
        bool operator==(const RemoteProduct&) const = default;
    };

    struct Envelope {
        qint64 version = 0;
        QDateTime issuedAt;
        QList<RemoteProduct> products;
        bool operator==(const Envelope&) const = default;
    };

    struct FetchFailure {
        enum class Kind { network, http, versionMismatch, malformedSignature, signatureBad, malformedJSON };
        Kind kind = Kind::network;
        HttpFetch::FetchError transport = {}; // network
        int status = 0;                  // http
        qint64 version = 0;              // versionMismatch

        // "network=…", "http_404", "version_mismatch(2)", "sig_malformed",
        // "sig_invalid", "json_malformed".
        QString describe() const;
    };

    // The program's catalogue: a session of its own (5-second requests, no
    // local cache), the kept copy in the standard user defaults, the wall
    // clock, the catalogue key and the store host of the build.
    explicit RemoteCatalogue(QObject* parent = nullptr);
    // Everything given; host none means the store is not configured, and
    // every fetch then fails as a network failure without any traffic.
    RemoteCatalogue(QNetworkAccessManager* session, std::shared_ptr<RemoteCatalogueCache> cache,
                    std::function<QDateTime()> now, std::optional<Ed25519PublicKey> publicKey,
                    std::optional<QUrl> host, QObject* parent = nullptr);

    // The build's store host as an origin ("https://" is assumed when the
    // setting names a bare host); none when unset.
    static std::optional<QUrl> configuredHost();

    // Kept copy while fresh; else the network; else the kept copy, else empty.
    QCoro::Task<QList<RemoteProduct>> fetchIfStale();
    // Fetches both files at once, verifies, decodes and keeps a new copy.
    QCoro::Task<Result<QList<RemoteProduct>, FetchFailure>> fetchAndVerify();
    // The kept envelope when its signature still verifies and it decodes as version 1.
    std::optional<Envelope> decodeCached();
    // The kept products while younger than six hours and valid.
    std::optional<QList<RemoteProduct>> cachedIfFresh();
    // One GET; the body of a 2xx answer.
    QCoro::Task<Result<QByteArray, FetchFailure>> fetchData(QUrl url);

    // The catalogue decoder shared by both paths. The error is the decoding
    // error's description.
    static Result<Envelope, QString> decode(const QByteArray& json);
    // Strips blanks at both ends and decodes standard, padded Base64; none
    // unless that gives exactly 64 bytes.
    static std::optional<QByteArray> decodeSignatureFile(const QByteArray& file);

    RemoteCatalogueCache* cache() const { return m_cache.get(); }
    // How long each request may take (requestTimeoutSeconds unless set);
    // infinity: no limit of its own.
    void setRequestTimeout(double seconds) { m_requestTimeoutSeconds = seconds; }

private:
    QPointer<QNetworkAccessManager> m_session;
    std::shared_ptr<RemoteCatalogueCache> m_cache;
    std::function<QDateTime()> m_now;
    std::optional<Ed25519PublicKey> m_publicKey;
    std::optional<QUrl> m_host;
    double m_requestTimeoutSeconds = requestTimeoutSeconds;
};

} // namespace gaugelet
