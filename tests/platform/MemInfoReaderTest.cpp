#include "platform/kernel/MemInfoReader.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
// A meminfo fixture (kB). Worked example of the categories:
//   wired      = 200000 + 16000 + 30000 + 1000 + 4000 + 50000 + 0 = 301000 kB
//   external   = Buffers 100000 + Cached 3000000 - Shmem 200000 + SReclaimable 150000 = 3050000 kB
//   internal   = AnonPages 2500000 + Shmem 200000 = 2700000 kB
//   compressed = Zswap 64000 kB + zram mem_used_total
//   swap used  = 2097148 - 1048576 = 1048572 kB
const char* fixture = "MemTotal:       16000000 kB\n"
                      "MemFree:         8000000 kB\n"
                      "MemAvailable:   11000000 kB\n"
                      "Buffers:          100000 kB\n"
                      "Cached:          3000000 kB\n"
                      "SwapCached:            0 kB\n"
                      "AnonPages:       2500000 kB\n"
                      "Shmem:            200000 kB\n"
                      "KReclaimable:     150000 kB\n"
                      "Slab:             350000 kB\n"
                      "SReclaimable:     150000 kB\n"
                      "SUnreclaim:       200000 kB\n"
                      "KernelStack:       16000 kB\n"
                      "PageTables:        30000 kB\n"
                      "SecPageTables:      1000 kB\n"
                      "SwapTotal:       2097148 kB\n"
                      "SwapFree:        1048576 kB\n"
                      "Zswap:             64000 kB\n"
                      "VmallocUsed:       50000 kB\n"
                      "Percpu:             4000 kB\n"
                      "HugePages_Total:       0\n"
                      "Hugetlb:               0 kB\n";
} // namespace

TEST(MemInfoReader, MapsMeminfoFixtureToCategories)
{
    const auto s = MemInfoReader::parse(fixture, 1000);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->totalBytes, 16000000ull * 1024);
    EXPECT_EQ(s->freeBytes, 8000000ull * 1024);
    EXPECT_EQ(s->wiredBytes, 301000ull * 1024);
    EXPECT_EQ(s->externalBytes, 3050000ull * 1024);
    EXPECT_EQ(s->internalBytes, 2700000ull * 1024);
    EXPECT_EQ(s->compressedBytes, 64000ull * 1024 + 1000);
    EXPECT_EQ(s->swapUsedBytes, 1048572ull * 1024);
}

TEST(MemInfoReader, SumsEveryZramDevice)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("proc/meminfo"), fixture);
    // orig_data_size compr_data_size mem_used_total mem_limit ...
    test::writeFile(dir.filePath("sys/block/zram0/mm_stat"), "  4096000  1024000  1200000  0  1300000  0  0  0\n");
    test::writeFile(dir.filePath("sys/block/zram1/mm_stat"), "100 50 300 0 0 0 0 0\n");
    test::writeFile(dir.filePath("sys/block/sda/mm_stat"), "1 1 999999 0\n"); // not zram
    test::writeFile(dir.filePath("sys/block/zram2/mm_stat"), "garbage\n");
    MemInfoReader reader{SysRoot(dir.path())};
    const auto s = reader.read();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->compressedBytes, 64000ull * 1024 + 1200000 + 300);
}

TEST(MemInfoReader, SharedMemoryLargerThanCacheGivesNoNegativeCache)
{
    const auto s = MemInfoReader::parse("MemTotal: 1000 kB\nBuffers: 0 kB\nCached: 100 kB\nShmem: 500 kB\n"
                                        "SReclaimable: 0 kB\nSwapTotal: 0 kB\nSwapFree: 10 kB\n",
                                        0);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->externalBytes, 0u);
    EXPECT_EQ(s->swapUsedBytes, 0u);
    EXPECT_EQ(s->internalBytes, 500u * 1024);
}

TEST(MemInfoReader, MissingTotalOrFileIsNoReading)
{
    EXPECT_FALSE(MemInfoReader::parse("MemFree: 100 kB\n", 0));
    QTemporaryDir dir;
    MemInfoReader reader{SysRoot(dir.path())};
    EXPECT_FALSE(reader.read());
}

TEST(MemInfoReader, HugeValuesSaturateInsteadOfWrapping)
{
    const auto s = MemInfoReader::parse("MemTotal: 18446744073709551615 kB\nAnonPages: 18446744073709551615 kB\n"
                                        "Shmem: 18446744073709551615 kB\n",
                                        0);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->totalBytes, UINT64_MAX);
    EXPECT_EQ(s->internalBytes, UINT64_MAX);
}
