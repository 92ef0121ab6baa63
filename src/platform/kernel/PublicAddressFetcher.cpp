#include "platform/kernel/PublicAddressFetcher.h"

#include "platform/core/MainThread.h"
#include "platform/core/ThreadExit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>
#include <QAbstractEventDispatcher>
#include <QScopeGuard>
#include <algorithm>
#include <coroutine>
#include <optional>
#include <memory>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace gaugelet {

namespace {

// Resumes when the reply finishes, or when it is destroyed without finishing
// (its manager deleted with the fetcher mid-request): a waiting coroutine
// always completes, so no frame, request or reply is left behind.
struct ReplyEnded {
    QPointer<QNetworkReply> reply;
    QMetaObject::Connection finished;
    QMetaObject::Connection destroyed;

    bool await_ready() const noexcept { return !reply || reply->isFinished(); }
    void await_suspend(std::coroutine_handle<> handle)
    {
        auto pending = std::make_shared<std::coroutine_handle<>>(handle);
        auto resume = [this, pending] {
            const std::coroutine_handle<> h = std::exchange(*pending, {});
            if (!h)
                return;
            QObject::disconnect(finished);
            QObject::disconnect(destroyed);
            h.resume(); // may end the frame that holds this awaiter: touch nothing after
        };
        finished = QObject::connect(reply.data(), &QNetworkReply::finished, resume);
        destroyed = QObject::connect(reply.data(), &QObject::destroyed, resume);
    }
    void await_resume() const noexcept {}
};

// An awaiter that the first of several events resumes: finish records in
// the shared state what happened and resumes; later events find nothing left
// to do. The end of the context object resumes it as cancelled, and a
// deadline of timeoutMs is one of the events. co_await gives the state.
template <typename State>
struct FirstEventAwaiter {
    using Shared = State;
    QObject* context;
    int timeoutMs;
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();

    bool await_ready() const noexcept { return false; }
    Shared await_resume() const { return *shared; }

    auto resumeOnce(std::coroutine_handle<> handle) const
    {
        shared->handle = handle;
        auto finish = [state = shared](auto&& record) {
            if (!state->handle)
                return;
            record(*state);
            std::exchange(state->handle, {}).resume();
        };
        QObject::connect(context, &QObject::destroyed, [finish] { finish([](Shared& s) { s.cancelled = true; }); });
        return finish;
    }

    // Runs `expire` once timeoutMs have passed. The timer belongs to the
    // context, which the caller deletes once resumed.
    template <typename Expire>
    void armDeadline(Expire&& expire) const
    {
        auto* deadline = new QTimer(context);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, context, std::forward<Expire>(expire));
        deadline->start(timeoutMs);
    }
};

struct HostLookupState {
    std::coroutine_handle<> handle;
    std::optional<QHostInfo> info;
    bool timedOut = false;
    bool cancelled = false;
    int lookupId = -1;
};

// Resumes with the addresses of a host name, or an error: the lookup's, a
// time-out, or the end of the context object (the fetcher went away). Only
// the first of these resumes; the others find nothing left to do.
struct HostLookup : FirstEventAwaiter<HostLookupState> {
    QString host;

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto finish = resumeOnce(handle);
        armDeadline([finish, state = shared] {
            QHostInfo::abortHostLookup(state->lookupId);
            finish([](Shared& s) { s.timedOut = true; });
        });
        // The lookup's answer belongs to the context too; a lookup still
        // waiting for a resolver thread when the context goes is dropped.
        shared->lookupId = QHostInfo::lookupHost(host, context, [finish](const QHostInfo& info) {
            finish([&info](Shared& s) { s.info = info; });
        });
        QObject::connect(context, &QObject::destroyed,
                         [state = shared] { QHostInfo::abortHostLookup(state->lookupId); });
    }
};

struct DatagramState {
    std::coroutine_handle<> handle;
    QByteArray datagram;
    bool answered = false;
    bool failed = false;
    bool cancelled = false;
};

// Resumes with the first datagram a connected, non-blocking socket has
// received, or when it reports an error, a time-out passes, or the context
// object ends. The socket is read whenever this thread's event loop is about
// to sleep, not watched: the answer costs no wake-up of its own, it is taken
// up by the next one that happens anyway (the next sample at the latest).
// Like HostLookup, only the first of these resumes.
struct DatagramAnswer : FirstEventAwaiter<DatagramState> {
    int fd;

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto finish = resumeOnce(handle);
        // What the socket holds now: nothing yet, the answer, or a refusal.
        struct Read {
            bool ready = false;
            bool failed = false;
            QByteArray datagram;
        };
        // Only while waiting: once resumed, the caller closes the socket and
        // its number may belong to any socket of the process at once (the
        // network thread's connection, say), which a read here would rob.
        // The loop may still be about to block before the context goes.
        auto read = [fd = fd, state = shared] {
            Read r;
            if (!state->handle)
                return r;
            QByteArray datagram(512, Qt::Uninitialized);
            const ssize_t n = ::recv(fd, datagram.data(), size_t(datagram.size()), MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
                return r;
            r.ready = true;
            r.failed = n < 0;
            if (n >= 0) {
                datagram.truncate(qsizetype(n));
                r.datagram = datagram;
            }
            return r;
        };
        auto take = [finish](const Read& r) {
            finish([&r](Shared& s) {
                s.failed = r.failed;
                s.answered = !r.failed;
                s.datagram = r.datagram;
            });
        };
        armDeadline([take, read] { take(read()); });
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
            // Resumed from a queued call, not from inside the dispatcher; a
            // socket with nothing in it posts nothing, so the loop sleeps.
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, context,
                             [context = context, take, read] {
                                 if (Read r = read(); r.ready)
                                     QMetaObject::invokeMethod(context, [take, r] { take(r); }, Qt::QueuedConnection);
                             });
        }
    }
};

// A name query for the host's IPv4 addresses, recursion desired.
QByteArray nameQuery(quint16 id, const QString& host)
{
    QByteArray query;
    const auto put16 = [&query](quint16 v) {
        query.append(char(v >> 8));
        query.append(char(v & 0xff));
    };
    put16(id);
    put16(0x0100);
    put16(1);
    put16(0);
    put16(0);
    put16(0);
    for (const QByteArray& label : QUrl::toAce(host).split('.')) {
        if (label.isEmpty() && query.size() > 12)
            continue; // a final dot
        if (label.isEmpty() || label.size() > 63)
            return {};
        query.append(char(label.size()));
        query.append(label);
    }
    query.append('\0');
    put16(1); // A
    put16(1); // IN
    return query;
}

qint64 changedAt(const char* path)
{
    struct stat st {};
    if (::stat(path, &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QHostAddress firstNameServer()
{
    QFile file(QStringLiteral("/etc/resolv.conf"));
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const QList<QByteArray> words = file.readLine(4096).simplified().split(' ');
            QHostAddress address;
            if (words.size() >= 2 && words[0] == "nameserver" && address.setAddress(QString::fromLatin1(words[1])))
                return address;
        }
    }
    return QHostAddress(QHostAddress::LocalHost); // the C library's default
}

} // namespace

QString PublicAddressFetcher::FetchError::describe() const
{
    switch (kind) {
    case Kind::invalidUrl:
        return QStringLiteral("The public-address service's address is not valid.");
    case Kind::timeout:
        return QStringLiteral("The public-address service did not answer in time.");
    case Kind::httpStatus:
        return QStringLiteral("The public-address service answered with HTTP status %1.").arg(httpStatus);
    case Kind::network:
        break;
    }
    return QStringLiteral("The public-address service could not be reached: %1").arg(detail);
}

PublicAddressFetcher::PublicAddressFetcher(QUrl url, QObject* parent) : QObject(parent), m_url(std::move(url)) {}

PublicAddressFetcher::~PublicAddressFetcher() = default;

void PublicAddressFetcher::setTimeoutsForTesting(int requestMs, int resourceMs)
{
    m_requestTimeoutMs = requestMs;
    m_resourceTimeoutMs = resourceMs;
}

void PublicAddressFetcher::setNameServerForTesting(QHostAddress address, quint16 port)
{
    m_nameServer = std::move(address);
    m_nameServerPort = port;
    m_nameServerSet = true;
}

QCoro::Task<PublicAddressFetcher::NameVerdict> PublicAddressFetcher::askNameServer(QString host)
{
    using Kind = NameVerdict::Kind;
    if (const qint64 changed = changedAt("/etc/resolv.conf"); !m_nameServerSet && changed != m_resolvConfRead) {
        m_nameServer = firstNameServer();
        m_resolvConfRead = changed;
    }
    const auto id = quint16(QRandomGenerator::global()->generate());
    const QByteArray query = nameQuery(id, host);
    if (query.isEmpty())
        co_return NameVerdict{Kind::other};
    QPointer<PublicAddressFetcher> self = this;
    const int fd = ::socket(m_nameServer.protocol() == QAbstractSocket::IPv6Protocol ? AF_INET6 : AF_INET,
                            SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        co_return NameVerdict{Kind::unreachable};
    const auto closeSocket = qScopeGuard([fd] { ::close(fd); });
    sockaddr_storage server{};
    socklen_t serverSize = 0;
    if (m_nameServer.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&server);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_nameServerPort);
        const Q_IPV6ADDR bytes = m_nameServer.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof(bytes));
        in6->sin6_scope_id = m_nameServer.scopeId().toUInt();
        serverSize = sizeof(sockaddr_in6);
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&server);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(m_nameServerPort);
        in4->sin_addr.s_addr = htonl(m_nameServer.toIPv4Address());
        serverSize = sizeof(sockaddr_in);
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&server), serverSize) != 0
        || ::send(fd, query.constData(), size_t(query.size()), 0) != query.size())
        co_return NameVerdict{Kind::unreachable};
    auto* context = new QObject(this);
    DatagramAnswer answer{{context, std::min(m_resourceTimeoutMs, 2000)}, fd};
    const DatagramAnswer::Shared got = co_await answer;
    if (!self || got.cancelled)
        co_return NameVerdict{Kind::other};
    context->deleteLater();
    if (got.failed)
        co_return NameVerdict{Kind::unreachable};
    if (!got.answered)
        co_return NameVerdict{Kind::noAnswer};
    const auto at16 = [&d = got.datagram](int i) { return quint16((quint8(d[i]) << 8) | quint8(d[i + 1])); };
    if (got.datagram.size() < 12 || at16(0) != id || !(at16(2) & 0x8000) || (at16(2) & 0x0200))
        co_return NameVerdict{Kind::other};
    switch (at16(2) & 0xf) {
    case 0:
        co_return NameVerdict{at16(6) > 0 ? Kind::answered : Kind::noData};
    case 2:
        co_return NameVerdict{Kind::serverFailure};
    case 3:
        co_return NameVerdict{Kind::noSuchName};
    case 5:
        co_return NameVerdict{Kind::refused};
    default:
        co_return NameVerdict{Kind::other};
    }
}

PublicAddressFetcher::FailureKey PublicAddressFetcher::failureKey(const QString& host, NameVerdict verdict)
{
    return FailureKey{host, m_nameServer, verdict, changedAt("/etc/resolv.conf"), changedAt("/etc/hosts")};
}

// Whether the host has an address, asked as cheaply as the machine allows;
// the error to report when it has none (or the fetcher went away meanwhile).
QCoro::Task<std::optional<PublicAddressFetcher::FetchError>> PublicAddressFetcher::resolveHost(QString host)
{
    using Error = FetchError;
    QPointer<PublicAddressFetcher> self = this;
    std::optional<FailureKey> key;
    if (QHostAddress literal; !literal.setAddress(host)) {
        // The name first, on its own: while the machine is offline an attempt
        // is made every second, and a name that does not resolve then costs
        // one datagram read on this thread, not a pooled lookup, the network
        // manager's thread, a connection attempt and the TLS library. The
        // system's resolver (which also reads /etc/hosts) is asked whenever
        // the name server's answer is not an address and differs from the
        // refusal the resolver last agreed with.
        const NameVerdict verdict = co_await askNameServer(host);
        if (!self)
            co_return Error{Error::Kind::network, 0, QStringLiteral("cancelled")};
        if (verdict.kind != NameVerdict::Kind::answered) {
            key = failureKey(host, verdict);
            if (m_confirmedFailure == key)
                co_return Error{Error::Kind::network, 0, m_confirmedFailureDetail};
        }
    }
    if (key) {
        auto* context = new QObject(this);
        // A named awaiter: GCC 12 may destroy a temporary awaiter twice.
        HostLookup lookup{{context, m_resourceTimeoutMs}, host};
        const HostLookup::Shared looked = co_await lookup;
        if (!self || looked.cancelled)
            co_return Error{Error::Kind::network, 0, QStringLiteral("cancelled")};
        context->deleteLater();
        if (looked.timedOut)
            co_return Error{Error::Kind::timeout, 0, QStringLiteral("no address for %1 in time").arg(host)};
        if (!looked.info || looked.info->error() != QHostInfo::NoError || looked.info->addresses().isEmpty()) {
            m_confirmedFailure = key;
            m_confirmedFailureDetail = looked.info ? looked.info->errorString() : QString();
            co_return Error{Error::Kind::network, 0, m_confirmedFailureDetail};
        }
        m_confirmedFailure.reset();
    }
    co_return std::nullopt;
}

QCoro::Task<Result<QByteArray, PublicAddressFetcher::FetchError>> PublicAddressFetcher::fetch()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    using Error = FetchError;
    if (!m_url.isValid() || m_url.isRelative() || m_url.host().isEmpty()
        || (m_url.scheme() != QLatin1String("https") && m_url.scheme() != QLatin1String("http"))) {
        co_return fail(Error{Error::Kind::invalidUrl, 0, m_url.toString()});
    }
    QElapsedTimer elapsed;
    elapsed.start();
    if (std::optional<Error> failed = co_await resolveHost(m_url.host()))
        co_return fail(std::move(*failed));
    if (!m_session) {
        // Nothing kept between requests: no cache, no stored cookies. A direct
        // connection: asking the system's proxy configuration costs a thread
        // that wakes on every attempt, and while the machine is offline an
        // attempt is made every second.
        ThreadExit::awaitNetworkThreadsAtExit();
        m_session = new QNetworkAccessManager(this);
        m_session->setCookieJar(nullptr);
        m_session->setProxy(QNetworkProxy::NoProxy);
    }
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(m_requestTimeoutMs);

    QPointer<QNetworkReply> reply = m_session->get(request);
    bool timedOut = false;
    QTimer::singleShot(std::max<qint64>(0, m_resourceTimeoutMs - elapsed.elapsed()), reply, [reply, &timedOut] {
        if (reply && reply->isRunning()) {
            timedOut = true;
            reply->abort();
        }
    });
    ReplyEnded ended{reply, {}, {}};
    co_await ended;
    if (!reply)
        co_return fail(Error{Error::Kind::network, 0, QStringLiteral("cancelled")});
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    if (timedOut || error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
        co_return fail(Error{Error::Kind::timeout, status, reply->errorString()});
    // Only a 2xx body is an answer: an error page must never pass for an address.
    if (status != 0 && (status < 200 || status > 299))
        co_return fail(Error{Error::Kind::httpStatus, status, reply->errorString()});
    if (error != QNetworkReply::NoError)
        co_return fail(Error{Error::Kind::network, status, reply->errorString()});
    if (status == 0)
        co_return fail(Error{Error::Kind::httpStatus, 0, QStringLiteral("no HTTP status")});
    co_return reply->readAll();
}

} // namespace gaugelet
