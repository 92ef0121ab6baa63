#include "store/StoreAssetCache.h"

#include "StoreTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

void setModified(const QString& path, const QDateTime& when)
{
    const qint64 s = when.toSecsSinceEpoch();
    struct timeval times[2] = {{s, 0}, {s, 0}};
    ASSERT_EQ(::lutimes(QFile::encodeName(path).constData(), times), 0);
}

class StoreAssetCacheTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    StoreAssetCache cache{tmp.filePath("dev.gaugelet.app/store")};
    ManualWallClock clock{QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC)};
};

} // namespace

TEST_F(StoreAssetCacheTest, MissThenWriteCreatesTheFoldersThenHit)
{
    LogCapture log;
    EXPECT_EQ(cache.read("fox.gaugebundle"), std::nullopt);
    EXPECT_TRUE(log.contains("cache_miss filename=fox.gaugebundle"));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("dev.gaugelet.app")));

    ASSERT_TRUE(cache.write("archive-bytes", "fox.gaugebundle"));
    EXPECT_TRUE(QFileInfo(tmp.filePath("dev.gaugelet.app/store")).isDir());
    EXPECT_TRUE(log.contains("cache_wrote filename=fox.gaugebundle bytes=13"));
    EXPECT_EQ(cache.read("fox.gaugebundle"), QByteArray("archive-bytes"));
    EXPECT_TRUE(log.contains("cache_hit filename=fox.gaugebundle bytes=13"));
}

TEST_F(StoreAssetCacheTest, DefaultLocationIsUnderTheUsersCacheFolder)
{
    const QByteArray old = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", tmp.path().toUtf8());
    EXPECT_EQ(StoreAssetCache::defaultCache().rootURL, tmp.path() + "/dev.gaugelet.app/store");
    qputenv("XDG_CACHE_HOME", old);
}

TEST_F(StoreAssetCacheTest, UnreadableEntryIsLoggedAndAMiss)
{
    ASSERT_TRUE(QDir().mkpath(cache.rootURL + "/folder.gaugebundle"));
    LogCapture log;
    EXPECT_EQ(cache.read("folder.gaugebundle"), std::nullopt);
    EXPECT_TRUE(log.contains("cache_read_failed filename=folder.gaugebundle error="));
}

TEST_F(StoreAssetCacheTest, NamesThatAreNotOnePlainFileNameAreNeverReadOrWritten)
{
    writeFile(tmp.filePath("dev.gaugelet.app/outside"), "secret");
    writeFile(cache.rootURL + "/.hidden", "hidden");
    for (const QString& name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../outside"),
                                QStringLiteral("a/b"), QStringLiteral(".hidden"), QStringLiteral("nul\u0000x")}) {
        EXPECT_FALSE(StoreAssetCache::isCacheableName(name)) << name.toStdString();
        EXPECT_EQ(cache.read(name), std::nullopt) << name.toStdString();
        EXPECT_FALSE(cache.write("evil", name)) << name.toStdString();
    }
    EXPECT_EQ(readFile(tmp.filePath("dev.gaugelet.app/outside")), QByteArray("secret"));
    EXPECT_TRUE(StoreAssetCache::isCacheableName("fox.gaugebundle"));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("dev.gaugelet.app/store/a")));
}

TEST_F(StoreAssetCacheTest, GcRemovesOldUnreferencedVisibleFilesOnly)
{
    const QDateTime now = clock.now();
    const double month = 2'592'000;
    auto put = [&](const QString& name, double ageSeconds) {
        writeFile(cache.rootURL + "/" + name, "x");
        setModified(cache.rootURL + "/" + name, now.addSecs(-qint64(ageSeconds)));
    };
    put("old.gaugebundle", month);
    put("young.gaugebundle", month - 1);
    put("referenced.gaugebundle", 10 * month);
    put(".hidden-old", 10 * month);
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(cache.rootURL + "/dangling").constData()), 0);

    LogCapture log;
    cache.gc({"referenced.gaugebundle"}, month);
    const QStringList left = QDir(cache.rootURL).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left, (QStringList{".hidden-old", "referenced.gaugebundle", "young.gaugebundle"}));
    EXPECT_TRUE(log.contains("gc removed=2 kept=2 ref_count=1"));
}

TEST_F(StoreAssetCacheTest, GcOnAMissingFolderWritesNothing)
{
    LogCapture log;
    cache.gc({}, 2'592'000);
    EXPECT_FALSE(log.contains("gc "));
}

TEST_F(StoreAssetCacheTest, BundledDirectoryIsTheStoreAssetsResourceFolderWhenPresent)
{
    const QByteArray old = qgetenv("GAUGELET_RESOURCES_DIR");
    qputenv("GAUGELET_RESOURCES_DIR", tmp.path().toUtf8());
    EXPECT_EQ(StoreAssetCache::bundledDirectory(), std::nullopt);
    QDir().mkpath(tmp.filePath("StoreAssets"));
    EXPECT_EQ(StoreAssetCache::bundledDirectory(), tmp.filePath("StoreAssets"));
    qputenv("GAUGELET_RESOURCES_DIR", old);
}
