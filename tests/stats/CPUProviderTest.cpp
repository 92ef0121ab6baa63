#include "stats/CPUProvider.h"

#include "TestSupport.h"
#include "stats/CPUExtras.h"
#include "stats/Palette.h"
#include "stats/views/StatProviderViews.h"
#include "views/ViewEnvironment.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

using namespace gaugelet;

TEST(CPUProvider, DescribesItself)
{
    CPUProvider p;
    EXPECT_EQ(p.id(), "cpu.total");
    EXPECT_EQ(p.displayName(), "CPU");
    EXPECT_EQ(p.shortName(), "CPU");
    EXPECT_EQ(p.refreshInterval(), 1.0);
    EXPECT_TRUE(p.excludedVisualizerIds().isEmpty());
    EXPECT_FALSE(p.supportsMergedDisplay());
    const Palette& palette = Palette::builtIns().first();
    EXPECT_EQ(p.accentColor(palette), palette.accent1);
    EXPECT_EQ(StatProviderViews::configView(p, {}, nullptr), nullptr);
}

TEST(CPUProvider, LabelRoundsHalvesAwayAndValueIsCapped)
{
    test::ManualWallClock clock;
    StatSnapshot s = CPUProvider::makeSnapshot(CPUSample{{30.0, 12.5, 57.5, {}}});
    EXPECT_EQ(s.label, "43%");
    EXPECT_DOUBLE_EQ(s.value, 0.425);
    EXPECT_EQ(s.asOf, clock.now());
    EXPECT_TRUE(s.providerId.isEmpty());
    EXPECT_TRUE(s.badgeText.isEmpty());

    s = CPUProvider::makeSnapshot(CPUSample{{60.2, 40.2, 0, {}}});
    EXPECT_EQ(s.label, "100%");
    EXPECT_DOUBLE_EQ(s.value, 1.0);

    s = CPUProvider::makeSnapshot(CPUSample{{std::nan(""), 10, 0, {}}});
    EXPECT_EQ(s.label, "0%");
    EXPECT_DOUBLE_EQ(s.value, 0.0);
}

TEST(CPUProvider, BreakdownAndExtras)
{
    const QList<CPUCoreSample> cores{{0.5, CPUCoreKind::performance}, {0.1, CPUCoreKind::efficiency}};
    const StatSnapshot s = CPUProvider::makeSnapshot(CPUSample{{20, 10, 70, cores}});
    ASSERT_EQ(s.breakdown.size(), 3);
    EXPECT_EQ(s.breakdown[0], (Series{"user", "User", 20, std::nullopt}));
    EXPECT_EQ(s.breakdown[1], (Series{"system", "System", 10, std::nullopt}));
    EXPECT_EQ(s.breakdown[2], (Series{"idle", "Idle", 70, std::nullopt}));
    const CPUExtras* extras = s.extra<CPUExtras>("cpu.snapshot");
    ASSERT_NE(extras, nullptr);
    EXPECT_EQ(*extras, (CPUExtras{20, 10, 70, cores}));
}

TEST(CPUProvider, FirstSnapshotAfterLaunchIsZero)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("proc/stat"), "cpu 1 1 1 1\ncpu0 1 1 1 1\n");
    static const CPUTopology topology;
    CPUProvider p(std::make_unique<CPUSampler>(SysRoot(dir.path()), topology));
    std::optional<StatSnapshot> got = QCoro::waitFor(p.sample());
    EXPECT_EQ(got->value, 0);
    EXPECT_EQ(got->label, "0%");
    EXPECT_TRUE(got->isFirstReading);
    ASSERT_NE(got->extra<CPUExtras>("cpu.snapshot"), nullptr);
    EXPECT_TRUE(got->extra<CPUExtras>("cpu.snapshot")->perCore.isEmpty());
}
