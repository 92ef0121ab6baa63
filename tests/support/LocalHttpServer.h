#pragma once

// A small HTTP/1.1 server on 127.0.0.1 (or on every address of a name tests
// reach it by), on a thread of its own (so a test may block its main thread
// on a request), optionally over TLS with a certificate from a throwaway
// test CA made by the openssl tool. Header-only.

#include "platform/core/ThreadExit.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QProcess>
#include <QScopeGuard>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace gaugelet::test {

struct HttpExchange {
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers;
};

struct HttpAnswer {
    HttpAnswer(int status = 200, QByteArray body = {}, QList<QPair<QByteArray, QByteArray>> headers = {})
        : status(status), body(std::move(body)), headers(std::move(headers))
    {
    }
    static HttpAnswer neverAnswering()
    {
        HttpAnswer a;
        a.neverAnswer = true;
        return a;
    }
    static HttpAnswer dropping()
    {
        HttpAnswer a;
        a.closeWithoutAnswer = true;
        return a;
    }
    static HttpAnswer endlessBody()
    {
        HttpAnswer a(200);
        a.endless = true;
        return a;
    }
    // Declares length bytes, sends body (shorter) and closes the connection.
    static HttpAnswer cutShort(QByteArray body, qint64 length)
    {
        HttpAnswer a(200, std::move(body));
        a.declaredLength = length;
        return a;
    }
    // A slow line: the body (with its Content-Length) goes out chunkSize
    // bytes every intervalMs.
    static HttpAnswer slowBody(QByteArray body, int chunkSize, int intervalMs)
    {
        HttpAnswer a(200, std::move(body));
        a.chunkSize = chunkSize;
        a.chunkIntervalMs = intervalMs;
        return a;
    }
    static HttpAnswer chunkedBody(QByteArray body)
    {
        HttpAnswer a(200, std::move(body));
        a.chunked = true;
        return a;
    }

    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    bool neverAnswer = false;        // keep the connection open and send nothing
    bool closeWithoutAnswer = false; // drop the connection at once
    bool chunked = false;            // no Content-Length, chunked transfer coding
    bool endless = false;            // chunked, and the chunks never end (until the client hangs up)
    qint64 declaredLength = -1;      // a Content-Length other than the body's (a body cut short)
    int chunkSize = 16 * 1024;
    int chunkIntervalMs = 0;         // > 0: one chunkSize piece of the body per interval
};

struct TlsIdentity {
    QSslCertificate ca;
    QSslCertificate certificate;
    QSslKey key;
};

// Makes a CA and a server certificate for IP 127.0.0.1 signed by it (EC P-256,
// valid two days). Throws when the openssl tool fails.
inline TlsIdentity makeTlsIdentity()
{
    QTemporaryDir dir;
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral("openssl"), args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            throw std::runtime_error(("openssl failed: " + p.readAllStandardError()).toStdString());
    };
    QFile ext(dir.filePath(QStringLiteral("server.ext")));
    ext.open(QIODevice::WriteOnly);
    ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
              "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n");
    ext.close();
    run({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", "ca.key",
         "-out", "ca.crt", "-days", "2", "-subj", "/CN=Gaugelet Test CA", "-addext",
         "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign"});
    run({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", "server.key",
         "-out", "server.csr", "-subj", "/CN=127.0.0.1"});
    run({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial", "-out",
         "server.crt", "-days", "2", "-extfile", "server.ext"});
    auto read = [&](const char* name) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    TlsIdentity identity;
    identity.ca = QSslCertificate(read("ca.crt"), QSsl::Pem);
    identity.certificate = QSslCertificate(read("server.crt"), QSsl::Pem);
    identity.key = QSslKey(read("server.key"), QSsl::Ec, QSsl::Pem);
    if (identity.ca.isNull() || identity.certificate.isNull() || identity.key.isNull())
        throw std::runtime_error("test certificates did not load");
    return identity;
}

// One identity per test process whose CA the process trusts (added to Qt's
// default TLS configuration, which every new request starts from).
inline const TlsIdentity& trustedTlsIdentity()
{
    static const TlsIdentity identity = [] {
        TlsIdentity made = makeTlsIdentity();
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.addCaCertificate(made.ca);
        QSslConfiguration::setDefaultConfiguration(config);
        return made;
    }();
    return identity;
}

class LocalHttpServer {
public:
    using Handler = std::function<HttpAnswer(const HttpExchange&)>;

    // With hostName set, tests reach the server by that name (url() says
    // it): it listens on every address the name resolves to, all on one
    // port, so no other listener of the machine can answer in its place
    // (plain HTTP: the test certificate names 127.0.0.1 only).
    explicit LocalHttpServer(Handler handler, std::optional<TlsIdentity> tls = std::nullopt, QString hostName = {})
        : m_state(std::make_shared<State>()), m_tls(tls.has_value()), m_host(std::move(hostName))
    {
        m_state->handler = std::move(handler);
        m_thread.setObjectName(QStringLiteral("test.httpserver"));
        m_thread.start();
        m_root = new QObject;
        m_root->moveToThread(&m_thread);
        auto state = m_state;
        QObject* root = m_root;
        QList<QHostAddress> addresses{QHostAddress(QHostAddress::LocalHost)};
        if (!m_host.isEmpty()) {
            addresses.clear();
            for (const QHostAddress& address : QHostInfo::fromName(m_host).addresses()) {
                if (!addresses.contains(address))
                    addresses.append(address);
            }
        }
        quint16 port = 0;
        qint64 threadId = 0;
        QMetaObject::invokeMethod(
            m_root,
            [state, root, tls, addresses, &port, &threadId] {
                threadId = ThreadExit::currentThreadId();
                port = listenOnAll(state, root, tls, addresses);
            },
            Qt::BlockingQueuedConnection);
        m_threadId = threadId;
        if (port == 0) {
            stop();
            throw std::runtime_error("the test server found no port free on every address of its name");
        }
        m_port = port;
    }

    // Returns once the thread is gone, its thread-local destructors (the TLS
    // library's among them) included: the test program may end right after.
    ~LocalHttpServer() { stop(); }

    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    QUrl url(const QString& path = QStringLiteral("/")) const
    {
        const QString host = m_host.isEmpty() ? QStringLiteral("127.0.0.1") : m_host;
        return QUrl(QStringLiteral("%1://%2:%3%4").arg(m_tls ? "https" : "http", host).arg(m_port).arg(path));
    }

    int requestCount() const
    {
        QMutexLocker lock(&m_state->mutex);
        return int(m_state->exchanges.size());
    }

    QList<HttpExchange> exchanges() const
    {
        QMutexLocker lock(&m_state->mutex);
        return m_state->exchanges;
    }

    void setHandler(Handler handler)
    {
        QMutexLocker lock(&m_state->mutex);
        m_state->handler = std::move(handler);
    }

    // A handler that answers every request the same way.
    static Handler always(HttpAnswer answer)
    {
        return [answer](const HttpExchange&) { return answer; };
    }

private:
    void stop()
    {
        m_root->deleteLater();
        m_thread.quit();
        m_thread.wait();
        (void)ThreadExit::awaitEnd(m_threadId, QDeadlineTimer(60'000));
    }

    struct State {
        QMutex mutex;
        Handler handler;
        QList<HttpExchange> exchanges;
    };

    static QByteArray reason(int status)
    {
        switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 304: return "Not Modified";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
        }
    }

    // Listens on each address that can be listened on at all, on one port
    // free on every one of them; 0 when no such port turned up.
    static quint16 listenOnAll(const std::shared_ptr<State>& state, QObject* root,
                               const std::optional<TlsIdentity>& tls, QList<QHostAddress> addresses)
    {
        const auto makeServer = [&]() -> QTcpServer* {
            if (!tls)
                return new QTcpServer(root);
            auto* ssl = new QSslServer(root);
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            config.setLocalCertificate(tls->certificate);
            config.setPrivateKey(tls->key);
            config.setPeerVerifyMode(QSslSocket::VerifyNone);
            ssl->setSslConfiguration(config);
            return ssl;
        };
        // Ports found taken on another address stay held until the end, so
        // the next attempt is given another one.
        QList<QTcpServer*> held;
        const auto releaseHeld = qScopeGuard([&held] { qDeleteAll(held); });
        for (int attempt = 0; attempt < 100 && !addresses.isEmpty(); ++attempt) {
            QList<QTcpServer*> servers;
            quint16 port = 0;
            for (qsizetype i = 0; i < addresses.size();) {
                QTcpServer* server = makeServer();
                if (server->listen(addresses[i], port)) {
                    servers.append(server);
                    port = server->serverPort();
                    ++i;
                    continue;
                }
                const bool taken = server->serverError() == QAbstractSocket::AddressInUseError;
                delete server;
                if (taken)
                    break;
                addresses.removeAt(i); // nobody can listen there (no IPv6, say)
            }
            if (!servers.isEmpty() && servers.size() == addresses.size()) {
                for (QTcpServer* server : servers) {
                    QObject::connect(server, &QTcpServer::pendingConnectionAvailable, root, [state, server] {
                        while (QTcpSocket* socket = server->nextPendingConnection())
                            serve(state, socket);
                    });
                }
                return port;
            }
            held += servers; // the port is taken on one of the addresses: another port
        }
        return 0;
    }

    static void serve(const std::shared_ptr<State>& state, QTcpSocket* socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        auto answered = std::make_shared<bool>(false);
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [state, socket, buffer, answered] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (*answered || end < 0)
                return;
            *answered = true;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            HttpExchange exchange;
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            exchange.method = first.value(0);
            exchange.path = first.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    exchange.headers.append({lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed()});
            }
            Handler handler;
            {
                QMutexLocker lock(&state->mutex);
                state->exchanges.append(exchange);
                handler = state->handler;
            }
            const HttpAnswer answer = handler ? handler(exchange) : HttpAnswer{404};
            if (answer.neverAnswer)
                return;
            if (answer.closeWithoutAnswer) {
                socket->abort();
                return;
            }
            QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason(answer.status) + "\r\n";
            for (const auto& [name, value] : answer.headers)
                head += name + ": " + value + "\r\n";
            if (answer.chunked || answer.endless)
                head += "Transfer-Encoding: chunked\r\n";
            else
                head += "Content-Length: "
                    + QByteArray::number(answer.declaredLength >= 0 ? answer.declaredLength : answer.body.size())
                    + "\r\n";
            head += "Connection: close\r\n\r\n";
            socket->write(head);
            if (answer.endless) {
                // Keeps about 1 MiB queued; stops when the client goes away.
                const QByteArray piece(64 * 1024, 'z');
                const QByteArray chunk = QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
                auto* pump = new QTimer(socket);
                pump->setInterval(1);
                QObject::connect(pump, &QTimer::timeout, socket, [socket, chunk] {
                    if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 1024 * 1024)
                        socket->write(chunk);
                });
                pump->start();
                return;
            }
            if (answer.chunkIntervalMs > 0 && !answer.chunked) {
                auto* pump = new QTimer(socket);
                pump->setInterval(answer.chunkIntervalMs);
                auto sent = std::make_shared<qsizetype>(0);
                QObject::connect(pump, &QTimer::timeout, socket, [socket, pump, sent, answer] {
                    if (socket->state() != QAbstractSocket::ConnectedState) {
                        pump->stop();
                        return;
                    }
                    socket->write(answer.body.mid(*sent, answer.chunkSize));
                    *sent += answer.chunkSize;
                    if (*sent >= answer.body.size()) {
                        pump->stop();
                        socket->disconnectFromHost();
                    }
                });
                pump->start();
                return;
            }
            if (answer.chunked) {
                for (qsizetype at = 0; at < answer.body.size(); at += answer.chunkSize) {
                    const QByteArray piece = answer.body.mid(at, answer.chunkSize);
                    socket->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
                }
                socket->write("0\r\n\r\n");
            } else {
                socket->write(answer.body);
            }
            socket->disconnectFromHost();
        });
    }

    std::shared_ptr<State> m_state;
    bool m_tls = false;
    QString m_host;
    QThread m_thread;
    QObject* m_root = nullptr;
    quint16 m_port = 0;
    qint64 m_threadId = 0;
};

} // namespace gaugelet::test
