#include "stats/CPUSampler.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cctype>
#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

using namespace gaugelet;

namespace {

struct Ticks {
    uint64_t user, nice, system, idle, iowait = 0, irq = 0, softirq = 0, steal = 0;
};

// A fake /proc/stat with one "cpuN" line per entry (ids 0.. unless given).
class FakeProcStat {
public:
    FakeProcStat() : root(dir.path()) {}
    void write(const std::vector<Ticks>& cpus, std::vector<int> ids = {})
    {
        QByteArray text = "cpu  0 0 0 0 0 0 0 0 0 0\n";
        for (size_t i = 0; i < cpus.size(); ++i) {
            const Ticks& t = cpus[i];
            const int id = ids.empty() ? int(i) : ids[i];
            text += QStringLiteral("cpu%1 %2 %3 %4 %5 %6 %7 %8 %9 0 0\n")
                        .arg(id)
                        .arg(t.user)
                        .arg(t.nice)
                        .arg(t.system)
                        .arg(t.idle)
                        .arg(t.iowait)
                        .arg(t.irq)
                        .arg(t.softirq)
                        .arg(t.steal)
                        .toUtf8();
        }
        text += "intr 0\n";
        test::writeFile(dir.filePath("proc/stat"), text);
    }
    void remove() { QFile::remove(dir.filePath("proc/stat")); }

    QTemporaryDir dir;
    SysRoot root;
};

const CPUTopology allPerformance{};

// What a reading that measured no interval yet answers.
CPUSample standIn()
{
    CPUSample none;
    none.isFirstReading = true;
    return none;
}

} // namespace

TEST(CPUSampler, FirstSampleIsZeroWithNoCores)
{
    FakeProcStat fake;
    fake.write({{100, 0, 100, 800}});
    CPUSampler::State state(fake.root, allPerformance);
    EXPECT_EQ(state.sample(), standIn());
    fake.write({{200, 0, 100, 900}});
    EXPECT_FALSE(state.sample().isFirstReading);
    // Hot-plug starts over with another stand-in reading.
    fake.write({{300, 0, 200, 1000}, {10, 0, 10, 80}});
    EXPECT_TRUE(state.sample().isFirstReading);
}

TEST(CPUSampler, FoldsFourStatesWorkedExample)
{
    // Two processors, one interval. Deltas:
    //   cpu0: user 30, nice 10, system 10 + irq 5 + softirq 3 + steal 2 = 20, idle 35 + iowait 5 = 40 -> 100 ticks
    //   cpu1: user 0, nice 0, system 0, idle 100 -> 100 ticks
    // Totals: user+nice 40, system 20, idle 140 over 200 ticks:
    //   user 20 %, system 10 %, idle 70 %; cpu0 busy 0.6, cpu1 busy 0.
    FakeProcStat fake;
    fake.write({{1000, 100, 500, 9000, 50, 10, 10, 0}, {2000, 0, 300, 7000}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    fake.write({{1030, 110, 510, 9035, 55, 15, 13, 2}, {2000, 0, 300, 7100}});
    const CPUSample s = state.sample();
    EXPECT_DOUBLE_EQ(s.user, 20.0);
    EXPECT_DOUBLE_EQ(s.system, 10.0);
    EXPECT_DOUBLE_EQ(s.idle, 70.0);
    ASSERT_EQ(s.perCore.size(), 2);
    EXPECT_DOUBLE_EQ(s.perCore[0].value, 0.6);
    EXPECT_DOUBLE_EQ(s.perCore[1].value, 0.0);
}

TEST(CPUSampler, SteadyLoadIsAveragedOverTheLastFiveSamples)
{
    FakeProcStat fake;
    uint64_t busy = 0, idle = 0;
    fake.write({{busy, 0, 0, idle}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    // Loads 100, 0, 50, 50, 50, 50 percent.
    const int loads[] = {100, 0, 50, 50, 50, 50};
    const double expected[] = {100, 50, 50, 50, 50, 40};
    for (int i = 0; i < 6; ++i) {
        busy += uint64_t(loads[i]);
        idle += uint64_t(100 - loads[i]);
        fake.write({{busy, 0, 0, idle}});
        EXPECT_DOUBLE_EQ(state.sample().user, expected[i]) << i;
    }
}

TEST(CPUSampler, NiceTicksCountAsUserAndBusy)
{
    FakeProcStat fake;
    fake.write({{0, 0, 0, 0}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    fake.write({{0, 25, 0, 75}});
    const CPUSample s = state.sample();
    EXPECT_DOUBLE_EQ(s.user, 25.0);
    EXPECT_DOUBLE_EQ(s.perCore[0].value, 0.25);
}

TEST(CPUSampler, CounterGoingBackwardsCountsZeroNotAWrappedValue)
{
    FakeProcStat fake;
    fake.write({{5000, 0, 5000, 5000}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    // user went back by 4000: its delta is 0, so the interval is 50 % system.
    fake.write({{1000, 0, 5050, 5050}});
    const CPUSample s = state.sample();
    EXPECT_DOUBLE_EQ(s.user, 0.0);
    EXPECT_DOUBLE_EQ(s.system, 50.0);
    EXPECT_DOUBLE_EQ(s.idle, 50.0);
    EXPECT_LE(s.perCore[0].value, 1.0);
}

TEST(CPUSampler, SixtyFourBitCountersPastThirtyTwoBitsAreExact)
{
    FakeProcStat fake;
    const uint64_t big = 0xFFFFFFF0ull;
    fake.write({{big, 0, 0, big}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    fake.write({{big + 0x20, 0, 0, big + 0x20}}); // crosses 2^32
    EXPECT_DOUBLE_EQ(state.sample().user, 50.0);
}

TEST(CPUSampler, ChangedProcessorIdsResetLikeAChangedCount)
{
    FakeProcStat fake;
    fake.write({{0, 0, 0, 0}, {0, 0, 0, 0}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    fake.write({{100, 0, 0, 0}, {100, 0, 0, 0}});
    EXPECT_DOUBLE_EQ(state.sample().user, 100.0);

    // cpu1 went offline and cpu2 came online: same count, other processors.
    fake.write({{100, 0, 0, 100}, {5, 0, 0, 5000}}, {0, 2});
    EXPECT_EQ(state.sample(), standIn());

    // The ring was not touched: the next interval averages with the old sample.
    fake.write({{100, 0, 0, 200}, {5, 0, 0, 5100}}, {0, 2});
    EXPECT_DOUBLE_EQ(state.sample().user, 50.0);

    // A different count resets too.
    fake.write({{100, 0, 0, 300}});
    EXPECT_EQ(state.sample(), standIn());
}

TEST(CPUSampler, UnreadableCountersAnswerThePreviousSmoothedValue)
{
    FakeProcStat fake;
    fake.write({{0, 0, 0, 0}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    fake.write({{30, 0, 0, 70}});
    const CPUSample before = state.sample();
    fake.remove();
    EXPECT_EQ(state.sample(), before);
    // State unchanged: the next delta is against the last good reading.
    fake.write({{60, 0, 0, 140}});
    EXPECT_DOUBLE_EQ(state.sample().user, 30.0);
}

TEST(CPUSampler, IntervalWithoutMovementAddsNoSample)
{
    FakeProcStat fake;
    fake.write({{0, 0, 0, 0}, {0, 0, 0, 0}});
    CPUSampler::State state(fake.root, allPerformance);
    (void)state.sample();
    fake.write({{80, 0, 0, 20}, {0, 0, 0, 0}}); // cpu1 did not move: 0 busy
    const CPUSample first = state.sample();
    EXPECT_DOUBLE_EQ(first.perCore[1].value, 0.0);
    EXPECT_EQ(state.sample(), first); // nothing moved at all
}

TEST(CPUSampler, CoreKindsFollowTheTopologyById)
{
    FakeProcStat fake;
    const CPUTopology topology = CPUTopology::fromEfficiencyMap({{0, false}, {4, true}});
    fake.write({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}, {0, 4, 9});
    CPUSampler::State state(fake.root, topology);
    (void)state.sample();
    fake.write({{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}}, {0, 4, 9});
    const CPUSample s = state.sample();
    ASSERT_EQ(s.perCore.size(), 3);
    EXPECT_EQ(s.perCore[0].kind, CPUCoreKind::performance);
    EXPECT_EQ(s.perCore[1].kind, CPUCoreKind::efficiency);
    EXPECT_EQ(s.perCore[2].kind, CPUCoreKind::performance); // unknown id
}

TEST(CPUSampler, SamplesRunOnTheActorsOwnThread)
{
    FakeProcStat fake;
    fake.write({{0, 0, 0, 0}});
    CPUSampler sampler(fake.root, allPerformance);
    std::optional<CPUSample> got = QCoro::waitFor(sampler.sample());
    EXPECT_EQ(*got, standIn());
    fake.write({{10, 0, 10, 80}});
    got = QCoro::waitFor(sampler.sample());
    EXPECT_DOUBLE_EQ(got->user, 10.0);
    EXPECT_DOUBLE_EQ(got->system, 10.0);
}

TEST(CPUSampler, RealMachineBusyMatchesAnIndependentProcStatDelta)
{
    auto readTotals = [] {
        // Independent reading of the aggregate "cpu" line.
        QFile f(QStringLiteral("/proc/stat"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> fields = f.readLine().simplified().split(' ');
        std::vector<double> v;
        for (qsizetype i = 1; i < fields.size() && i <= 8; ++i)
            v.push_back(fields[i].toDouble());
        v.resize(8, 0);
        const double idle = v[3] + v[4];
        double all = 0;
        for (double x : v)
            all += x;
        return std::pair<double, double>(all - idle, all);
    };
    CPUSampler::State state(SysRoot::system(), CPUTopology::shared());
    const auto a = readTotals();
    (void)state.sample();
    // Some load for a while so the interval has ticks to compare.
    QDeadlineTimer deadline(600);
    volatile double sink = 0;
    while (!deadline.hasExpired())
        sink = sink + 1;
    const CPUSample s = state.sample();
    const auto b = readTotals();
    ASSERT_GT(b.second - a.second, 0);
    const double independent = (b.first - a.first) / (b.second - a.second) * 100.0;
    EXPECT_NEAR(s.user + s.system, independent, 5.0);
    EXPECT_NEAR(s.user + s.system + s.idle, 100.0, 1e-6);
    // One entry per "cpuN" line (the affinity mask may allow this process fewer).
    QFile stat(QStringLiteral("/proc/stat"));
    ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
    qsizetype cpuLines = 0;
    for (const QByteArray& line : stat.readAll().split('\n')) {
        if (line.size() > 3 && line.startsWith("cpu") && std::isdigit(static_cast<unsigned char>(line[3])))
            ++cpuLines;
    }
    EXPECT_EQ(s.perCore.size(), cpuLines);
}
