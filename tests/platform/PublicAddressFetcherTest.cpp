#include "platform/kernel/PublicAddressFetcher.h"

#include "LocalHttpServer.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace gaugelet;

namespace {

using test::HttpAnswer;
using test::LocalHttpServer;

// Answers the requests with these answers in turn, then with 404.
LocalHttpServer::Handler inTurn(QList<HttpAnswer> answers)
{
    auto left = std::make_shared<QList<HttpAnswer>>(std::move(answers));
    return [left](const test::HttpExchange&) { return left->isEmpty() ? HttpAnswer(404) : left->takeFirst(); };
}

using FetchResult = Result<QByteArray, PublicAddressFetcher::FetchError>;

QCoro::Task<std::optional<FetchResult>> fetchOptional(PublicAddressFetcher& fetcher)
{
    co_return co_await fetcher.fetch();
}

FetchResult fetchNow(PublicAddressFetcher& fetcher)
{
    return *QCoro::waitFor(fetchOptional(fetcher));
}

} // namespace

TEST(PublicAddressFetcher, TwoHundredBodyIsTheAnswer)
{
    LocalHttpServer server(inTurn({{200, "203.0.113.7\n"}}));
    PublicAddressFetcher fetcher(server.url());
    const auto r = fetchNow(fetcher);
    ASSERT_TRUE(r.hasValue());
    EXPECT_EQ(*r, QByteArray("203.0.113.7\n"));
    EXPECT_EQ(server.exchanges().value(0).method + ' ' + server.exchanges().value(0).path, "GET /");
}

TEST(PublicAddressFetcher, ErrorStatusWithShortBodyIsAFailure)
{
    // A rate-limit page is short enough to pass for an address; it must not.
    LocalHttpServer server(inTurn({{503, "Slow down"}, {404, "1.2.3.4"}}));
    PublicAddressFetcher fetcher(server.url());
    const auto first = fetchNow(fetcher);
    ASSERT_FALSE(first.hasValue());
    EXPECT_EQ(first.error().kind, PublicAddressFetcher::FetchError::Kind::httpStatus);
    EXPECT_EQ(first.error().httpStatus, 503);
    EXPECT_TRUE(first.error().describe().contains("503"));
    const auto second = fetchNow(fetcher);
    ASSERT_FALSE(second.hasValue());
    EXPECT_EQ(second.error().httpStatus, 404);
}

TEST(PublicAddressFetcher, SilentServerTimesOut)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::neverAnswering()));
    PublicAddressFetcher fetcher(server.url());
    fetcher.setTimeoutsForTesting(300, 600);
    const auto r = fetchNow(fetcher);
    ASSERT_FALSE(r.hasValue());
    EXPECT_EQ(r.error().kind, PublicAddressFetcher::FetchError::Kind::timeout);
}

TEST(PublicAddressFetcher, UnreachableOrUnsetServiceFails)
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();
    PublicAddressFetcher refused(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
    const auto r = fetchNow(refused);
    ASSERT_FALSE(r.hasValue());
    EXPECT_EQ(r.error().kind, PublicAddressFetcher::FetchError::Kind::network);

    PublicAddressFetcher unset{QUrl()};
    const auto u = fetchNow(unset);
    ASSERT_FALSE(u.hasValue());
    EXPECT_EQ(u.error().kind, PublicAddressFetcher::FetchError::Kind::invalidUrl);
}

TEST(PublicAddressFetcher, TheServiceIsHttpsAtItsRoot)
{
    const QUrl url = PublicAddressFetcher::defaultUrl();
    EXPECT_EQ(url.scheme(), "https");
    EXPECT_TRUE(url.path().isEmpty() || url.path() == "/");
    EXPECT_FALSE(url.hasQuery());
    EXPECT_EQ(PublicAddressFetcher::requestTimeoutMs, 5000);
    EXPECT_EQ(PublicAddressFetcher::resourceTimeoutMs, 8000);
}

TEST(PublicAddressFetcher, AServiceNamedByHostNameIsLookedUpFirst)
{
    LocalHttpServer server(inTurn({{200, "203.0.113.9\n"}}), std::nullopt, QStringLiteral("localhost"));
    PublicAddressFetcher fetcher(server.url());
    const FetchResult result = fetchNow(fetcher);
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    EXPECT_EQ(*result, "203.0.113.9\n");
    EXPECT_EQ(server.requestCount(), 1);
}

namespace {

// A name server on 127.0.0.1 that answers every query with one reply code and
// answer count, counting the queries; idDelta set, under another id than the
// query's (a stray answer).
class LocalNameServer : public QObject {
public:
    LocalNameServer(int replyCode, int answers, int idDelta = 0)
        : m_replyCode(replyCode), m_answers(answers), m_idDelta(idDelta)
    {
        m_socket.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                QNetworkDatagram query = m_socket.receiveDatagram();
                ++queries;
                QByteArray reply = query.data();
                reply[2] = char(0x81); // an answer, recursion desired
                reply[3] = char(0x80 | m_replyCode);
                reply[7] = char(m_answers);
                reply[1] = char(quint8(reply[1]) + m_idDelta);
                m_socket.writeDatagram(query.makeReply(reply));
            }
        });
    }
    quint16 port() const { return m_socket.localPort(); }
    int queries = 0;

private:
    QUdpSocket m_socket;
    int m_replyCode;
    int m_answers;
    int m_idDelta;
};

// Context switches of every thread but this one: a pooled lookup shows here.
long otherThreadsSwitches()
{
    long total = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& tid : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (tid == self)
            continue;
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(tid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.contains("ctxt_switches:"))
                total += line.split(':').last().trimmed().toLong();
    }
    return total;
}

} // namespace

TEST(PublicAddressFetcher, ARepeatedRefusalOfTheNameIsOneDatagramAndNoOtherThread)
{
    // Every answer that is not an address for the name: a refusal, an empty
    // answer (no records: the question is still counted in its header) and an
    // address under another query's id. Each is checked once with the
    // system's resolver and then costs one datagram; one taken for an address
    // would send every attempt on to the pooled lookup and the connection.
    struct Case {
        const char* name;
        int replyCode;
        int answers;
        int idDelta;
    };
    // The system's resolver asks the machine's name server about the name
    // too: one that never answers is given up within a second, far inside
    // the fetcher's own time-out, so the outcome is the same on every machine.
    const test::ScopedEnv resolverOptions("RES_OPTIONS", "timeout:1 attempts:1");
    for (const Case& c : {Case{"no such name", 3, 0, 0}, Case{"no records", 0, 0, 0}, Case{"stray answer", 0, 1, 1}}) {
        SCOPED_TRACE(c.name);
        LocalNameServer names(c.replyCode, c.answers, c.idDelta);
        PublicAddressFetcher fetcher(QUrl(QStringLiteral("https://gaugelet-test.invalid/")));
        fetcher.setNameServerForTesting(QHostAddress::LocalHost, names.port());
        const FetchResult first = fetchNow(fetcher);
        ASSERT_FALSE(first);
        EXPECT_EQ(first.error().kind, PublicAddressFetcher::FetchError::Kind::network);
        // The pooled lookup's thread settles: no switch of another thread for 50 ms.
        long before = -1;
        ASSERT_TRUE(test::waitUntil([&] {
            const long now = otherThreadsSwitches();
            QTest::qWait(50);
            before = otherThreadsSwitches();
            return before == now;
        }));
        for (int i = 0; i < 3; ++i) {
            // The query's socket number, once closed, goes to the next socket
            // made (this test's): nothing of the query may read it afterwards.
            const int queryFd = ::fcntl(0, F_DUPFD_CLOEXEC, 0); // the lowest free number
            ::close(queryFd);
            const FetchResult again = fetchNow(fetcher);
            ASSERT_FALSE(again);
            EXPECT_EQ(again.error().describe(), first.error().describe());
            int pair[2] = {-1, -1};
            ASSERT_EQ(::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, pair), 0);
            ASSERT_TRUE(pair[0] == queryFd && ::send(pair[1], "mine", 4, 0) == 4);
            QEventLoop turn; // one turn that waits, as an idle program's loop does
            QTimer::singleShot(0, &turn, &QEventLoop::quit);
            turn.exec();
            char got[8] = {};
            EXPECT_EQ(::recv(pair[0], got, sizeof got, MSG_DONTWAIT), 4) << "the datagram was taken";
            ::close(pair[0]);
            ::close(pair[1]);
        }
        EXPECT_EQ(otherThreadsSwitches(), before);
        EXPECT_EQ(names.queries, 4);
    }
}

TEST(PublicAddressFetcher, TheNameServersAnswerNeverHidesAnAddressTheSystemKnows)
{
    // An address from the name server goes straight on to the service; a
    // refusal is checked with the system's resolver, which finds "localhost"
    // in /etc/hosts, every time.
    for (const auto& [replyCode, answers] : {std::pair{0, 1}, std::pair{3, 0}}) {
        LocalHttpServer server(inTurn({{200, "203.0.113.9\n"}, {200, "203.0.113.9\n"}}), std::nullopt,
                               QStringLiteral("localhost"));
        LocalNameServer names(replyCode, answers);
        PublicAddressFetcher fetcher(server.url());
        fetcher.setNameServerForTesting(QHostAddress::LocalHost, names.port());
        for (int i = 0; i < 2; ++i) {
            const FetchResult result = fetchNow(fetcher);
            ASSERT_TRUE(result) << replyCode << ": " << result.error().describe().toStdString();
            EXPECT_EQ(*result, "203.0.113.9\n");
        }
        EXPECT_EQ(names.queries, 2);
        EXPECT_EQ(server.requestCount(), 2);
    }
}
