#include "platform/net/HttpFetch.h"

#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTimer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Kind = HttpFetch::FetchError::Kind;

namespace {

QCoro::Task<> fetchInto(QNetworkAccessManager* manager, HttpFetch::Request request,
                        std::optional<HttpFetch::Outcome>* out)
{
    HttpFetch::Outcome outcome = co_await HttpFetch::get(manager, std::move(request));
    out->emplace(std::move(outcome));
}

HttpFetch::Outcome runGet(HttpFetch::Request request, QNetworkAccessManager* manager = HttpFetch::sharedManager())
{
    std::optional<HttpFetch::Outcome> out;
    fetchInto(manager, std::move(request), &out);
    EXPECT_TRUE(waitUntil([&] { return out.has_value(); }, 20000));
    if (!out)
        return fail(HttpFetch::FetchError{Kind::other, QStringLiteral("test gave up")});
    return std::move(*out);
}

HttpFetch::Request plain(const QUrl& url, double timeout = 10.0)
{
    HttpFetch::Request request;
    request.url = url;
    request.timeoutSeconds = timeout;
    request.requireHttps = false;
    return request;
}

} // namespace

TEST(HttpFetch, ReturnsStatusBodyAndHeadersOfAnyHttpStatus)
{
    LocalHttpServer server([](const HttpExchange& e) {
        if (e.path == "/missing")
            return HttpAnswer{404, "nope"};
        return HttpAnswer{200, "hello", {{"X-Test", "1"}}};
    });
    auto ok = runGet(plain(server.url("/doc")));
    ASSERT_TRUE(ok) << qPrintable(ok.error().fullDescription());
    EXPECT_EQ(ok->statusCode, 200);
    EXPECT_EQ(ok->body, "hello");
    EXPECT_TRUE(ok->headers.contains(qMakePair(QByteArray("X-Test"), QByteArray("1"))));

    auto missing = runGet(plain(server.url("/missing")));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->statusCode, 404);
    EXPECT_EQ(missing->body, "nope");
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(server.exchanges().at(0).method, "GET");
}

TEST(HttpFetch, BodyCapRejectsDeclaredAndStreamedFloodsButKeepsABodyAtTheCap)
{
    const QByteArray atCap(1024, 'a');
    const QByteArray overCap(1025, 'a');
    LocalHttpServer server([&](const HttpExchange& e) {
        if (e.path == "/declared")
            return HttpAnswer{200, overCap};
        if (e.path == "/streamed")
            return HttpAnswer::chunkedBody(QByteArray(3 * 1024 * 1024, 'x'));
        return HttpAnswer{200, atCap};
    });
    auto request = plain(server.url("/exact"));
    request.maxBodyBytes = 1024;
    auto exact = runGet(request);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->body.size(), 1024);

    request.url = server.url("/declared");
    auto declared = runGet(request);
    ASSERT_FALSE(declared);
    EXPECT_EQ(declared.error().kind, Kind::bodyTooLarge);

    request.url = server.url("/streamed");
    request.maxBodyBytes = HttpFetch::defaultMaxBodyBytes;
    auto streamed = runGet(request);
    ASSERT_FALSE(streamed);
    EXPECT_EQ(streamed.error().kind, Kind::bodyTooLarge);
}

TEST(HttpFetch, RefusesPlainHttpWhenHttpsIsRequiredWithoutTraffic)
{
    LocalHttpServer server(LocalHttpServer::always({200, "x"}));
    HttpFetch::Request request;
    request.url = server.url("/");
    auto outcome = runGet(request);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().kind, Kind::insecureScheme);
    auto blocking = HttpFetch::getBlocking(request, 2.0);
    ASSERT_FALSE(blocking);
    EXPECT_EQ(blocking.error().kind, Kind::insecureScheme);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST(HttpFetch, RejectsEmptyRelativeAndForeignSchemeURLs)
{
    for (const QString& text : {QString(), QStringLiteral("feed.xml"), QStringLiteral("file:///etc/passwd"),
                                QStringLiteral("ftp://127.0.0.1/x")}) {
        auto outcome = runGet(plain(QUrl(text)));
        ASSERT_FALSE(outcome) << qPrintable(text);
        EXPECT_EQ(outcome.error().kind, Kind::invalidURL) << qPrintable(text);
        EXPECT_EQ(outcome.error().describe(), "unsupported URL");
    }
}

TEST(HttpFetch, HttpsWorksWithATrustedTestCaAndFailsWithAnUntrustedOne)
{
    LocalHttpServer trusted(LocalHttpServer::always({200, "secure"}), trustedTlsIdentity());
    HttpFetch::Request request;
    request.url = trusted.url("/gate.json");
    request.timeoutSeconds = 10;
    auto ok = runGet(request);
    ASSERT_TRUE(ok) << qPrintable(ok.error().fullDescription());
    EXPECT_EQ(ok->body, "secure");

    LocalHttpServer stranger(LocalHttpServer::always({200, "secure"}), makeTlsIdentity());
    request.url = stranger.url("/gate.json");
    auto refused = runGet(request);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, Kind::secureConnectionFailed);
}

TEST(HttpFetch, RefusesARedirectFromHttpsToHttp)
{
    LocalHttpServer insecure(LocalHttpServer::always({200, "downgraded"}));
    const QByteArray target = insecure.url("/doc").toEncoded();
    LocalHttpServer secure(LocalHttpServer::always({302, {}, {{"Location", target}}}), trustedTlsIdentity());
    HttpFetch::Request request;
    request.url = secure.url("/doc");
    auto outcome = runGet(request);
    // Either refused outright or answered by the redirect itself, never the downgraded body.
    if (outcome) {
        EXPECT_NE(outcome->body, "downgraded");
    }
    EXPECT_EQ(insecure.requestCount(), 0);
}

TEST(HttpFetch, DeadlineEndsATransferToAServerThatNeverAnswers)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::neverAnswering()));
    QElapsedTimer timer;
    timer.start();
    auto outcome = runGet(plain(server.url("/"), 0.3));
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().kind, Kind::timedOut);
    EXPECT_EQ(outcome.error().describe(), "The request timed out.");
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(HttpFetch, SilenceLimitEndsAStalledTransferButNotASlowSteadyOne)
{
    // 20 pieces 100 ms apart: 2 s in all, never half a second of silence.
    LocalHttpServer steady(LocalHttpServer::always(HttpAnswer::slowBody(QByteArray(2000, 's'), 100, 100)));
    auto request = plain(steady.url("/"), 10);
    request.idleTimeoutSeconds = 0.5;
    auto outcome = runGet(request);
    ASSERT_TRUE(outcome) << outcome.error().fullDescription().toStdString();
    EXPECT_EQ(outcome->body, QByteArray(2000, 's'));

    // The head at once, then 3 s without a byte.
    LocalHttpServer stalled(LocalHttpServer::always(HttpAnswer::slowBody(QByteArray(200, 's'), 100, 3000)));
    request.url = stalled.url("/");
    QElapsedTimer timer;
    timer.start();
    outcome = runGet(request);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().kind, Kind::timedOut);
    EXPECT_LT(timer.elapsed(), 2500);

    // No answer at all is silence too.
    LocalHttpServer silent(LocalHttpServer::always(HttpAnswer::neverAnswering()));
    request.url = silent.url("/");
    timer.restart();
    outcome = runGet(request);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().kind, Kind::timedOut);
    EXPECT_LT(timer.elapsed(), 2500);
}

TEST(HttpFetch, ReportsDroppedAndRefusedConnections)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::dropping()));
    auto dropped = runGet(plain(server.url("/")));
    ASSERT_FALSE(dropped);
    EXPECT_EQ(dropped.error().kind, Kind::connectionLost);

    quint16 unusedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        unusedPort = probe.serverPort();
    }
    auto refused = runGet(plain(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(unusedPort))));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, Kind::cannotConnect);
}

TEST(HttpFetch, ManagerDestroyedMidTransferCompletesAsCancelled)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::neverAnswering()));
    auto* manager = new QNetworkAccessManager;
    std::optional<HttpFetch::Outcome> out;
    fetchInto(manager, plain(server.url("/"), 30), &out);
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    delete manager;
    ASSERT_TRUE(waitUntil([&] { return out.has_value(); }));
    ASSERT_FALSE(*out);
    EXPECT_EQ(out->error().kind, Kind::cancelled);
}

TEST(HttpFetch, BlockingFetchReturnsTheAnswerWithoutRunningTheCallersEventLoop)
{
    LocalHttpServer server(LocalHttpServer::always({200, "body"}));
    bool queuedRan = false;
    QTimer::singleShot(0, [&] { queuedRan = true; });
    auto outcome = HttpFetch::getBlocking(plain(server.url("/")), 5.0);
    ASSERT_TRUE(outcome) << qPrintable(outcome.error().fullDescription());
    EXPECT_EQ(outcome->body, "body");
    EXPECT_FALSE(queuedRan) << "the wait must not spin a nested event loop";
    EXPECT_TRUE(waitUntil([&] { return queuedRan; }));
}

TEST(HttpFetch, BlockingFetchGivesUpAtItsWaitAndALateCompletionIsHarmless)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::neverAnswering()));
    auto request = plain(server.url("/"), 10.0); // the transfer itself would wait longer
    QElapsedTimer timer;
    timer.start();
    auto outcome = HttpFetch::getBlocking(request, 0.4);
    const qint64 waited = timer.elapsed();
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().kind, Kind::timedOut);
    EXPECT_GE(waited, 350);
    EXPECT_LT(waited, 2000);
    // The cancelled worker ends promptly and is joined: nothing of it can
    // run on past the process's teardown.
    timer.restart();
    EXPECT_EQ(HttpFetch::joinBlockingWorkers(5.0), 0);
    EXPECT_LT(timer.elapsed(), 2000);
    auto again = HttpFetch::getBlocking(plain(server.url("/"), 0.2), 1.0);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().kind, Kind::timedOut);
}
