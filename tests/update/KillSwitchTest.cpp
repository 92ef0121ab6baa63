#include "update/KillSwitch.h"

#include "KillSwitchCheck.h"

#include "platform/core/InfoDictionary.h"
#include "schema/SettingsSchema.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"
#include "update/KillSwitchCache.h"
#include "update/KillSwitchFetcher.h"
#include "update/URLSessionFetcher.h"
#include "update/UserDefaultsCache.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Verdict = KillSwitch::Verdict;
using Link = KillSwitch::ForwardLink;

namespace {

// head + padding + "\"}", exactly size bytes long.
QByteArray paddedDocument(const QByteArray& head, qint64 size)
{
    return head + QByteArray(size - head.size() - 2, 'p') + "\"}";
}

class FakeFetcher : public KillSwitchFetcher {
public:
    explicit FakeFetcher(Result<QByteArray, FetchError> result) : result(std::move(result)) {}
    static std::shared_ptr<FakeFetcher> body(const QByteArray& bytes)
    {
        return std::make_shared<FakeFetcher>(Result<QByteArray, FetchError>(bytes));
    }
    static std::shared_ptr<FakeFetcher> failing()
    {
        return std::make_shared<FakeFetcher>(
            Result<QByteArray, FetchError>(fail(FetchError{FetchError::Kind::timedOut, {}, 0})));
    }
    Result<QByteArray, FetchError> fetch(const QUrl& url, double timeoutSeconds) override
    {
        ++calls;
        lastURL = url;
        lastTimeout = timeoutSeconds;
        return result;
    }
    Result<QByteArray, FetchError> result;
    int calls = 0;
    QUrl lastURL;
    double lastTimeout = 0;
};

class MemoryCache : public KillSwitchCache {
public:
    std::optional<QByteArray> lastResponse() const override { return response; }
    void setLastResponse(const std::optional<QByteArray>& body) override
    {
        writes << QStringLiteral("lastResponse");
        response = body;
    }
    std::optional<QDateTime> lastFetchAt() const override { return fetchedAt; }
    void setLastFetchAt(const std::optional<QDateTime>& at) override
    {
        writes << QStringLiteral("lastFetchAt");
        fetchedAt = at;
    }
    std::optional<QByteArray> response;
    std::optional<QDateTime> fetchedAt;
    QStringList writes;
};

const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

KillSwitch::Env env(std::shared_ptr<KillSwitchFetcher> fetcher, std::shared_ptr<KillSwitchCache> cache,
                    QString version = QStringLiteral("1.9"), KillSwitch::Channel channel = KillSwitch::Channel::alpha)
{
    return KillSwitch::Env{channel, now, std::move(version), std::move(fetcher), std::move(cache)};
}

KillSwitch::Payload decoded(const QByteArray& json)
{
    auto payload = KillSwitch::Payload::decode(json);
    EXPECT_TRUE(payload) << json.constData();
    return payload ? payload.value() : KillSwitch::Payload{};
}

Verdict evaluate(const QByteArray& json, const QString& version = QStringLiteral("1.9"),
                 KillSwitch::Channel channel = KillSwitch::Channel::alpha)
{
    return KillSwitch::evaluate(decoded(json), env(nullptr, nullptr, version, channel));
}

class KillSwitchGate : public ::testing::Test {
protected:
    void TearDown() override { InfoDictionary::clearOverridesForTesting(); }
};

} // namespace

// --- Deciding from a document ---

TEST(KillSwitch, ChannelFlagDecidesAndAnAbsentFlagStops)
{
    EXPECT_EQ(evaluate(R"({"alpha":true})"), Verdict::allow());
    EXPECT_EQ(evaluate(R"({"alpha":true})", "1.9", KillSwitch::Channel::release), Verdict::terminate("", std::nullopt));
    EXPECT_EQ(evaluate(R"({"live":true,"alpha":false,"message":"gone"})"), Verdict::terminate("gone", std::nullopt));
    EXPECT_EQ(evaluate(R"({"live":true})", "1.9", KillSwitch::Channel::release), Verdict::allow());
}

TEST(KillSwitch, MinimumVersionComparesRunsOfDigitsByValue)
{
    EXPECT_EQ(evaluate(R"({"alpha":true,"min_version":"1.10","message":"m"})", "1.9"),
              Verdict::forceUpdate("m", "1.10", std::nullopt));
    EXPECT_EQ(evaluate(R"({"alpha":true,"min_version":"1.10"})", "1.10"), Verdict::allow());
    EXPECT_EQ(evaluate(R"({"alpha":true,"min_version":"1.10"})", "2.0"), Verdict::allow());
    EXPECT_EQ(evaluate(R"({"alpha":true,"min_version":""})", "0.1"), Verdict::allow());
    EXPECT_EQ(evaluate(R"({"alpha":true})", "0.1"), Verdict::allow());
    // The flag is decided before the version.
    EXPECT_EQ(evaluate(R"({"alpha":false,"min_version":"9"})", "1.0"), Verdict::terminate("", std::nullopt));
    // A document without a message gives an empty one.
    EXPECT_EQ(evaluate(R"({"alpha":true,"min_version":"2"})", "1").message, QString());
}

TEST(KillSwitch, ForwardLinkAcceptsHttpAndHttpsOnlyAndDefaultsItsLabel)
{
    const auto link = [](const QByteArray& json) { return KillSwitch::forwardLink(decoded(json)); };
    EXPECT_EQ(link(R"({"link_url":"HTTPS://example.org/dl"})"),
              (Link{QUrl("HTTPS://example.org/dl"), QStringLiteral("Open")}));
    EXPECT_EQ(link(R"({"link_url":"http://example.org/","link_label":""})")->label, "Open");
    EXPECT_EQ(link(R"({"link_url":"https://example.org/","link_label":"Get it"})")->label, "Get it");
    EXPECT_FALSE(link(R"({"link_url":""})"));
    EXPECT_FALSE(link(R"({"link_url":"ftp://example.org/x"})"));
    EXPECT_FALSE(link("{\"link_url\":\"javascript:alert(1)\"}"));
    EXPECT_FALSE(link(R"({"link_url":"example.org/no-scheme"})"));
    EXPECT_FALSE(link(R"({"link_url":"https://"})"));
    EXPECT_FALSE(link(R"({"link_url":"http://exa mple.org/"})"));
    // A rejected link leaves the rest of the verdict as it was.
    EXPECT_EQ(evaluate(R"({"alpha":false,"message":"m","link_url":"file:///etc/passwd"})"),
              Verdict::terminate("m", std::nullopt));
    EXPECT_EQ(evaluate(R"({"alpha":false,"link_url":"https://example.org/x","link_label":"Why"})"),
              Verdict::terminate("", Link{QUrl("https://example.org/x"), "Why"}));
}

// --- Decoding untrusted documents ---

TEST(KillSwitch, PayloadDecodesEveryKeyAndTreatsNullAsAbsent)
{
    const auto payload = decoded(R"({"live":false,"alpha":true,"min_version":"2.1","message":"hi",)"
                                 R"("link_url":"https://x.org","link_label":"X","author":"me","extra":[1,2]})");
    EXPECT_EQ(payload, (KillSwitch::Payload{false, true, "2.1", "hi", "https://x.org", "X", "me"}));
    EXPECT_EQ(decoded(R"({"live":null,"message":null})"), KillSwitch::Payload{});
}

TEST(KillSwitch, MalformedDocumentsFailToDecodeWithoutCrashing)
{
    using Kind = KillSwitch::Payload::DecodeError::Kind;
    const auto kindOf = [](const QByteArray& body) {
        auto payload = KillSwitch::Payload::decode(body);
        EXPECT_FALSE(payload) << body.left(60).constData();
        return payload ? Kind::notJSON : payload.error().kind;
    };
    EXPECT_EQ(kindOf(""), Kind::notJSON);
    EXPECT_EQ(kindOf("<html>"), Kind::notJSON);
    EXPECT_EQ(kindOf(R"({"alpha":true)"), Kind::notJSON);
    EXPECT_EQ(kindOf(R"([{"alpha":true}])"), Kind::notObject);
    EXPECT_FALSE(KillSwitch::Payload::decode(R"("alpha")"));
    EXPECT_EQ(kindOf(R"({"live":"true"})"), Kind::wrongType);
    EXPECT_EQ(kindOf(R"({"alpha":1})"), Kind::wrongType);
    EXPECT_EQ(kindOf(R"({"alpha":true,"min_version":1.1})"), Kind::wrongType);
    EXPECT_EQ(KillSwitch::Payload::decode(R"({"link_label":{}})").error().key, "link_label");

    // Deep nesting inside an otherwise fine object, within the size cap.
    const QByteArray deep = R"({"alpha":true,"x":)" + QByteArray(200'000, '[') + QByteArray(200'000, ']') + "}";
    EXPECT_EQ(kindOf(deep), Kind::notJSON);

    // Bigger than 1 MiB, although well-formed.
    QByteArray huge = R"({"alpha":true,"message":")" + QByteArray(1024 * 1024, 'a') + "\"}";
    EXPECT_EQ(kindOf(huge), Kind::tooLarge);

    // Exactly 1 MiB is still a document; one byte more is not.
    const QByteArray exact = paddedDocument(R"({"alpha":false,"message":"full","pad":")", KillSwitch::maxDocumentBytes);
    ASSERT_EQ(exact.size(), KillSwitch::maxDocumentBytes);
    auto decoded = KillSwitch::Payload::decode(exact);
    ASSERT_TRUE(decoded) << decoded.error().describe().toStdString();
    EXPECT_EQ(decoded->message, "full");
    EXPECT_EQ(kindOf(paddedDocument(R"({"alpha":false,"pad":")", KillSwitch::maxDocumentBytes + 1)), Kind::tooLarge);
}

// --- The gate run with injected fetcher and cache ---

TEST_F(KillSwitchGate, DevBuildIsNeverGatedAndTouchesNothing)
{
    auto fetcher = FakeFetcher::body(R"({"alpha":false})");
    auto cache = std::make_shared<MemoryCache>();
    cache->response = "kept";
    cache->fetchedAt = now.addSecs(-5);
    EXPECT_EQ(KillSwitch::checkBlocking(env(fetcher, cache, "2.0-dev3")), Verdict::allow());
    EXPECT_EQ(fetcher->calls, 0);
    EXPECT_TRUE(cache->writes.isEmpty());
    // The test is case-sensitive.
    KillSwitch::checkBlocking(env(fetcher, cache, "2.0-DEV"));
    EXPECT_EQ(fetcher->calls, 1);
}

TEST_F(KillSwitchGate, GoodDocumentIsKeptExactlyAsReceivedTimeFirst)
{
    InfoDictionary::setStringForTesting(InfoDictionary::gateURLKey, "https://gate.invalid/doc.json");
    const QByteArray body = "  {\"alpha\": true,\n \"min_version\": \"1.10\"}  ";
    auto fetcher = FakeFetcher::body(body);
    auto cache = std::make_shared<MemoryCache>();
    EXPECT_EQ(KillSwitch::checkBlocking(env(fetcher, cache, "1.9")), Verdict::forceUpdate("", "1.10", std::nullopt));
    EXPECT_EQ(fetcher->lastURL, QUrl("https://gate.invalid/doc.json"));
    EXPECT_DOUBLE_EQ(fetcher->lastTimeout, 3.0);
    EXPECT_EQ(cache->writes, (QStringList{"lastFetchAt", "lastResponse"}));
    EXPECT_EQ(cache->response, body);
    EXPECT_EQ(cache->fetchedAt, now);
}

TEST_F(KillSwitchGate, MalformedFetchFallsBackToTheKeptCopyAndLeavesItInPlace)
{
    auto cache = std::make_shared<MemoryCache>();
    cache->response = R"({"alpha":false,"message":"stopped"})";
    cache->fetchedAt = now.addSecs(-3600);
    for (const QByteArray& bad : {QByteArray("[]"), QByteArray(R"({"live":"yes"})"), QByteArray(),
                                  QByteArray(2 * 1024 * 1024, '{')}) {
        EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::body(bad), cache)), Verdict::terminate("stopped", std::nullopt));
    }
    EXPECT_TRUE(cache->writes.isEmpty());
}

TEST_F(KillSwitchGate, KeptCopyDecidesForTwentyFourHoursCountedFromItsFetch)
{
    auto cache = std::make_shared<MemoryCache>();
    cache->response = R"({"alpha":false})";
    cache->fetchedAt = now.addSecs(-86'399);
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::terminate("", std::nullopt));
    cache->fetchedAt = now.addSecs(-86'400);
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::allow());
    // A stamp in the future counts as fresh.
    cache->fetchedAt = now.addDays(30);
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::terminate("", std::nullopt));
    EXPECT_TRUE(cache->writes.isEmpty());
}

TEST_F(KillSwitchGate, KeptCopyIsJudgedWithThisRunsChannelAndVersion)
{
    auto cache = std::make_shared<MemoryCache>();
    cache->response = R"({"alpha":true,"live":false,"min_version":"2.0"})";
    cache->fetchedAt = now.addSecs(-10);
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache, "1.5")),
              Verdict::forceUpdate("", "2.0", std::nullopt));
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache, "2.0")), Verdict::allow());
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache, "2.0", KillSwitch::Channel::release)),
              Verdict::terminate("", std::nullopt));
}

TEST_F(KillSwitchGate, FailsOpenWithoutAUsableKeptCopy)
{
    auto cache = std::make_shared<MemoryCache>();
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::allow());
    cache->fetchedAt = now;
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::allow());
    for (const QByteArray& bad : {QByteArray("not json"), QByteArray(R"({"alpha":0})"),
                                  QByteArray(3 * 1024 * 1024, ' ') + R"({"alpha":false})",
                                  QByteArray(100'000, '[')}) {
        cache->response = bad;
        EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::allow());
    }
    EXPECT_EQ(KillSwitch::checkBlocking(env(nullptr, nullptr)), Verdict::allow());
}

TEST_F(KillSwitchGate, EachRunLogsItsStepsAndVerdictWordForWord)
{
    auto cache = std::make_shared<MemoryCache>();
    {
        LogCapture log(QStringLiteral("dev.gaugelet.killswitch"));
        KillSwitch::checkBlocking(env(FakeFetcher::body("3.0-dev"), cache, "3.0-dev"));
        EXPECT_EQ(log.lines(), (QStringList{"checkBlocking start channel=alpha version=3.0-dev",
                                            "checkBlocking: local dev version 3.0-dev, bypassing gate"}));
    }
    {
        LogCapture log(QStringLiteral("dev.gaugelet.killswitch"));
        KillSwitch::checkBlocking(
            env(FakeFetcher::body(R"({"alpha":true,"min_version":"2","link_url":"ftp://x.org/"})"), cache, "1.9"));
        EXPECT_EQ(log.lines(), (QStringList{"checkBlocking start channel=alpha version=1.9",
                                            "rejected link_url: ftp://x.org/", "verdict=force_update min=2 link=nil"}));
    }
    {
        LogCapture log(QStringLiteral("dev.gaugelet.killswitch"));
        KillSwitch::checkBlocking(env(FakeFetcher::body(R"({"live":true,"link_url":"https://x.org/a"})"), cache,
                                      "1.9", KillSwitch::Channel::release));
        EXPECT_EQ(log.lines(), (QStringList{"checkBlocking start channel=release version=1.9", "verdict=allow"}));
    }
    {
        LogCapture log(QStringLiteral("dev.gaugelet.killswitch"));
        KillSwitch::checkBlocking(env(FakeFetcher::body(R"({"alpha":false,"link_url":"https://x.org/a"})"), cache));
        EXPECT_EQ(log.lines().value(1), "verdict=terminate link=https://x.org/a");
    }
    {
        LogCapture log(QStringLiteral("dev.gaugelet.killswitch"));
        KillSwitch::checkBlocking(env(FakeFetcher::body("[]"), std::make_shared<MemoryCache>()));
        EXPECT_EQ(log.lines(), (QStringList{"checkBlocking start channel=alpha version=1.9",
                                            "malformed config payload, falling back to cache",
                                            "no fresh cache; failing open", "verdict=allow"}));
    }
    {
        LogCapture log(QStringLiteral("dev.gaugelet.killswitch"));
        KillSwitch::checkBlocking(env(FakeFetcher::failing(), std::make_shared<MemoryCache>()));
        ASSERT_EQ(log.lines().size(), 4);
        EXPECT_TRUE(log.lines().at(1).startsWith("config fetch failed: timedOut")) << qPrintable(log.lines().at(1));
        EXPECT_EQ(log.lines().at(2), "no fresh cache; failing open");
    }
}

TEST_F(KillSwitchGate, BundleVersionFallsBackWhenTheBuildHasNone)
{
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, "3.4.5");
    EXPECT_EQ(KillSwitch::bundleVersion(), "3.4.5");
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, std::nullopt);
    EXPECT_EQ(KillSwitch::bundleVersion(), "0.0.0");
}

TEST(KillSwitch, ChannelRawValuesRoundTrip)
{
    EXPECT_EQ(rawValue(KillSwitch::Channel::release), "release");
    EXPECT_EQ(channelFromRaw(u"alpha"), KillSwitch::Channel::alpha);
    EXPECT_EQ(channelFromRaw(u"live"), std::nullopt);
}

// --- The whole gate against a server on 127.0.0.1 ---

namespace {

Verdict runAgainst(const LocalHttpServer& server, const std::shared_ptr<KillSwitchCache>& cache,
                   const QString& version = QStringLiteral("1.9"))
{
    InfoDictionary::setStringForTesting(InfoDictionary::gateURLKey, server.url("/gaugelet-config.json").toString());
    return KillSwitch::checkBlocking(env(std::make_shared<URLSessionFetcher>(), cache, version));
}

} // namespace

TEST_F(KillSwitchGate, ServerVerdictsAllowStopAndForceUpdate)
{
    const auto& tls = trustedTlsIdentity();
    auto cache = std::make_shared<MemoryCache>();

    LocalHttpServer allow(LocalHttpServer::always({200, R"({"alpha":true,"min_version":"1.9"})"}), tls);
    EXPECT_EQ(runAgainst(allow, cache), Verdict::allow());
    EXPECT_EQ(allow.exchanges().at(0).path, "/gaugelet-config.json");

    LocalHttpServer stop(LocalHttpServer::always({200, R"({"alpha":false,"message":"Pulled."})"}), tls);
    EXPECT_EQ(runAgainst(stop, cache), Verdict::terminate("Pulled.", std::nullopt));

    LocalHttpServer stopWithLink(
        LocalHttpServer::always({200, R"({"alpha":false,"link_url":"https://example.org/why","link_label":"Why?"})"}),
        tls);
    EXPECT_EQ(runAgainst(stopWithLink, cache), Verdict::terminate("", Link{QUrl("https://example.org/why"), "Why?"}));

    LocalHttpServer force(LocalHttpServer::always({200, R"({"alpha":true,"min_version":"1.10","message":"Update"})"}),
                          tls);
    EXPECT_EQ(runAgainst(force, cache, "1.9"), Verdict::forceUpdate("Update", "1.10", std::nullopt));
    EXPECT_EQ(runAgainst(force, cache, "1.10"), Verdict::allow());
    EXPECT_EQ(cache->response, QByteArray(R"({"alpha":true,"min_version":"1.10","message":"Update"})"));
}

TEST_F(KillSwitchGate, ServerFailuresFallBackToTheKeptCopy)
{
    const auto& tls = trustedTlsIdentity();
    auto cache = std::make_shared<MemoryCache>();
    cache->response = R"({"alpha":false,"message":"kept"})";
    cache->fetchedAt = now.addSecs(-60);
    const Verdict kept = Verdict::terminate("kept", std::nullopt);

    for (int status : {304, 404, 500}) {
        LocalHttpServer server(LocalHttpServer::always({status, R"({"alpha":true})"}), tls);
        EXPECT_EQ(runAgainst(server, cache), kept) << status;
    }
    for (const QByteArray& body : {QByteArray(), QByteArray("[true]"), QByteArray(R"({"live":"no"})"),
                                   QByteArray(5000, '['), QByteArray(R"({"alpha":true,"pad":")") +
                                   QByteArray(1024 * 1024, 'p') + "\"}"}) {
        LocalHttpServer server(LocalHttpServer::always({200, body}), tls);
        EXPECT_EQ(runAgainst(server, cache), kept) << body.left(20).constData();
    }
    LocalHttpServer chunkedFlood(LocalHttpServer::always(HttpAnswer::chunkedBody(QByteArray(2 * 1024 * 1024, ' '))), tls);
    EXPECT_EQ(runAgainst(chunkedFlood, cache), kept);
    LocalHttpServer dropping(LocalHttpServer::always(HttpAnswer::dropping()), tls);
    EXPECT_EQ(runAgainst(dropping, cache), kept);
    EXPECT_TRUE(cache->writes.isEmpty());
}

TEST_F(KillSwitchGate, DocumentOfExactlyOneMebibyteDecides)
{
    auto cache = std::make_shared<MemoryCache>();
    const QByteArray exact = paddedDocument(R"({"alpha":false,"message":"full","pad":")", KillSwitch::maxDocumentBytes);
    LocalHttpServer server(LocalHttpServer::always({200, exact}), trustedTlsIdentity());
    EXPECT_EQ(runAgainst(server, cache), Verdict::terminate("full", std::nullopt));
    EXPECT_EQ(cache->response, std::optional<QByteArray>(exact));
}

TEST_F(KillSwitchGate, PlainHttpOrUnsetGateAddressIsAFailedFetch)
{
    auto cache = std::make_shared<MemoryCache>();
    LocalHttpServer plain(LocalHttpServer::always({200, R"({"alpha":false})"}));
    EXPECT_EQ(runAgainst(plain, cache), Verdict::allow());
    EXPECT_EQ(plain.requestCount(), 0);

    InfoDictionary::setStringForTesting(InfoDictionary::gateURLKey, std::nullopt);
    EXPECT_TRUE(KillSwitch::configURL().isEmpty());
    EXPECT_EQ(KillSwitch::checkBlocking(env(std::make_shared<URLSessionFetcher>(), cache)), Verdict::allow());
}

TEST_F(KillSwitchGate, ServerThatNeverAnswersIsBoundedAtThreeAndAHalfSeconds)
{
    auto cache = std::make_shared<MemoryCache>();
    cache->response = R"({"alpha":false,"message":"kept"})";
    cache->fetchedAt = now.addSecs(-60);
    LocalHttpServer silent(LocalHttpServer::always(HttpAnswer::neverAnswering()), trustedTlsIdentity());
    QElapsedTimer timer;
    timer.start();
    const Verdict verdict = runAgainst(silent, cache);
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(verdict, Verdict::terminate("kept", std::nullopt));
    EXPECT_GE(elapsed, 2900);
    EXPECT_LE(elapsed, 3500 + 200);
}

TEST_F(KillSwitchGate, KeptCopyLivesInTheUserDefaults)
{
    ScopedDefaults defaults;
    auto cache = std::make_shared<UserDefaultsCache>(defaults.get());
    LocalHttpServer server(LocalHttpServer::always({200, R"({"alpha":false})"}), trustedTlsIdentity());
    EXPECT_EQ(runAgainst(server, cache), Verdict::terminate("", std::nullopt));
    EXPECT_EQ(defaults->data(SettingsSchema::killSwitchLastResponse), QByteArray(R"({"alpha":false})"));
    EXPECT_EQ(defaults->date(SettingsSchema::killSwitchLastFetchAt), now);

    // Offline next launch: the stop keeps stopping.
    EXPECT_EQ(KillSwitch::checkBlocking(env(FakeFetcher::failing(), cache)), Verdict::terminate("", std::nullopt));
}

TEST(KillSwitch, FuzzInputsKeepTheFuzzTargetsProperty)
{
    for (const auto& [name, bytes] : test::fuzzInputs(QStringLiteral(GAUGELET_TEST_DATA_DIR "/fuzz"))) {
        EXPECT_EQ(fuzz::checkGatePayload(bytes), QString()) << name.toStdString();
        if (name.startsWith(QLatin1String("seed-"))) {
            EXPECT_TRUE(KillSwitch::Payload::decode(bytes)) << name.toStdString();
        }
    }
}
