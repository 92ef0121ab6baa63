#include "update/URLSessionFetcher.h"

#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Kind = KillSwitchFetcher::FetchError::Kind;

TEST(URLSessionFetcher, Only2xxAnswersCountAndAnEmptyBodyIsABody)
{
    LocalHttpServer server([](const HttpExchange& e) {
        if (e.path == "/empty")
            return HttpAnswer{204};
        if (e.path == "/moved")
            return HttpAnswer{304};
        if (e.path == "/error")
            return HttpAnswer{500, "{\"alpha\":true}"};
        return HttpAnswer{200, "{\"alpha\":true}"};
    }, trustedTlsIdentity());
    URLSessionFetcher fetcher;
    auto ok = fetcher.fetch(server.url("/doc"), 3.0);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok.value(), "{\"alpha\":true}");
    auto empty = fetcher.fetch(server.url("/empty"), 3.0);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty.value().isEmpty());
    for (const char* path : {"/moved", "/error"}) {
        auto bad = fetcher.fetch(server.url(QString::fromLatin1(path)), 3.0);
        ASSERT_FALSE(bad) << path;
        EXPECT_EQ(bad.error().kind, Kind::badServerResponse);
    }
    EXPECT_EQ(fetcher.fetch(server.url("/error"), 3.0).error().statusCode, 500);
}

TEST(URLSessionFetcher, TimesOutAtItsTimeoutAndNeverWaitsPastTheMargin)
{
    LocalHttpServer silent(LocalHttpServer::always(HttpAnswer::neverAnswering()), trustedTlsIdentity());
    URLSessionFetcher fetcher;
    QElapsedTimer timer;
    timer.start();
    auto result = fetcher.fetch(silent.url("/"), 0.5);
    const qint64 elapsed = timer.elapsed();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, Kind::timedOut);
    EXPECT_GE(elapsed, 450);
    EXPECT_LE(elapsed, 1000 + 300);
}

TEST(URLSessionFetcher, CapsTheBodyAtOneMebibyte)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::chunkedBody(QByteArray(1024 * 1024 + 1, 'x'))),
                           trustedTlsIdentity());
    URLSessionFetcher fetcher;
    auto result = fetcher.fetch(server.url("/"), 3.0);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, Kind::transport);
    EXPECT_TRUE(result.error().describe().contains("bodyTooLarge"));
}
