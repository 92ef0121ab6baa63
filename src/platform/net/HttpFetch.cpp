#include "platform/net/HttpFetch.h"

#include "platform/core/MainThread.h"
#include "platform/core/PlatformLog.h"
#include "platform/core/ThreadExit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <coroutine>
#include <functional>
#include <memory>

namespace gaugelet {

namespace {

using Outcome = HttpFetch::Outcome;
using FetchError = HttpFetch::FetchError;
using Kind = FetchError::Kind;

FetchError makeError(Kind kind, QString detail = {})
{
    return FetchError{kind, std::move(detail)};
}

Kind kindFor(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return Kind::cannotConnect;
    case QNetworkReply::HostNotFoundError:
        return Kind::hostNotFound;
    case QNetworkReply::TimeoutError:
        return Kind::timedOut;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return Kind::connectionLost;
    case QNetworkReply::OperationCanceledError:
        return Kind::cancelled;
    case QNetworkReply::SslHandshakeFailedError:
        return Kind::secureConnectionFailed;
    case QNetworkReply::TooManyRedirectsError:
        return Kind::tooManyRedirects;
    case QNetworkReply::InsecureRedirectError:
        return Kind::insecureScheme;
    case QNetworkReply::ProtocolUnknownError:
        return Kind::invalidURL;
    default:
        return Kind::other;
    }
}

// Errors Qt raises for an HTTP status it received: the status is the answer.
bool isStatusError(QNetworkReply::NetworkError error)
{
    const int code = int(error);
    return (code >= 201 && code <= 299) || error == QNetworkReply::ProtocolInvalidOperationError
        || (code >= 401 && code <= 499);
}

// One transfer on one manager. Completes exactly once: with the response, an
// error, the deadline, the body cap, a cancel, or the reply's destruction.
struct Transfer : std::enable_shared_from_this<Transfer> {
    HttpFetch::Request request;
    QPointer<QNetworkReply> reply;
    QByteArray body;
    bool completed = false;
    std::function<void(Outcome)> done;

    void complete(Outcome outcome)
    {
        if (completed)
            return;
        completed = true;
        if (QNetworkReply* r = reply.data()) {
            reply.clear();
            r->disconnect();
            if (r->isRunning())
                r->abort();
            r->deleteLater();
        }
        auto callback = std::move(done);
        done = nullptr;
        if (callback)
            callback(std::move(outcome));
    }

    void cancel() { complete(fail(makeError(Kind::cancelled))); }

    bool overCap() const { return request.maxBodyBytes >= 0 && body.size() > request.maxBodyBytes; }

    void failTooLarge(qint64 size)
    {
        FetchError error = makeError(Kind::bodyTooLarge, QStringLiteral("more than %1 bytes").arg(request.maxBodyBytes));
        if (reply) {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            error.statusCode = status.isValid() ? status.toInt() : 0;
        }
        error.bodyBytes = size;
        complete(fail(std::move(error)));
    }

    void readAvailable()
    {
        if (!reply || completed)
            return;
        // Read at most one byte past the cap, so a flood is never buffered whole.
        const qint64 room = request.maxBodyBytes < 0 ? -1 : request.maxBodyBytes + 1 - body.size();
        body += room < 0 ? reply->readAll() : reply->read(room);
        if (overCap())
            failTooLarge(body.size());
    }

    void finished()
    {
        if (!reply || completed)
            return;
        readAvailable();
        if (completed)
            return;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const auto error = reply->error();
        if (error == QNetworkReply::NoError || (status.isValid() && isStatusError(error))) {
            HttpFetch::Response response;
            response.statusCode = status.isValid() ? status.toInt() : 0;
            response.body = std::move(body);
            response.url = reply->url();
            response.headers = reply->rawHeaderPairs();
            complete(std::move(response));
            return;
        }
        complete(fail(makeError(kindFor(error), reply->errorString())));
    }
};

// Starts a transfer on the manager's thread; `done` runs later on that thread,
// never from inside this call. Returns the transfer, whose cancel() ends it.
std::shared_ptr<Transfer> startTransfer(QNetworkAccessManager* manager, const HttpFetch::Request& request,
                                        std::function<void(Outcome)> done)
{
    auto transfer = std::make_shared<Transfer>();
    transfer->request = request;
    transfer->done = std::move(done);

    QNetworkRequest req(request.url);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setMaximumRedirectsAllowed(10);
    for (const auto& [name, value] : request.headers)
        req.setRawHeader(name, value);

    QNetworkReply* reply = manager->get(req);
    transfer->reply = reply;
    std::weak_ptr<Transfer> weak = transfer;

    // The lambdas hold the transfer; the reply (their context) is deleted when
    // the transfer completes, which drops them.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [transfer] {
        if (!transfer->reply || transfer->request.maxBodyBytes < 0)
            return;
        const QVariant length = transfer->reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > transfer->request.maxBodyBytes)
            transfer->failTooLarge(length.toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [transfer] { transfer->readAvailable(); });
    QObject::connect(reply, &QNetworkReply::finished, reply, [transfer] { transfer->finished(); });
    // A manager destroyed mid-transfer deletes its replies without finishing them.
    QObject::connect(reply, &QObject::destroyed, [weak] {
        if (auto t = weak.lock())
            t->cancel();
    });

    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    deadline->setTimerType(Qt::PreciseTimer);
    QObject::connect(deadline, &QTimer::timeout, reply, [transfer] {
        transfer->complete(fail(makeError(Kind::timedOut,
                                          QStringLiteral("no complete answer within %1 s")
                                              .arg(transfer->request.timeoutSeconds))));
    });
    deadline->start(int(std::clamp(transfer->request.timeoutSeconds * 1000.0, 0.0, 2.0e9)));

    if (const auto idleSeconds = transfer->request.idleTimeoutSeconds) {
        auto* idle = new QTimer(reply);
        idle->setSingleShot(true);
        idle->setInterval(int(std::clamp(*idleSeconds * 1000.0, 0.0, 2.0e9)));
        QObject::connect(idle, &QTimer::timeout, reply, [transfer] {
            transfer->complete(fail(makeError(Kind::timedOut, QStringLiteral("no data for %1 s")
                                                                  .arg(*transfer->request.idleTimeoutSeconds))));
        });
        // Every arrival (the head, a piece of the body) restarts the wait.
        const auto arrived = [idle] { idle->start(); };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, idle, arrived);
        QObject::connect(reply, &QNetworkReply::downloadProgress, idle, arrived);
        QObject::connect(reply, &QNetworkReply::readyRead, idle, arrived);
        idle->start();
    }
    return transfer;
}

struct TransferAwaiter {
    QNetworkAccessManager* manager;
    HttpFetch::Request request;
    std::optional<Outcome> outcome;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle)
    {
        startTransfer(manager, request, [this, handle](Outcome result) {
            outcome.emplace(std::move(result));
            handle.resume();
        });
    }
    Outcome await_resume() { return std::move(*outcome); }
};

constexpr char workerThreadName[] = "gaugelet.http.blocking";

// What a blocking caller and its worker share. The caller may give up and
// return; the worker still finishes, writes here and signals nobody.
struct BlockingCall {
    QSemaphore finished;
    QMutex mutex;
    std::optional<Outcome> result;
    QObject* workerContext = nullptr; // lives on the worker thread while it runs
    std::function<void()> cancel;     // runs on the worker thread
    bool abandoned = false;
};

// The worker threads of blocking fetches. A caller that gives up returns at
// once; its worker is joined later: when a newer fetch starts (if it has
// ended), as the application object goes, and at exit.
class BlockingWorkers {
public:
    static BlockingWorkers& instance()
    {
        static BlockingWorkers workers;
        return workers;
    }

    void adopt(QThread* worker)
    {
        QMutexLocker lock(&m_mutex);
        m_threads.removeIf([](QThread* t) {
            if (!t->isFinished())
                return false;
            t->wait();
            delete t;
            return true;
        });
        m_threads.append(worker);
        if (!m_postRoutineAdded && QCoreApplication::instance()) {
            m_postRoutineAdded = true;
            // A worker's manager ends a network thread as the worker ends;
            // the exit waits for both after the workers are joined.
            ThreadExit::awaitNetworkThreadsAtExit({workerThreadName});
            qAddPostRoutine([] { (void)HttpFetch::joinBlockingWorkers(); });
        }
    }

    int joinAll(double maxWaitSeconds)
    {
        QList<QThread*> threads;
        {
            QMutexLocker lock(&m_mutex);
            threads.swap(m_threads);
        }
        const QDeadlineTimer deadline(qint64(std::clamp(maxWaitSeconds * 1000.0, 0.0, 2.0e9)));
        QList<QThread*> running;
        for (QThread* t : threads) {
            if (t->wait(deadline))
                delete t;
            else
                running.append(t); // kept, never deleted while it runs
        }
        QMutexLocker lock(&m_mutex);
        m_threads += running;
        return int(running.size());
    }

    ~BlockingWorkers() { (void)joinAll(10.0); }

private:
    QMutex m_mutex;
    QList<QThread*> m_threads;
    bool m_postRoutineAdded = false;
};

} // namespace

QString HttpFetch::FetchError::describe() const
{
    switch (kind) {
    case Kind::invalidURL:
        return QCoreApplication::translate("HttpFetch", "unsupported URL");
    case Kind::insecureScheme:
        return QCoreApplication::translate(
            "HttpFetch", "The resource could not be loaded because a secure connection (HTTPS) is required.");
    case Kind::timedOut:
        return QCoreApplication::translate("HttpFetch", "The request timed out.");
    case Kind::cannotConnect:
        return QCoreApplication::translate("HttpFetch", "Could not connect to the server.");
    case Kind::hostNotFound:
        return QCoreApplication::translate("HttpFetch", "A server with the specified hostname could not be found.");
    case Kind::connectionLost:
        return QCoreApplication::translate("HttpFetch", "The network connection was lost.");
    case Kind::secureConnectionFailed:
        return QCoreApplication::translate(
            "HttpFetch", "An SSL error has occurred and a secure connection to the server cannot be made.");
    case Kind::tooManyRedirects:
        return QCoreApplication::translate("HttpFetch", "too many HTTP redirects");
    case Kind::bodyTooLarge:
        return QCoreApplication::translate("HttpFetch", "The server's response is too large.");
    case Kind::cancelled:
        return QCoreApplication::translate("HttpFetch", "cancelled");
    case Kind::other:
        break;
    }
    return detail.isEmpty() ? QCoreApplication::translate("HttpFetch", "An unknown error occurred.") : detail;
}

QString HttpFetch::FetchError::fullDescription() const
{
    QString text = rawValue(kind) + QStringLiteral(": ") + describe();
    if (!detail.isEmpty() && kind != Kind::other)
        text += QStringLiteral(" (") + detail + QStringLiteral(")");
    return text;
}

std::optional<HttpFetch::FetchError> HttpFetch::precheck(const Request& request)
{
    const QString scheme = request.url.scheme().toLower();
    if (!request.url.isValid() || request.url.isRelative() || request.url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return makeError(Kind::invalidURL, request.url.toString());
    if (request.requireHttps && scheme != QLatin1String("https"))
        return makeError(Kind::insecureScheme, request.url.toString());
    return std::nullopt;
}

QCoro::Task<HttpFetch::Outcome> HttpFetch::get(QNetworkAccessManager* manager, Request request)
{
    if (auto error = precheck(request))
        co_return fail(*error);
    if (!manager)
        co_return fail(makeError(Kind::cancelled, QStringLiteral("no network manager")));
    TransferAwaiter awaiter{manager, std::move(request), std::nullopt};
    Outcome outcome = co_await awaiter;
    co_return outcome;
}

HttpFetch::Outcome HttpFetch::getBlocking(const Request& request, double maxWaitSeconds)
{
    if (auto error = precheck(request))
        return fail(*error);

    auto call = std::make_shared<BlockingCall>();
    QThread* worker = QThread::create([call, request] {
        QEventLoop loop;
        QNetworkAccessManager manager;
        QObject context;
        {
            QMutexLocker lock(&call->mutex);
            if (call->abandoned)
                return;
            call->workerContext = &context;
        }
        auto transfer = startTransfer(&manager, request, [call, &loop](Outcome outcome) {
            {
                QMutexLocker lock(&call->mutex);
                call->result.emplace(std::move(outcome));
            }
            call->finished.release();
            loop.quit();
        });
        {
            QMutexLocker lock(&call->mutex);
            std::weak_ptr<Transfer> weak = transfer;
            call->cancel = [weak] {
                if (auto t = weak.lock())
                    t->cancel();
            };
        }
        if (!transfer->completed)
            loop.exec();
        QMutexLocker lock(&call->mutex);
        call->workerContext = nullptr;
        call->cancel = nullptr;
    });
    worker->setObjectName(QString::fromLatin1(workerThreadName));
    worker->start();
    BlockingWorkers::instance().adopt(worker);

    const int waitMs = int(std::clamp(maxWaitSeconds * 1000.0, 0.0, 2.0e9));
    if (call->finished.tryAcquire(1, waitMs)) {
        QMutexLocker lock(&call->mutex);
        return std::move(*call->result);
    }

    // Gave up: cancel the transfer on its own thread. The context stays alive
    // while the mutex is held, so the posted call cannot outlive it unnoticed.
    QMutexLocker lock(&call->mutex);
    call->abandoned = true;
    if (call->workerContext) {
        QMetaObject::invokeMethod(
            call->workerContext,
            [call] {
                std::function<void()> cancel;
                {
                    QMutexLocker inner(&call->mutex);
                    cancel = call->cancel;
                }
                if (cancel)
                    cancel();
            },
            Qt::QueuedConnection);
    }
    return fail(makeError(Kind::timedOut, QStringLiteral("no answer within %1 s").arg(maxWaitSeconds)));
}

int HttpFetch::joinBlockingWorkers(double maxWaitSeconds)
{
    return BlockingWorkers::instance().joinAll(maxWaitSeconds);
}

QNetworkAccessManager* HttpFetch::sharedManager()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        // Deleted before the application object goes, not as its child
        // afterwards: closing a kept TLS connection needs the application.
        // Its network thread's end is awaited after that.
        static const bool cleanupAdded = [] {
            ThreadExit::awaitNetworkThreadsAtExit();
            qAddPostRoutine([] { delete manager.data(); });
            return true;
        }();
        (void)cleanupAdded;
    }
    return manager.data();
}

} // namespace gaugelet
