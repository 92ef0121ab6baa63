#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace gaugelet {

// Asks a public-address service for this machine's public address. The
// answer is the raw body of a successful (2xx) reply; the caller checks it.
// Lives on the main thread.
class PublicAddressFetcher : public QObject {
    Q_OBJECT
public:
    struct FetchError {
        enum class Kind { invalidUrl, network, timeout, httpStatus };
        Kind kind = Kind::network;
        int httpStatus = 0;
        QString detail;

        QString describe() const;
    };

    // The service's root: a plain-text address, nothing else.
    static QUrl defaultUrl() { return QUrl(QStringLiteral("https://api.ipify.org")); }
    static constexpr int requestTimeoutMs = 5000;   // no data for this long: give up
    static constexpr int resourceTimeoutMs = 8000;  // the whole exchange at most

    explicit PublicAddressFetcher(QUrl url = defaultUrl(), QObject* parent = nullptr);
    ~PublicAddressFetcher() override;

    // Test seam: shorter time-outs.
    void setTimeoutsForTesting(int requestMs, int resourceMs);

    // Always completes: a fetcher destroyed mid-request ends the request and
    // its waiting caller with a network error ("cancelled").
    virtual QCoro::Task<Result<QByteArray, FetchError>> fetch();

private:
    QUrl m_url;
    int m_requestTimeoutMs = requestTimeoutMs;
    int m_resourceTimeoutMs = resourceTimeoutMs;
    QNetworkAccessManager* m_session = nullptr; // made on first use, kept
};

} // namespace gaugelet
