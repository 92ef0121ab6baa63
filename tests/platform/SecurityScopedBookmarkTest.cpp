#include "platform/desktop/SecurityScopedBookmark.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(SecurityScopedBookmark, ResolvesAnExistingReadableFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chosen sound ü.mp3");
    test::writeFile(path, "x");
    auto resolved = SecurityScopedBookmark::resolve(SecurityScopedBookmark::bookmarkData(path));
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(*resolved, path);
}

TEST(SecurityScopedBookmark, RejectsMissingRelativeDirectoryAndGarbage)
{
    QTemporaryDir dir;
    EXPECT_FALSE(SecurityScopedBookmark::resolve(dir.filePath("gone.mp3").toUtf8()));
    EXPECT_FALSE(SecurityScopedBookmark::resolve("relative/sound.mp3"));
    EXPECT_FALSE(SecurityScopedBookmark::resolve(dir.path().toUtf8()));
    EXPECT_FALSE(SecurityScopedBookmark::resolve(QByteArray()));
    EXPECT_FALSE(SecurityScopedBookmark::resolve(QByteArray("/tmp/\xff\xfe", 7)));
    EXPECT_FALSE(SecurityScopedBookmark::resolve(QByteArray("/etc/passwd\0.mp3", 16)));
}
