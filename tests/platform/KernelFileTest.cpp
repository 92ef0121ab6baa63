#include "platform/core/SerialExecutor.h"
#include "platform/kernel/KernelFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

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

TEST(KernelFile, ReadsFilesOfEverySizeWholeIntoOneReusedBuffer)
{
    // Around the first buffer's size (4096) and the point where it grows
    // (less than 1024 left), and well past both, in an order that makes
    // the buffer shrink again.
    QTemporaryDir dir;
    std::string buf;
    for (const int size : {4097, 0, 1, 3072, 3073, 4095, 4096, 9000, 100'000, 5}) {
        SCOPED_TRACE(size);
        QByteArray text(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            text[i] = char('a' + i % 26);
        test::writeFile(dir.filePath("proc/big"), text);
        KernelFile file(SysRoot(dir.path()), "proc/big");
        ASSERT_TRUE(file.readInto(buf));
        EXPECT_EQ(buf.size(), size_t(size));
        EXPECT_TRUE(QByteArray::fromStdString(buf) == text) << "the text differs";
    }
}

TEST(KernelFile, AKeptDescriptorWhoseObjectIsGoneOpensThePathAgain)
{
    // /proc/thread-self names the calling thread's own folder: a descriptor
    // kept from a thread that has ended fails (ESRCH), while the path now
    // names this thread's.
    KernelFile file(SysRoot(QStringLiteral("/")), "proc/thread-self/stat");
    std::string buf;
    pid_t workerTid = 0;
    std::thread worker([&] {
        workerTid = ::gettid();
        ASSERT_TRUE(file.readInto(buf));
    });
    worker.join();
    ASSERT_TRUE(file.isKept());
    const std::string workerId = buf.substr(0, buf.find(' '));
    ASSERT_EQ(workerId, std::to_string(workerTid));
    // join() returns when the thread clears its id, a little before the
    // kernel lets go of its task; until then the kept descriptor still reads.
    const std::string task = "/proc/self/task/" + workerId;
    for (int i = 0; i < 500 && ::access(task.c_str(), F_OK) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(::access(task.c_str(), F_OK), 0) << "the worker's task is still there after 5 s";

    ASSERT_TRUE(file.readInto(buf));
    EXPECT_EQ(buf.substr(0, buf.find(' ')), std::to_string(::gettid()));
    EXPECT_NE(buf.substr(0, buf.find(' ')), workerId);
    EXPECT_TRUE(file.isKept());
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
