#include "stats/MemoryProvider.h"

#include "TestSupport.h"
#include "schema/SettingsSchema.h"
#include "stats/MemoryExtras.h"
#include "stats/Palette.h"
#include "stats/views/MemoryConfigBody.h"
#include "stats/views/StatProviderViews.h"
#include "views/ViewEnvironment.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
constexpr uint64_t GiB = 1024ull * 1024 * 1024;

MemoryReading reading()
{
    MemoryReading r;
    r.usedPercent = 61.5;
    r.appBytes = 4 * GiB;
    r.wiredBytes = 2 * GiB;
    r.compressedBytes = 1 * GiB;
    r.cachedBytes = 5 * GiB;
    r.usedBytes = 9 * GiB;
    r.swapUsedBytes = GiB / 4;
    r.totalBytes = 16 * GiB;
    r.pressure = MemoryPressureLevel::warning;
    return r;
}
} // namespace

TEST(MemoryProvider, DescribesItself)
{
    QTemporaryDir dir;
    MemoryProvider p(std::make_unique<MemorySampler>(SysRoot(dir.path())));
    EXPECT_EQ(p.id(), "memory.total");
    EXPECT_EQ(p.displayName(), "Memory");
    EXPECT_EQ(p.shortName(), "MEM");
    EXPECT_EQ(p.refreshInterval(), 1.0);
    const Palette& palette = Palette::builtIns().first();
    EXPECT_EQ(p.accentColor(palette), palette.accent5);
    EXPECT_FALSE(p.supportsMergedDisplay());
}

TEST(MemoryProvider, CachedCountsOnlyWhenTheSettingIsOn)
{
    StatSnapshot off = MemoryProvider::makeSnapshot(reading(), false);
    EXPECT_DOUBLE_EQ(off.value, 7.0 / 16.0); // (4 + 2 + 1) / 16
    EXPECT_EQ(off.label, "44%");
    StatSnapshot on = MemoryProvider::makeSnapshot(reading(), true);
    EXPECT_DOUBLE_EQ(on.value, 12.0 / 16.0);
    EXPECT_EQ(on.label, "75%");
}

TEST(MemoryProvider, SampleReadsTheSettingEachTime)
{
    test::ScopedDefaults defaults;
    QTemporaryDir dir;
    test::writeFile(dir.filePath("proc/meminfo"),
                    "MemTotal: 1000 kB\nMemFree: 100 kB\nCached: 500 kB\nAnonPages: 200 kB\n");
    MemoryProvider p(std::make_unique<MemorySampler>(SysRoot(dir.path())));
    auto sampleOnce = [&] {
        std::optional<StatSnapshot> got = QCoro::waitFor(p.sample());
        return got.value_or(StatSnapshot{});
    };
    EXPECT_EQ(sampleOnce().label, "20%");
    defaults->set(SettingsSchema::memoryShowCached, true);
    EXPECT_EQ(sampleOnce().label, "70%");
    defaults->set(SettingsSchema::memoryShowCached, QStringLiteral("yes")); // not a Bool: off
    EXPECT_EQ(sampleOnce().label, "20%");
}

TEST(MemoryProvider, PercentNeverExceedsOneHundred)
{
    MemoryReading r = reading();
    r.appBytes = 20 * GiB;
    const StatSnapshot s = MemoryProvider::makeSnapshot(r, true);
    EXPECT_DOUBLE_EQ(s.value, 1.0);
    EXPECT_EQ(s.label, "100%");

    // Sums that would wrap in 64 bits still cap.
    r.appBytes = UINT64_MAX;
    r.cachedBytes = UINT64_MAX;
    EXPECT_DOUBLE_EQ(MemoryProvider::makeSnapshot(r, true).value, 1.0);

    r.totalBytes = 0;
    EXPECT_EQ(MemoryProvider::makeSnapshot(r, true).label, "0%");
}

TEST(MemoryProvider, SixSeriesInGibibytesAndExtras)
{
    const StatSnapshot s = MemoryProvider::makeSnapshot(reading(), false);
    ASSERT_EQ(s.breakdown.size(), 6);
    const QList<Series> expected{
        {"app", "App", 4, std::nullopt},         {"wired", "Wired", 2, std::nullopt},
        {"compressed", "Compressed", 1, std::nullopt}, {"cached", "Cached", 5, std::nullopt},
        {"swap", "Swap", 0.25, std::nullopt},    {"total", "Total", 16, std::nullopt},
    };
    EXPECT_EQ(s.breakdown, expected);
    const MemoryExtras* extras = s.extra<MemoryExtras>("memory.snapshot");
    ASSERT_NE(extras, nullptr);
    const MemoryReading r = reading();
    EXPECT_EQ(*extras, (MemoryExtras{r.appBytes, r.wiredBytes, r.compressedBytes, r.cachedBytes, r.usedBytes,
                                     r.swapUsedBytes, r.totalBytes, r.pressure, 61.5}));
}

TEST(MemoryProvider, ConfigViewExplainsTheDonut)
{
    QTemporaryDir dir;
    MemoryProvider p(std::make_unique<MemorySampler>(SysRoot(dir.path())));
    std::unique_ptr<QWidget> view(StatProviderViews::configView(p, {}, nullptr));
    auto* body = qobject_cast<MemoryConfigBody*>(view.get());
    ASSERT_NE(body, nullptr);
    auto* title = body->findChild<QLabel*>("title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Memory donut");
    EXPECT_GE(title->font().weight(), QFont::DemiBold);
    auto* source = body->findChild<QLabel*>("source");
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->text().contains(MemoryConfigBody::sourceUrl()));
    EXPECT_TRUE(source->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(body->findChild<QLabel*>("centre")->text().startsWith("The centre % is the share of Total"));
    body->resize(360, 300);
    body->grab().save(QStringLiteral(GAUGELET_BINARY_DIR "/MemoryConfigBody.png"));
}
