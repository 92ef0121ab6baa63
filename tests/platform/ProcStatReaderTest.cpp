#include "platform/kernel/ProcStatReader.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(ProcStatReader, FoldsTenColumnsIntoFourCounters)
{
    // user nice system idle iowait irq softirq steal guest guest_nice
    const std::string text = "cpu  100 20 30 400 5 6 7 8 0 0\n"
                             "cpu0 10 2 3 40 5 6 7 8 9 1\n"
                             "cpu1 1 0 0 1 0 0 0 0 0 0\n"
                             "intr 12345 0 0\n"
                             "ctxt 1\n";
    std::vector<CpuTicks> out;
    ASSERT_TRUE(ProcStatReader::parse(text, out));
    ASSERT_EQ(out.size(), 2u); // the aggregate line is skipped
    EXPECT_EQ(out[0], (CpuTicks{0, 10, 3 + 6 + 7 + 8, 40 + 5, 2}));
    EXPECT_EQ(out[1], (CpuTicks{1, 1, 0, 1, 0}));
}

TEST(ProcStatReader, KeepsKernelOrderAndIdsWithGaps)
{
    // cpu1 offline: ids are kept, not renumbered.
    std::vector<CpuTicks> out;
    ASSERT_TRUE(ProcStatReader::parse("cpu 0 0 0 0\ncpu0 1 0 0 1\ncpu2 2 0 0 2\ncpu3 3 0 0 3\n", out));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].cpuId, 0);
    EXPECT_EQ(out[1].cpuId, 2);
    EXPECT_EQ(out[2].cpuId, 3);
}

TEST(ProcStatReader, ReadsCountersBeyondThirtyTwoBitsAndShortLines)
{
    std::vector<CpuTicks> out;
    // An old kernel prints only four columns; the rest count 0.
    ASSERT_TRUE(ProcStatReader::parse("cpu0 8589934592 0 1 4294967296\n", out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].user, 8589934592ull);
    EXPECT_EQ(out[0].idle, 4294967296ull);
    EXPECT_EQ(out[0].system, 1u);
}

TEST(ProcStatReader, MissingOrEmptyFileIsNoReading)
{
    QTemporaryDir dir;
    ProcStatReader reader{SysRoot(dir.path())};
    std::vector<CpuTicks> out{CpuTicks{}};
    EXPECT_FALSE(reader.read(out));
    EXPECT_TRUE(out.empty());

    test::writeFile(dir.filePath("proc/stat"), "intr 1 2 3\n");
    EXPECT_FALSE(reader.read(out));

    test::writeFile(dir.filePath("proc/stat"), "cpu 1 1 1 1\ncpu0 1 1 1 1\n");
    EXPECT_TRUE(reader.read(out));
    EXPECT_EQ(out.size(), 1u);
}
