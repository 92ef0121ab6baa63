#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <optional>
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
    // Test seam: the name server asked first (default: the first one in
    // /etc/resolv.conf, else 127.0.0.1 port 53).
    void setNameServerForTesting(QHostAddress address, quint16 port);

    // Always completes: a fetcher destroyed mid-request ends the request and
    // its waiting caller with a network error ("cancelled").
    virtual QCoro::Task<Result<QByteArray, FetchError>> fetch();

private:
    // What the name server said about the service's name, asked on the main
    // thread with one datagram: the same refusal as the attempt before, with
    // the resolver's files unchanged, is taken as the same failure without
    // asking the system's resolver again (which runs on a pooled thread).
    struct NameVerdict {
        enum class Kind { answered, noSuchName, noData, serverFailure, refused, unreachable, noAnswer, other };
        Kind kind = Kind::other;
        bool operator==(const NameVerdict&) const = default;
    };
    struct FailureKey {
        QString host;
        QHostAddress server;
        NameVerdict verdict;
        qint64 resolvConfChanged = 0;
        qint64 hostsChanged = 0;
        bool operator==(const FailureKey&) const = default;
    };
    QCoro::Task<NameVerdict> askNameServer(QString host);
    FailureKey failureKey(const QString& host, NameVerdict verdict);
    QCoro::Task<std::optional<FetchError>> resolveHost(QString host);

    QUrl m_url;
    int m_requestTimeoutMs = requestTimeoutMs;
    int m_resourceTimeoutMs = resourceTimeoutMs;
    QNetworkAccessManager* m_session = nullptr; // made on first use, kept
    QHostAddress m_nameServer;                    // from /etc/resolv.conf unless set
    quint16 m_nameServerPort = 53;
    bool m_nameServerSet = false;
    qint64 m_resolvConfRead = -2; // its change time when m_nameServer was read
    std::optional<FailureKey> m_confirmedFailure; // the system's resolver agreed
    QString m_confirmedFailureDetail;
};

} // namespace gaugelet
