#include "stats/MemorySampler.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
constexpr uint64_t GiB = 1024ull * 1024 * 1024;

QByteArray meminfo(uint64_t totalKb, uint64_t freeKb, uint64_t cachedKb = 0)
{
    return QStringLiteral("MemTotal: %1 kB\nMemFree: %2 kB\nBuffers: 0 kB\nCached: %3 kB\nShmem: 0 kB\n"
                          "SReclaimable: 0 kB\nAnonPages: 100 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n")
        .arg(totalKb)
        .arg(freeKb)
        .arg(cachedKb)
        .toUtf8();
}
} // namespace

TEST(MemorySampler, ReadingUsesTheCategoryFormulas)
{
    VmStatistics s;
    s.totalBytes = 16 * GiB;
    s.freeBytes = 4 * GiB;
    s.wiredBytes = 1 * GiB;
    s.compressedBytes = GiB / 2;
    s.externalBytes = 3 * GiB;
    s.internalBytes = 6 * GiB;
    s.swapUsedBytes = 123;
    const MemoryReading r = MemorySampler::read(s, PressureAverages{0, 0});
    EXPECT_EQ(r.appBytes, 6 * GiB);
    EXPECT_EQ(r.wiredBytes, 1 * GiB);
    EXPECT_EQ(r.compressedBytes, GiB / 2);
    EXPECT_EQ(r.cachedBytes, 3 * GiB);
    EXPECT_EQ(r.usedBytes, 9 * GiB); // total - (free + external)
    EXPECT_DOUBLE_EQ(r.usedPercent, 56.25);
    EXPECT_EQ(r.swapUsedBytes, 123u);
    EXPECT_EQ(r.totalBytes, 16 * GiB);
}

TEST(MemorySampler, ReclaimableLargerThanInstalledGivesZeroUsed)
{
    VmStatistics s;
    s.totalBytes = 4 * GiB;
    s.freeBytes = 3 * GiB;
    s.externalBytes = 2 * GiB;
    const MemoryReading r = MemorySampler::read(s, std::nullopt);
    EXPECT_EQ(r.usedBytes, 0u);
    EXPECT_EQ(r.usedPercent, 0.0);
}

TEST(MemorySampler, FailedStatisticsGiveZerosAndNormalPressure)
{
    EXPECT_EQ(MemorySampler::read(std::nullopt, PressureAverages{50, 50}), MemoryReading{});
    VmStatistics zeroTotal;
    zeroTotal.freeBytes = 5;
    zeroTotal.swapUsedBytes = 9;
    EXPECT_EQ(MemorySampler::read(zeroTotal, PressureAverages{50, 50}), MemoryReading{});
}

TEST(MemorySampler, PressureLevelFromStallAverages)
{
    using L = MemoryPressureLevel;
    EXPECT_EQ(MemorySampler::pressureLevel(std::nullopt), L::normal);
    EXPECT_EQ(MemorySampler::pressureLevel(PressureAverages{9.99, 9.99}), L::normal);
    EXPECT_EQ(MemorySampler::pressureLevel(PressureAverages{10.0, 0}), L::warning);
    EXPECT_EQ(MemorySampler::pressureLevel(PressureAverages{80, 10.0}), L::critical);
    EXPECT_EQ(rawValue(L::warning), "warning");
    EXPECT_EQ(memoryPressureLevelFromRaw(u"critical"), L::critical);
    EXPECT_FALSE(memoryPressureLevelFromRaw(u"Critical"));
}

TEST(MemorySampler, UsedPercentIsTheMeanOfTheLastFiveCalls)
{
    QTemporaryDir dir;
    MemorySampler::State state{SysRoot(dir.path())};
    // Used 10, 20, 30, 40, 50, 60 percent of 1000 kB.
    const double expected[] = {10, 15, 20, 25, 30, 40};
    for (int i = 0; i < 6; ++i) {
        test::writeFile(dir.filePath("proc/meminfo"), meminfo(1000, 1000 - 100 * uint64_t(i + 1)));
        const MemoryReading r = state.sample();
        EXPECT_DOUBLE_EQ(r.usedPercent, expected[i]) << i;
        EXPECT_EQ(r.usedBytes, 100 * uint64_t(i + 1) * 1024) << i; // byte counts are fresh
    }
}

TEST(MemorySampler, FakeTreeWithPressureAndZram)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("proc/meminfo"), meminfo(2000, 500, 500));
    test::writeFile(dir.filePath("proc/pressure/memory"),
                    "some avg10=25.00 avg60=0 avg300=0 total=1\nfull avg10=2.00 avg60=0 avg300=0 total=1\n");
    test::writeFile(dir.filePath("sys/block/zram0/mm_stat"), "0 0 4096 0 0 0 0 0\n");
    MemorySampler sampler{SysRoot(dir.path())};
    std::optional<MemoryReading> got = QCoro::waitFor(sampler.sample());
    EXPECT_EQ(got->pressure, MemoryPressureLevel::warning);
    EXPECT_EQ(got->compressedBytes, 4096u);
    EXPECT_EQ(got->usedBytes, 1000u * 1024);
    EXPECT_DOUBLE_EQ(got->usedPercent, 50.0);
}

TEST(MemorySampler, RealMachineUsedMatchesAnIndependentMeminfoReading)
{
    MemorySampler::State state{SysRoot::system()};
    const MemoryReading r = state.sample();
    QFile f(QStringLiteral("/proc/meminfo"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QHash<QByteArray, double> kb;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2)
            kb.insert(parts[0].chopped(1), parts[1].toDouble() * 1024);
    }
    const double total = kb.value("MemTotal");
    const double used = total - kb.value("MemFree") - kb.value("Buffers") - kb.value("Cached")
        - kb.value("SReclaimable") + kb.value("Shmem");
    ASSERT_GT(total, 0);
    EXPECT_EQ(double(r.totalBytes), total);
    EXPECT_NEAR(double(r.usedBytes), used, total * 0.01);
    EXPECT_NEAR(r.usedPercent, used / total * 100, 1.0);
    // And the used figure is close to what MemAvailable says is in use.
    EXPECT_NEAR(double(r.usedBytes), total - kb.value("MemAvailable"), total * 0.10);
}
