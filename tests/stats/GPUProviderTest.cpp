#include "stats/GPUProvider.h"

#include "TestSupport.h"
#include "stats/Palette.h"
#include "stats/views/StatProviderViews.h"
#include "views/ViewEnvironment.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(GPUProvider, DescribesItself)
{
    QTemporaryDir dir;
    GPUProvider p(std::make_unique<GPUSampler>(GpuReader(SysRoot(dir.path()))));
    EXPECT_EQ(p.id(), "gpu.total");
    EXPECT_EQ(p.displayName(), "GPU");
    EXPECT_EQ(p.shortName(), "GPU");
    EXPECT_EQ(p.refreshInterval(), 1.0);
    const Palette& palette = Palette::builtIns().first();
    EXPECT_EQ(p.accentColor(palette), palette.accent3);
    EXPECT_TRUE(p.excludedVisualizerIds().isEmpty());
    EXPECT_FALSE(p.supportsMergedDisplay());
    EXPECT_EQ(StatProviderViews::configView(p, {}, nullptr), nullptr);
}

TEST(GPUProvider, SnapshotKeepsPercentSeriesAndFractionValue)
{
    test::ManualWallClock clock;
    const StatSnapshot s = GPUProvider::makeSnapshot(GPUSample{36.5, 36.5, 12.0});
    EXPECT_DOUBLE_EQ(s.value, 0.365);
    EXPECT_EQ(s.label, "37%");
    ASSERT_EQ(s.breakdown.size(), 2);
    EXPECT_EQ(s.breakdown[0], (Series{"device", "Device", 36.5, std::nullopt}));
    EXPECT_EQ(s.breakdown[1], (Series{"renderer", "Renderer", 12.0, std::nullopt}));
    EXPECT_TRUE(s.extras.isEmpty());
    EXPECT_EQ(s.extra<int>("cpu.snapshot"), nullptr);
    EXPECT_EQ(s.asOf, clock.now());
}

TEST(GPUProvider, NoDeviceGivesZeroPercent)
{
    QTemporaryDir dir;
    GPUProvider p(std::make_unique<GPUSampler>(GpuReader(SysRoot(dir.path()))));
    std::optional<StatSnapshot> got = QCoro::waitFor(p.sample());
    EXPECT_EQ(got->value, 0);
    EXPECT_EQ(got->label, "0%");
}
