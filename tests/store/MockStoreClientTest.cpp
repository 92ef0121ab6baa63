#include "store/MockStoreClient.h"

#include "StoreTestSupport.h"
#include "TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

QByteArray bundleReleased(const QString& id, const QString& date)
{
    QJsonObject m = manifestObject(id, {{"assets/a.bin", "a"}});
    m.insert(QStringLiteral("releaseDate"), date);
    return signedBundle(NaclKeyPair::shared(), manifestBytes(m), {{"assets/a.bin", "a"}});
}

class MockStoreClientTest : public ::testing::Test {
protected:
    ScopedStoreKey key{NaclKeyPair::shared()};
    QTemporaryDir dir;
};

} // namespace

TEST_F(MockStoreClientTest, ListsVerifiedBundlesNewestFirst)
{
    writeFile(dir.filePath("first.gaugebundle"), bundleReleased("first", "2026-05-01T00:00:00Z"));
    writeFile(dir.filePath("third.gaugebundle"), bundleReleased("third", "2026-05-03T00:00:00Z"));
    writeFile(dir.filePath("second.gaugebundle"), bundleReleased("second", "2026-05-02T00:00:00Z"));
    writeFile(dir.filePath("notes.txt"), "ignored");
    MockStoreClient client(dir.path());
    const auto items = awaitTask(client.listAvailable()).value();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items.at(0).id, QStringLiteral("third"));
    EXPECT_EQ(items.at(1).id, QStringLiteral("second"));
    EXPECT_EQ(items.at(2).id, QStringLiteral("first"));
    EXPECT_EQ(items.at(0).downloadHandle, dir.filePath("third.gaugebundle"));
    EXPECT_EQ(items.at(0).assetURL, std::nullopt);

    auto bytes = awaitTask(client.fetchBundle(items.at(1)));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes.value(), readFile(dir.filePath("second.gaugebundle")));
}

TEST_F(MockStoreClientTest, LaterCallsAnswerTheSameList)
{
    writeFile(dir.filePath("one.gaugebundle"), bundleReleased("one", "2026-05-01T00:00:00Z"));
    MockStoreClient client(dir.path());
    const auto first = awaitTask(client.listAvailable()).value();
    QFile::remove(dir.filePath("one.gaugebundle"));
    EXPECT_EQ(awaitTask(client.listAvailable()).value(), first);
    EXPECT_EQ(awaitTask(client.listAvailable()).value(), first);
    EXPECT_EQ(first.size(), 1);
}

TEST_F(MockStoreClientTest, TamperedBundleIsLeftOutAndLogged)
{
    writeFile(dir.filePath("good.gaugebundle"), bundleReleased("good", "2026-05-01T00:00:00Z"));
    QByteArray bad = bundleReleased("bad", "2026-05-01T00:00:00Z");
    bad.replace("\"bad\"", "\"bat\"");
    writeFile(dir.filePath("bad.gaugebundle"), bad);
    LogCapture log;
    MockStoreClient client(dir.path());
    const auto items = awaitTask(client.listAvailable()).value();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.at(0).id, QStringLiteral("good"));
    EXPECT_TRUE(log.contains("MockStore: rejected bad.gaugebundle: "));
}

TEST_F(MockStoreClientTest, UnknownItemsFailWithTheirId)
{
    MockStoreClient client(dir.path());
    (void)awaitTask(client.listAvailable());
    StoreItem stranger;
    stranger.id = QStringLiteral("stranger");
    auto result = awaitTask(client.fetchBundle(stranger));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().text, QStringLiteral("unknownItem(\"stranger\")"));
}

TEST_F(MockStoreClientTest, FolderIsReadOnceAndAMissingOneStaysEmpty)
{
    MockStoreClient missing(dir.filePath("nowhere"));
    EXPECT_TRUE(awaitTask(missing.listAvailable()).value().isEmpty());
    writeFile(dir.filePath("nowhere/late.gaugebundle"), bundleReleased("late", "2026-05-01T00:00:00Z"));
    EXPECT_TRUE(awaitTask(missing.listAvailable()).value().isEmpty());

    MockStoreClient none(std::nullopt);
    EXPECT_TRUE(awaitTask(none.listAvailable()).value().isEmpty());
}
