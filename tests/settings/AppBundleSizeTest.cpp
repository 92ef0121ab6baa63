#include "settings/general/AppBundleSizeMB.h"

#include "platform/desktop/DiskUsage.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

qint64 allocated(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << qPrintable(path);
    return qint64(st.st_blocks) * 512;
}

} // namespace

TEST(AppBundleSize, CountsTheExecutableAndTheResourcesButNoLinkInside)
{
    QTemporaryDir dir;
    const QString exe = dir.filePath("bin/gaugelet");
    writeFile(exe, QByteArray(3'000'000, 'x'));
    const QString resources = dir.filePath("src/resources");
    writeFile(resources + "/Sounds/a.mp3", QByteArray(4'000'000, 'a'));
    writeFile(resources + "/StoreAssets/b.gaugebundle", QByteArray(5'000'000, 'b'));
    writeFile(resources + "/.hidden", QByteArray(700'000, 'h'));
    // A big file outside, reached through a link inside: not counted.
    writeFile(dir.filePath("outside/big"), QByteArray(20'000'000, 'o'));
    ASSERT_TRUE(QFile::link(dir.filePath("outside"), resources + "/linked-folder"));
    ASSERT_TRUE(QFile::link(dir.filePath("outside/big"), resources + "/linked-file"));
    // The resources folder is reached through a link, as in the build tree.
    QDir().mkpath(dir.filePath("share"));
    const QString resourcesLink = dir.filePath("share/gaugelet");
    ASSERT_TRUE(QFile::link(resources, resourcesLink));

    const qint64 expected = allocated(exe) + allocated(resources + "/Sounds/a.mp3")
        + allocated(resources + "/StoreAssets/b.gaugebundle") + allocated(resources + "/.hidden")
        + allocated(resources + "/linked-folder") + allocated(resources + "/linked-file");
    EXPECT_EQ(DiskUsage::allocatedBytes(exe) + DiskUsage::allocatedBytes(resourcesLink), expected);
    EXPECT_EQ(appBundleSizeMB({exe, resourcesLink}), int(expected / 1'000'000));
    EXPECT_EQ(appBundleSizeMB({exe, resourcesLink}), 12);
}

TEST(AppBundleSize, RoundsDownToWholeDecimalMegabytes)
{
    QTemporaryDir dir;
    // 4096-byte blocks: 3173 blocks fall short of 13,000,000 bytes, 3174 reach it.
    writeFile(dir.filePath("short"), QByteArray(3173 * 4096, 's'));
    writeFile(dir.filePath("over"), QByteArray(3174 * 4096, 'o'));
    writeFile(dir.filePath("small"), QByteArray(999'000, 'm'));
    if (allocated(dir.filePath("short")) != 3173 * 4096)
        GTEST_SKIP() << "the file system does not allocate 4096-byte blocks";
    EXPECT_EQ(appBundleSizeMB({dir.filePath("short")}), 12);
    EXPECT_EQ(appBundleSizeMB({dir.filePath("over")}), 13);
    EXPECT_EQ(appBundleSizeMB({dir.filePath("small")}), 0);
}

TEST(AppBundleSize, MissingAndUnreadablePlacesCountZero)
{
    QTemporaryDir dir;
    EXPECT_EQ(DiskUsage::allocatedBytes(dir.filePath("missing")), 0);
    EXPECT_EQ(DiskUsage::allocatedBytes(QString()), 0);
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    EXPECT_EQ(DiskUsage::allocatedBytes(dir.filePath("dangling")), 0);
    EXPECT_EQ(appBundleSizeMB({dir.filePath("missing")}), 0);
    EXPECT_GT(appBundleSizeMB(), -1); // the real program never fails
}
