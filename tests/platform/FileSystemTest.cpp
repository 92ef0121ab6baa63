#include "platform/core/FileSystem.h"

#include "platform/core/FileLock.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <utility>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    void TearDown() override { FileSystem::setExchangeUnsupportedForTesting(false); }
    QString path(const QString& name) const { return temp.filePath(name); }
    QTemporaryDir temp;
};

} // namespace

TEST_F(FileSystemTest, ReadsRegularFilesOnly)
{
    writeFile(path(QStringLiteral("f")), "contents");
    EXPECT_EQ(*FileSystem::readFile(path(QStringLiteral("f"))), QByteArray("contents"));

    const auto missing = FileSystem::readFile(path(QStringLiteral("nope")));
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().isMissing());
    EXPECT_EQ(missing.error().code, ENOENT);

    const auto underFile = FileSystem::readFile(path(QStringLiteral("f/x")));
    ASSERT_FALSE(underFile);
    EXPECT_TRUE(underFile.error().isMissing());

    QDir().mkpath(path(QStringLiteral("d")));
    const auto dir = FileSystem::readFile(path(QStringLiteral("d")));
    ASSERT_FALSE(dir);
    EXPECT_EQ(dir.error().code, EISDIR);
    EXPECT_FALSE(dir.error().isMissing());
}

TEST_F(FileSystemTest, ReadNeverFollowsALinkOrBlocksOnAFifo)
{
    writeFile(path(QStringLiteral("target")), "secret");
    ASSERT_TRUE(QFile::link(path(QStringLiteral("target")), path(QStringLiteral("link"))));
    const auto link = FileSystem::readFile(path(QStringLiteral("link")));
    ASSERT_FALSE(link);
    EXPECT_EQ(link.error().code, ELOOP);

    ASSERT_EQ(::mkfifo(path(QStringLiteral("fifo")).toUtf8().constData(), 0600), 0);
    const auto fifo = FileSystem::readFile(path(QStringLiteral("fifo")));
    ASSERT_FALSE(fifo);
    EXPECT_EQ(fifo.error().code, EINVAL);
    EXPECT_EQ(FileSystem::entryKind(path(QStringLiteral("fifo"))), FileSystem::EntryKind::other);
}

TEST_F(FileSystemTest, AtomicWriteReplacesAndLeavesNoTemporaryFile)
{
    const QString f = path(QStringLiteral("f"));
    ASSERT_TRUE(FileSystem::writeFileAtomically(f, "one"));
    ASSERT_TRUE(FileSystem::writeFileAtomically(f, "two"));
    EXPECT_EQ(readFile(f), QByteArray("two"));
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    QDir().mkpath(path(QStringLiteral("d")));
    const auto overFolder = FileSystem::writeFileAtomically(path(QStringLiteral("d")), "x");
    ASSERT_FALSE(overFolder);
    EXPECT_EQ(QDir(path(QStringLiteral("d"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 0);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Sorted, so that every run visits a folder's entries alike.
TEST_F(FileSystemTest, ListingIncludesHiddenEntriesInSortedOrder)
{
    for (const char* name : {"piglet", "fox", "hare", "effects", "Zebra"})
        QDir().mkpath(path(QString::fromLatin1(name)));
    writeFile(path(QStringLiteral(".hidden")), "");
    auto names = FileSystem::listDirectory(temp.path());
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (QStringList{QStringLiteral(".hidden"), QStringLiteral("Zebra"), QStringLiteral("effects"),
                                   QStringLiteral("fox"), QStringLiteral("hare"), QStringLiteral("piglet")}));
    EXPECT_FALSE(FileSystem::listDirectory(path(QStringLiteral("none"))));
}

TEST_F(FileSystemTest, RemoveTreeDeletesLinksNotTheirTargets)
{
    writeFile(path(QStringLiteral("outside/keep.txt")), "keep");
    writeFile(path(QStringLiteral("tree/sub/file")), "x");
    ASSERT_TRUE(QFile::link(path(QStringLiteral("outside")), path(QStringLiteral("tree/sub/link"))));
    ASSERT_TRUE(FileSystem::removeTree(path(QStringLiteral("tree"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("tree"))));
    EXPECT_EQ(readFile(path(QStringLiteral("outside/keep.txt"))), QByteArray("keep"));
    EXPECT_TRUE(FileSystem::removeTree(path(QStringLiteral("tree")))); // already gone
}

TEST_F(FileSystemTest, ReplaceItemSwapsFoldersWithAndWithoutExchange)
{
    for (bool exchange : {true, false}) {
        FileSystem::setExchangeUnsupportedForTesting(!exchange);
        writeFile(path(QStringLiteral("target/old")), "old");
        writeFile(path(QStringLiteral("staged/new")), "new");
        ASSERT_TRUE(FileSystem::replaceItem(path(QStringLiteral("target")), path(QStringLiteral("staged"))));
        EXPECT_EQ(readFile(path(QStringLiteral("target/new"))), QByteArray("new"));
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("target/old"))));
        // Nothing but the target is left: no staged or aside folder.
        EXPECT_EQ(*FileSystem::listDirectory(temp.path()), QStringList{QStringLiteral("target")});
        ASSERT_TRUE(FileSystem::removeTree(path(QStringLiteral("target"))));
    }
}

TEST_F(FileSystemTest, FailedReplaceLeavesTheOldItemInPlace)
{
    for (bool exchange : {true, false}) {
        FileSystem::setExchangeUnsupportedForTesting(!exchange);
        writeFile(path(QStringLiteral("target/old")), "old");
        // The replacement does not exist, so its move into place fails.
        EXPECT_FALSE(FileSystem::replaceItem(path(QStringLiteral("target")), path(QStringLiteral("missing"))));
        EXPECT_EQ(readFile(path(QStringLiteral("target/old"))), QByteArray("old"));
        EXPECT_EQ(*FileSystem::listDirectory(temp.path()), QStringList{QStringLiteral("target")});
    }
}

TEST_F(FileSystemTest, ReplaceItemOverNothingIsAMove)
{
    writeFile(path(QStringLiteral("staged/new")), "new");
    ASSERT_TRUE(FileSystem::replaceItem(path(QStringLiteral("target")), path(QStringLiteral("staged"))));
    EXPECT_EQ(readFile(path(QStringLiteral("target/new"))), QByteArray("new"));
}

TEST_F(FileSystemTest, MakePathReportsAFileInTheWay)
{
    writeFile(path(QStringLiteral("file")), "x");
    const auto made = FileSystem::makePath(path(QStringLiteral("file/sub")));
    ASSERT_FALSE(made);
    EXPECT_FALSE(made.error().describe().isEmpty());
    EXPECT_TRUE(FileSystem::makePath(path(QStringLiteral("a/b/c"))));
    EXPECT_EQ(FileSystem::entryKind(path(QStringLiteral("a/b/c"))), FileSystem::EntryKind::directory);
}

// The lock is seen by another process (flock(1)) both ways, and by a second
// FileLock in this one; a wait for it can be given up.
TEST_F(FileSystemTest, FileLockExcludesOtherProcessesAndOtherHolders)
{
    const QString lockFile = path(QStringLiteral("Bundles.lock"));
    const auto othersTry = [&] {
        return QProcess::execute(QStringLiteral("flock"), {QStringLiteral("-n"), lockFile, QStringLiteral("true")});
    };
    FileLock held(lockFile);
    ASSERT_EQ(held.tryLock().value(), true);
    EXPECT_EQ(othersTry(), 1);
    FileLock second(lockFile);
    EXPECT_EQ(second.tryLock().value(), false);
    held.unlock();
    EXPECT_EQ(othersTry(), 0);

    QProcess other;
    other.start(QStringLiteral("flock"),
                {lockFile, QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo held; read line")});
    ASSERT_TRUE(waitUntil([&] { return other.canReadLine(); }, 30000));
    int tries = 0;
    EXPECT_EQ(held.lock(QDeadlineTimer::Forever, [&] { return ++tries == 3; }).value(), false);
    EXPECT_EQ(tries, 3);
    other.write("\n");
    ASSERT_TRUE(other.waitForBytesWritten(30000));
    EXPECT_EQ(held.lock(QDeadlineTimer(30000)).value(), true);
    EXPECT_TRUE(other.waitForFinished(30000));
    EXPECT_EQ(FileLock(path(QStringLiteral("missing/x.lock"))).tryLock().error().code, ENOENT);
}

// A tree's digest is given only within both caps and of the tree as it was
// listed: an entry changed between its listing and its reading gives none.
TEST_F(FileSystemTest, TreeDigestIsWithinItsCapsAndOfWhatWasListed)
{
    const QString top = path(QStringLiteral("top"));
    writeFile(top + QStringLiteral("/a.txt"), "aaaa");
    writeFile(top + QStringLiteral("/sub/b.txt"), "bb");
    ASSERT_TRUE(QFile::link(QStringLiteral("t1"), top + QStringLiteral("/link")));
    const int entries = 5; // top, a.txt, link, sub, sub/b.txt
    const qint64 bytes = 6;
    EXPECT_TRUE(FileSystem::treeDigest(top, entries, bytes));
    EXPECT_FALSE(FileSystem::treeDigest(top, entries - 1, bytes));
    EXPECT_FALSE(FileSystem::treeDigest(top, entries, bytes - 1));

    const QString a = top + QStringLiteral("/a.txt");
    const struct {
        const char* name;
        QByteArray at;
        std::function<void()> change;
    } cases[] = {
        {"grows", "/a.txt", [&] { writeFile(a, "aaaaa"); }},
        {"shrinks", "/a.txt", [&] { writeFile(a, "aa"); }},
        {"swapped for another of its size", "/a.txt",
         [&] {
             writeFile(path(QStringLiteral("other")), "cccc");
             ASSERT_EQ(::rename(qPrintable(path(QStringLiteral("other"))), qPrintable(a)), 0);
         }},
        {"a link's new target", "/link",
         [&] {
             ASSERT_TRUE(QFile::remove(top + QStringLiteral("/link")));
             ASSERT_TRUE(QFile::link(QStringLiteral("target2"), top + QStringLiteral("/link")));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(a, "aaaa");
        bool changed = false;
        FileSystem::setTreeDigestHookForTesting([&](const QByteArray& relative) {
            if (relative == c.at && !std::exchange(changed, true))
                c.change();
        });
        EXPECT_FALSE(FileSystem::treeDigest(top, entries, 64));
        FileSystem::setTreeDigestHookForTesting({});
    }
}
