#include "platform/kernel/CpuKindReader.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
void addCpus(const QTemporaryDir& dir, int count)
{
    for (int i = 0; i < count; ++i)
        test::writeFile(dir.filePath(QStringLiteral("sys/devices/system/cpu/cpu%1/online").arg(i)), "1\n");
    test::writeFile(dir.filePath("sys/devices/system/cpu/online"), "0-7\n"); // not a cpuN folder
}
} // namespace

TEST(CpuKindReader, HybridPmuFoldersLabelEachCpuId)
{
    // A hybrid Intel part: 6 P-cores with two threads each (ids 0-11), then
    // 8 E-cores (12-19). A count-based list would call ids 6-11 efficiency.
    QTemporaryDir dir;
    addCpus(dir, 20);
    test::writeFile(dir.filePath("sys/bus/event_source/devices/cpu_core/cpus"), "0-11\n");
    test::writeFile(dir.filePath("sys/bus/event_source/devices/cpu_atom/cpus"), "12-19\n");
    // The capacity rule must not be consulted when the PMU folders exist.
    test::writeFile(dir.filePath("sys/devices/system/cpu/cpu0/cpu_capacity"), "100\n");
    test::writeFile(dir.filePath("sys/devices/system/cpu/cpu1/cpu_capacity"), "1024\n");

    const QMap<int, bool> kinds = CpuKindReader::efficiencyByCpu(SysRoot(dir.path()));
    ASSERT_EQ(kinds.size(), 20);
    for (int id = 0; id < 12; ++id)
        EXPECT_FALSE(kinds.value(id)) << id;
    for (int id = 12; id < 20; ++id)
        EXPECT_TRUE(kinds.value(id)) << id;
}

TEST(CpuKindReader, LowPowerIslandIsEfficiency)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("sys/bus/event_source/devices/cpu_core/cpus"), "2-5\n");
    test::writeFile(dir.filePath("sys/bus/event_source/devices/cpu_atom/cpus"), "6-13\n");
    test::writeFile(dir.filePath("sys/bus/event_source/devices/cpu_lowpower/cpus"), "0-1\n");
    const QMap<int, bool> kinds = CpuKindReader::efficiencyByCpu(SysRoot(dir.path()));
    EXPECT_TRUE(kinds.value(0));
    EXPECT_TRUE(kinds.value(1));
    EXPECT_FALSE(kinds.value(2));
    EXPECT_TRUE(kinds.value(13));
}

TEST(CpuKindReader, CapacityBelowEightyFivePercentOfLargestIsEfficiency)
{
    QTemporaryDir dir;
    addCpus(dir, 4);
    const char* caps[] = {"446\n", "446\n", "1024\n", "871\n"}; // 871/1024 = 0.8506
    for (int i = 0; i < 4; ++i)
        test::writeFile(dir.filePath(QStringLiteral("sys/devices/system/cpu/cpu%1/cpu_capacity").arg(i)), caps[i]);
    const QMap<int, bool> kinds = CpuKindReader::efficiencyByCpu(SysRoot(dir.path()));
    EXPECT_EQ(kinds, (QMap<int, bool>{{0, true}, {1, true}, {2, false}, {3, false}}));
}

TEST(CpuKindReader, MaxFrequencyIsTheLastSource)
{
    QTemporaryDir dir;
    addCpus(dir, 3);
    test::writeFile(dir.filePath("sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"), "3000000\n");
    test::writeFile(dir.filePath("sys/devices/system/cpu/cpu1/cpufreq/cpuinfo_max_freq"), "1800000\n");
    // cpu2 has no figure: performance.
    const QMap<int, bool> kinds = CpuKindReader::efficiencyByCpu(SysRoot(dir.path()));
    EXPECT_EQ(kinds, (QMap<int, bool>{{0, false}, {1, true}, {2, false}}));
}

TEST(CpuKindReader, NoSourceMeansAllPerformance)
{
    QTemporaryDir dir;
    addCpus(dir, 8);
    EXPECT_TRUE(CpuKindReader::efficiencyByCpu(SysRoot(dir.path())).isEmpty());
    QTemporaryDir empty;
    EXPECT_TRUE(CpuKindReader::efficiencyByCpu(SysRoot(empty.path())).isEmpty());
}

TEST(CpuKindReader, ParsesCpuLists)
{
    EXPECT_EQ(CpuKindReader::parseCpuList(u"0-3,8,10-11\n"), (QList<int>{0, 1, 2, 3, 8, 10, 11}));
    EXPECT_EQ(CpuKindReader::parseCpuList(u"5"), (QList<int>{5}));
    EXPECT_TRUE(CpuKindReader::parseCpuList(u"").isEmpty());
    EXPECT_TRUE(CpuKindReader::parseCpuList(u"3-1").isEmpty());
    EXPECT_TRUE(CpuKindReader::parseCpuList(u"a-b").isEmpty());
    EXPECT_TRUE(CpuKindReader::parseCpuList(u"0-99999999").isEmpty());
}
