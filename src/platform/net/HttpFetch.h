#pragma once

#include "platform/core/RawValueTable.h"
#include "platform/core/Result.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <optional>
#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace gaugelet {

// Plain HTTP(S) GETs over Qt Network, with the rules every fetch of the program
// shares: a whole-request deadline (and, if asked, a limit on silence), a cap on the body (a bigger body is an
// error, never a truncated success), https required unless a caller opts out,
// no local HTTP cache, and redirects followed only when they are not less safe.
//
// Two ways to run one:
//   co_await HttpFetch::get(manager, request)  on the manager's thread (the main thread);
//   HttpFetch::getBlocking(request, maxWait)   from a thread that must wait (the version
//                                               gate): the transfer runs on a worker thread
//                                               with its own manager, and the caller waits
//                                               on a semaphore, never in a nested event loop.
// Any HTTP status is a response; callers decide which statuses count.
class HttpFetch {
public:
    static constexpr qint64 defaultMaxBodyBytes = 1024 * 1024;

    struct Request {
        QUrl url;
        // The whole request, from start to the last body byte.
        double timeoutSeconds = 60.0;
        // When set: no byte for this long (waiting for the answer, or between
        // two pieces of the body) ends the transfer with Kind::timedOut, so
        // a slow but steady line can finish within timeoutSeconds.
        std::optional<double> idleTimeoutSeconds;
        // A longer body fails with Kind::bodyTooLarge.
        qint64 maxBodyBytes = defaultMaxBodyBytes;
        // When true a plain http:// URL fails with Kind::insecureScheme, without traffic.
        bool requireHttps = true;
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    struct Response {
        int statusCode = 0;
        QByteArray body;
        QUrl url; // after redirects
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    struct FetchError {
        enum class Kind {
            invalidURL,
            insecureScheme,
            timedOut,
            cannotConnect,
            hostNotFound,
            connectionLost,
            secureConnectionFailed,
            tooManyRedirects,
            bodyTooLarge,
            cancelled,
            other,
        };
        Kind kind = Kind::other;
        // The transport's own wording (Qt's error string), for logs.
        QString detail;
        // bodyTooLarge only: the HTTP status that had arrived (0 when none)
        // and the size that passed the cap (the declared length, or the
        // bytes received when the cut was made).
        int statusCode = 0;
        qint64 bodyBytes = 0;

        // The user-readable sentence for the kind.
        QString describe() const;
        // describe() plus the detail, for log lines.
        QString fullDescription() const;
    };

    using Outcome = Result<Response, FetchError>;

    // Runs one GET on the manager's thread. Always completes, also when the
    // manager is destroyed first (Kind::cancelled).
    static QCoro::Task<Outcome> get(QNetworkAccessManager* manager, Request request);

    // Blocks the calling thread for at most maxWaitSeconds. When the wait ends
    // first the transfer is cancelled and the result is Kind::timedOut; the
    // worker finishes on its own and its late result is dropped.
    static Outcome getBlocking(const Request& request, double maxWaitSeconds);

    // Waits up to maxWaitSeconds for the worker threads of blocking fetches
    // to end (one that gave up was cancelled, so it ends promptly) and
    // returns how many still run. Runs by itself as the application object
    // goes and again at exit, so no worker outlives the state it uses.
    static int joinBlockingWorkers(double maxWaitSeconds = 10.0);

    // The main thread's manager, for fetches that need no manager of their own.
    static QNetworkAccessManager* sharedManager();

    // Fails a request before any traffic: bad URL, or plain http when https is required.
    static std::optional<FetchError> precheck(const Request& request);
};

// The kind's name, as logs give it.
constexpr auto rawValueTable(HttpFetch::FetchError::Kind)
{
    using enum HttpFetch::FetchError::Kind;
    return makeRawValueTable<HttpFetch::FetchError::Kind>({{invalidURL, u"invalidURL"},
                                                           {insecureScheme, u"insecureScheme"},
                                                           {timedOut, u"timedOut"},
                                                           {cannotConnect, u"cannotConnect"},
                                                           {hostNotFound, u"hostNotFound"},
                                                           {connectionLost, u"connectionLost"},
                                                           {secureConnectionFailed, u"secureConnectionFailed"},
                                                           {tooManyRedirects, u"tooManyRedirects"},
                                                           {bodyTooLarge, u"bodyTooLarge"},
                                                           {cancelled, u"cancelled"},
                                                           {other, u"other"}},
                                                          other);
}

} // namespace gaugelet
