#include "update/SparkleUpdater.h"

#include "platform/core/InfoDictionary.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"
#include "update/FeedUpdaterController.h"
#include "update/UpdateDialog.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

QByteArray appcast(const QByteArray& version)
{
    return R"(<?xml version="1.0"?><rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>)"
           R"(<item><enclosure url="https://example.org/g.tar.gz" sparkle:shortVersionString=")"
        + version + R"("/></item></channel></rss>)";
}

class SparkleUpdaterProbe : public ::testing::Test {
protected:
    void SetUp() override
    {
        InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, "1.9");
        InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, std::nullopt);
        InfoDictionary::setStringForTesting(InfoDictionary::feedPublicKeyKey, std::nullopt);
    }
    void TearDown() override { InfoDictionary::clearOverridesForTesting(); }

    void useFeed(const QUrl& url) { InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, url.toString()); }

    // Runs one probe to its end (the finish step included).
    static void probe(SparkleUpdater& updater)
    {
        updater.checkNow();
        ASSERT_TRUE(waitUntil([&] { return !updater.isChecking(); }, 20000));
    }

    ManualWallClock clock;
};

} // namespace

TEST_F(SparkleUpdaterProbe, StartsIdleAndReadsTheRunningVersionOnce)
{
    SparkleUpdater updater;
    EXPECT_FALSE(updater.hasUpdateAvailable());
    EXPECT_EQ(updater.latestVersion(), std::nullopt);
    EXPECT_EQ(updater.lastCheckedAt(), std::nullopt);
    EXPECT_FALSE(updater.isChecking());
    EXPECT_EQ(updater.lastError(), std::nullopt);
    EXPECT_FALSE(updater.onUpdateCycleEnded());
    EXPECT_EQ(updater.currentVersion(), "1.9");

    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, std::nullopt);
    EXPECT_EQ(updater.currentVersion(), "1.9");
    SparkleUpdater unversioned;
    EXPECT_EQ(unversioned.currentVersion(), "0");
}

TEST_F(SparkleUpdaterProbe, NewerFeedVersionIsAnUpdateComparedByNumber)
{
    LocalHttpServer server(LocalHttpServer::always({200, appcast("1.10")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    probe(updater);
    EXPECT_TRUE(updater.hasUpdateAvailable());
    EXPECT_EQ(updater.latestVersion(), "1.10");
    EXPECT_EQ(updater.lastError(), std::nullopt);
    EXPECT_EQ(updater.lastCheckedAt(), clock.now());
    EXPECT_EQ(server.exchanges().at(0).path, "/appcast.xml");
}

TEST_F(SparkleUpdaterProbe, EqualOrOlderFeedVersionIsNoUpdateButIsPublished)
{
    LocalHttpServer server(LocalHttpServer::always({200, appcast("1.9")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    probe(updater);
    EXPECT_FALSE(updater.hasUpdateAvailable());
    EXPECT_EQ(updater.latestVersion(), "1.9");
}

TEST_F(SparkleUpdaterProbe, FeedVersionWithALineBreakStaysOneLogLine)
{
    const QByteArray feed =
        R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>)"
        "<sparkle:version>1.0\nverdict=allow</sparkle:version></item></channel></rss>";
    LocalHttpServer server(LocalHttpServer::always({200, feed}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    LogCapture log(QStringLiteral("dev.gaugelet.app-updater"));
    SparkleUpdater updater;
    probe(updater);
    EXPECT_EQ(updater.latestVersion(), "1.0\nverdict=allow");
    EXPECT_EQ(log.count("appcast probe: latest=1.0?verdict=allow current=1.9 hasUpdate=false"), 1)
        << qPrintable(log.lines().join(u'|'));
}

TEST_F(SparkleUpdaterProbe, BuildWithoutVersionComparesAsZero)
{
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, std::nullopt);
    LocalHttpServer server(LocalHttpServer::always({200, appcast("0.0.1")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    probe(updater);
    EXPECT_TRUE(updater.hasUpdateAvailable());
}

TEST_F(SparkleUpdaterProbe, TwoChecksInARowStartOneProbe)
{
    LocalHttpServer server(LocalHttpServer::always({200, appcast("2.0")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    int notices = 0;
    QObject::connect(&updater, &SparkleUpdater::objectWillChange, [&] { ++notices; });
    updater.checkNow();
    EXPECT_TRUE(updater.isChecking());
    const int afterFirst = notices;
    updater.checkNow();
    EXPECT_EQ(notices, afterFirst);
    ASSERT_TRUE(waitUntil([&] { return !updater.isChecking(); }));
    spinFor(50);
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(SparkleUpdaterProbe, OutcomeIsPublishedBeforeTheCheckEnds)
{
    LocalHttpServer server(LocalHttpServer::always({200, appcast("3.0")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    QStringList order;
    QObject::connect(&updater, &SparkleUpdater::latestVersionChanged, [&] { order << "latestVersion"; });
    QObject::connect(&updater, &SparkleUpdater::hasUpdateAvailableChanged, [&] { order << "hasUpdateAvailable"; });
    QObject::connect(&updater, &SparkleUpdater::isCheckingChanged,
                     [&] { order << (updater.isChecking() ? "checking" : "idle"); });
    QObject::connect(&updater, &SparkleUpdater::lastCheckedAtChanged, [&] { order << "lastCheckedAt"; });
    QObject::connect(&updater, &SparkleUpdater::lastErrorChanged, [&] { order << "lastError"; });
    probe(updater);
    spinFor(20);
    EXPECT_EQ(order, (QStringList{"checking", "lastError", "latestVersion", "hasUpdateAvailable", "idle",
                                  "lastCheckedAt"}));
}

TEST_F(SparkleUpdaterProbe, StatusOtherThan200IsAFailureNamingTheStatus)
{
    LocalHttpServer server(LocalHttpServer::always({200, appcast("2.0")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    probe(updater);
    ASSERT_TRUE(updater.hasUpdateAvailable());

    for (int status : {304, 204, 404, 500}) {
        clock.advanceSecs(60);
        server.setHandler(LocalHttpServer::always({status, appcast("9.0")}));
        probe(updater);
        EXPECT_EQ(updater.lastError(), QStringLiteral("Server returned HTTP %1.").arg(status));
        // A failed probe leaves the last successful outcome in place.
        EXPECT_TRUE(updater.hasUpdateAvailable());
        EXPECT_EQ(updater.latestVersion(), "2.0");
        EXPECT_EQ(updater.lastCheckedAt(), clock.now());
    }
    // The next probe clears the error as it starts.
    server.setHandler(LocalHttpServer::always({200, appcast("1.0")}));
    updater.checkNow();
    EXPECT_EQ(updater.lastError(), std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return !updater.isChecking(); }));
    EXPECT_FALSE(updater.hasUpdateAvailable());
}

TEST_F(SparkleUpdaterProbe, UnparsableFeedsFail)
{
    LocalHttpServer server(LocalHttpServer::always({200, "not xml at all"}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    for (const QByteArray& body :
         {QByteArray("not xml at all"), QByteArray("<rss><channel><title>x</title></channel></rss>"), QByteArray(),
          QByteArray("<rss>") + QByteArray("<a>").repeated(300'000)}) {
        server.setHandler(LocalHttpServer::always({200, body}));
        probe(updater);
        EXPECT_EQ(updater.lastError(), "Couldn't parse appcast feed.");
    }
    EXPECT_EQ(updater.latestVersion(), std::nullopt);
}

TEST_F(SparkleUpdaterProbe, MissingInsecureOrOversizedFeedsFailWithTheirOwnTexts)
{
    SparkleUpdater updater;
    probe(updater);
    EXPECT_EQ(updater.lastError(), "Feed URL not configured.");
    EXPECT_TRUE(updater.lastCheckedAt().has_value());

    InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, "");
    probe(updater);
    EXPECT_EQ(updater.lastError(), "Feed URL not configured.");

    LocalHttpServer plain(LocalHttpServer::always({200, appcast("5.0")}));
    useFeed(plain.url("/appcast.xml"));
    probe(updater);
    EXPECT_EQ(updater.lastError(),
              "The resource could not be loaded because a secure connection (HTTPS) is required.");
    EXPECT_EQ(plain.requestCount(), 0);

    QByteArray huge = appcast("5.0");
    huge.insert(huge.indexOf("<item>"), "<description>" + QByteArray(1024 * 1024, 'x') + "</description>");
    LocalHttpServer big(LocalHttpServer::always({200, huge}), trustedTlsIdentity());
    useFeed(big.url("/appcast.xml"));
    probe(updater);
    EXPECT_EQ(updater.lastError(), "The server's response is too large.");

    LocalHttpServer dropping(LocalHttpServer::always(HttpAnswer::dropping()), trustedTlsIdentity());
    useFeed(dropping.url("/appcast.xml"));
    probe(updater);
    EXPECT_EQ(updater.lastError(), "The network connection was lost.");
    EXPECT_FALSE(updater.hasUpdateAvailable());
}

TEST_F(SparkleUpdaterProbe, UpdaterDestroyedDuringAProbeIsHarmless)
{
    LocalHttpServer server(LocalHttpServer::always(HttpAnswer::neverAnswering()), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    auto* updater = new SparkleUpdater;
    updater->checkNow();
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    delete updater;
    spinFor(50);
    SUCCEED();
}

TEST_F(SparkleUpdaterProbe, ForcedUpdateRunsTheCycleEndCallbackOnceWhenTheWindowCloses)
{
    LocalHttpServer server(LocalHttpServer::always({200, appcast("2.0")}), trustedTlsIdentity());
    useFeed(server.url("/appcast.xml"));
    SparkleUpdater updater;
    QList<QUrl> opened;
    updater.controller()->setUrlOpenerForTesting([&](const QUrl& url) {
        opened << url;
        return true;
    });
    int ended = 0;
    updater.setOnUpdateCycleEnded([&] { ++ended; });
    updater.presentForcedUpdate();
    UpdateDialog* dialog = updater.controller()->dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(waitUntil([&] { return dialog->state() == UpdateDialog::State::updateAvailable; }));
    dialog->downloadButton()->click();
    EXPECT_EQ(ended, 0) << "the callback runs as a later main-thread task";
    ASSERT_TRUE(waitUntil([&] { return ended == 1; }));
    EXPECT_EQ(opened, (QList<QUrl>{QUrl("https://example.org/g.tar.gz")}));
    EXPECT_FALSE(updater.onUpdateCycleEnded());

    // A later cycle finds nothing to run.
    updater.presentUserUpdate();
    ASSERT_NE(updater.controller()->dialog(), nullptr);
    updater.controller()->dialog()->reject();
    spinFor(50);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(updater.controller()->isCycleRunning());
}
