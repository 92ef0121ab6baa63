#include "platform/core/SerialExecutor.h"
#include "platform/kernel/KernelFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

} // namespace

TEST(KernelFile, KeepsAProcDescriptorAndReadsFreshTextEachTime)
{
    // /proc/self/schedstat: the run time of this thread, which moves between two reads.
    KernelFile file(SysRoot(QStringLiteral("/")), "proc/self/schedstat");
    std::string first, second;
    ASSERT_TRUE(file.readInto(first));
    EXPECT_TRUE(file.isKept());
    const int open = openDescriptors();
    volatile double spin = 0;
    for (int i = 0; i < 2'000'000; ++i)
        spin = spin + i;
    ASSERT_TRUE(file.readInto(second));
    EXPECT_EQ(openDescriptors(), open) << "the second read opens nothing";
    EXPECT_NE(first, second);
}

TEST(KernelFile, FakeTreeFilesAreOpenedAnewAndMayBeReplaced)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("sys/class/net/eth0/statistics/tx_bytes"), "100\n");
    KernelFile file(SysRoot(dir.path()), "sys/class/net/eth0/statistics/tx_bytes");
    std::string buf;
    EXPECT_EQ(file.readNumber(buf), 100u);
    EXPECT_FALSE(file.isKept());
    // Replaced by a new file (another inode), then gone, then back.
    const QString path = dir.filePath("sys/class/net/eth0/statistics/tx_bytes");
    test::writeFile(path + ".new", "250\n");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(path + ".new", path));
    EXPECT_EQ(file.readNumber(buf), 250u);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(file.readNumber(buf), std::nullopt);
    test::writeFile(path, "300\n");
    EXPECT_EQ(file.readNumber(buf), 300u);
}

TEST(SerialExecutor, RunsJobsInOrderOnTheCallingThread)
{
    SerialExecutor executor(QStringLiteral("test"));
    std::vector<int> order;
    QThread* ranOn = nullptr;
    QFuture<int> first = executor.run([&] {
        ranOn = QThread::currentThread();
        order.push_back(1);
        return 7;
    });
    QFuture<void> second = executor.run([&] { order.push_back(2); });
    EXPECT_TRUE(first.isFinished());
    EXPECT_TRUE(second.isFinished());
    EXPECT_EQ(first.result(), 7);
    EXPECT_EQ(ranOn, QThread::currentThread());
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}
