#include "platform/kernel/GpuReader.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

void makeCard(const QTemporaryDir& dir, const QString& card, const QString& driver, const char* runtimeStatus = "active")
{
    const QString device = dir.filePath(QStringLiteral("sys/class/drm/%1/device").arg(card));
    QDir().mkpath(device);
    // A dangling link is enough: only its target's name matters.
    QFile::link(QStringLiteral("../../../bus/pci/drivers/") + driver, device + QStringLiteral("/driver"));
    test::writeFile(device + QStringLiteral("/power/runtime_status"), QByteArray(runtimeStatus) + "\n");
}

QByteArray metrics(quint8 format, quint8 content, qsizetype offset, quint16 gfx)
{
    QByteArray blob(128, '\0');
    qToLittleEndian<quint16>(quint16(blob.size()), blob.data());
    blob[2] = char(format);
    blob[3] = char(content);
    qToLittleEndian<quint16>(gfx, blob.data() + offset);
    return blob;
}

// The leading fields of the driver's gpu_metrics records as its C header
// declares them; the compiler, not a hand count, places average_gfx_activity.
struct MetricsHeader {
    uint16_t structureSize;
    uint8_t formatRevision;
    uint8_t contentRevision;
};
struct MetricsV1_0 {
    MetricsHeader header;
    uint64_t systemClockCounter;
    uint16_t temperature[6];
    uint16_t averageGfxActivity;
};
struct MetricsV1_1 {
    MetricsHeader header;
    uint16_t temperature[6];
    uint16_t averageGfxActivity;
};
struct MetricsV2_0 {
    MetricsHeader header;
    uint64_t systemClockCounter;
    uint16_t temperatureGfx;
    uint16_t temperatureSoc;
    uint16_t temperatureCore[8];
    uint16_t temperatureL3[2];
    uint16_t averageGfxActivity;
};
struct MetricsV2_1 {
    MetricsHeader header;
    uint16_t temperatureGfx;
    uint16_t temperatureSoc;
    uint16_t temperatureCore[8];
    uint16_t temperatureL3[2];
    uint16_t averageGfxActivity;
};

// A blob laid out like the record R, every temperature a plausible
// centi-degree figure, and the given gfx activity.
template <typename R>
QByteArray metricsRecord(quint8 format, quint8 content, quint16 gfx)
{
    QByteArray blob(128, '\0');
    for (qsizetype at = 4; at + 1 < blob.size(); at += 2)
        qToLittleEndian<quint16>(4500, blob.data() + at);
    qToLittleEndian<quint16>(quint16(sizeof(R)), blob.data());
    blob[2] = char(format);
    blob[3] = char(content);
    qToLittleEndian<quint16>(gfx, blob.data() + offsetof(R, averageGfxActivity));
    return blob;
}

} // namespace

TEST(GpuReader, AmdgpuBusyPercentIsDeviceAndGfxActivityIsRenderer)
{
    QTemporaryDir dir;
    makeCard(dir, "card0", "amdgpu");
    test::writeFile(dir.filePath("sys/class/drm/card0/device/gpu_busy_percent"), "30\n");
    test::writeFile(dir.filePath("sys/class/drm/card0/device/gpu_metrics"), metrics(1, 1, 16, 55));
    QDir().mkpath(dir.filePath("sys/class/drm/card0-DP-1")); // a connector, not a card
    GpuReader reader{SysRoot(dir.path())};
    const auto r = reader.read();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], (GpuUtilization{30, 55}));
}

TEST(GpuReader, AmdgpuCardContributesOnlyTheFigureItHas)
{
    QTemporaryDir dir;
    makeCard(dir, "card0", "amdgpu"); // busy percent, no usable metrics
    test::writeFile(dir.filePath("sys/class/drm/card0/device/gpu_busy_percent"), "30\n");
    test::writeFile(dir.filePath("sys/class/drm/card0/device/gpu_metrics"), "short");
    makeCard(dir, "card1", "amdgpu"); // metrics, no busy percent
    test::writeFile(dir.filePath("sys/class/drm/card1/device/gpu_metrics"), metrics(1, 1, 16, 55));
    GpuReader reader{SysRoot(dir.path())};
    auto r = reader.read();
    std::sort(r.begin(), r.end(), [](const GpuUtilization& a, const GpuUtilization& b) { return a.device > b.device; });
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], (GpuUtilization{30, 0}));
    EXPECT_EQ(r[1], (GpuUtilization{0, 55}));
}

TEST(GpuReader, GpuInRuntimeSuspendIsNotRead)
{
    QTemporaryDir dir;
    makeCard(dir, "card0", "amdgpu", "suspended");
    test::writeFile(dir.filePath("sys/class/drm/card0/device/gpu_busy_percent"), "90\n");
    makeCard(dir, "card1", "amdgpu", "active");
    test::writeFile(dir.filePath("sys/class/drm/card1/device/gpu_busy_percent"), "10\n");
    GpuReader reader{SysRoot(dir.path())};
    const auto r = reader.read();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].device, 10);
}

TEST(GpuReader, IntelBusyIsOneMinusResidencyShareOfElapsedTime)
{
    QTemporaryDir dir;
    makeCard(dir, "card0", "i915");
    const QString rc6 = dir.filePath("sys/class/drm/card0/power/rc6_residency_ms");
    test::writeFile(rc6, "100000\n");
    double now = 50.0;
    GpuReader reader{SysRoot(dir.path()), {}, [&] { return now; }};
    auto r = reader.read(); // baseline
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], (GpuUtilization{0, 0}));

    now += 2.0;
    test::writeFile(rc6, "101500\n"); // 1.5 s idle of 2 s
    r = reader.read();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].device, 25.0);
    EXPECT_DOUBLE_EQ(r[0].renderer, 25.0);

    now += 1.0;
    test::writeFile(rc6, "50\n"); // counter reset: no figure, never negative idle
    r = reader.read();
    EXPECT_EQ(r[0], (GpuUtilization{0, 0}));
}

TEST(GpuReader, IntelCardWakingFromRuntimeSuspendStartsANewBaseline)
{
    QTemporaryDir dir;
    makeCard(dir, "card0", "i915");
    const QString status = dir.filePath("sys/class/drm/card0/device/power/runtime_status");
    const QString rc6 = dir.filePath("sys/class/drm/card0/power/rc6_residency_ms");
    test::writeFile(rc6, "100000\n");
    double now = 50.0;
    GpuReader reader{SysRoot(dir.path()), {}, [&] { return now; }};
    (void)reader.read(); // baseline

    // Asleep for a minute: not read, and its residency stands still.
    test::writeFile(status, "suspended\n");
    now += 60.0;
    EXPECT_TRUE(reader.read().empty());

    // Awake and idle: the first reading is a new baseline, not 98 % busy.
    test::writeFile(status, "active\n");
    now += 1.0;
    test::writeFile(rc6, "101000\n");
    auto r = reader.read();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], (GpuUtilization{0, 0}));

    now += 1.0;
    test::writeFile(rc6, "101900\n"); // 0.9 s idle of 1 s
    r = reader.read();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(r[0].device, 10.0, 1e-9);
}

TEST(GpuReader, XeIdleResidencyIsUsedWhenRc6IsAbsent)
{
    QTemporaryDir dir;
    makeCard(dir, "card1", "xe");
    const QString idle = dir.filePath("sys/class/drm/card1/device/tile0/gt0/gtidle/idle_residency_ms");
    test::writeFile(idle, "0\n");
    double now = 10.0;
    GpuReader reader{SysRoot(dir.path()), {}, [&] { return now; }};
    (void)reader.read();
    now += 1.0;
    test::writeFile(idle, "0\n");
    const auto r = reader.read();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].device, 100.0);
}

TEST(GpuReader, NvmlIsAskedOnlyWhileAnNvidiaCardIsAwake)
{
    QTemporaryDir dir;
    makeCard(dir, "card0", "nvidia", "suspended");
    int calls = 0;
    GpuReader reader{SysRoot(dir.path()), [&] {
                         ++calls;
                         return std::optional<std::vector<double>>({40.0, 120.0});
                     }};
    EXPECT_TRUE(reader.read().empty());
    EXPECT_EQ(calls, 0);

    test::writeFile(dir.filePath("sys/class/drm/card0/device/power/runtime_status"), "active\n");
    const auto r = reader.read();
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], (GpuUtilization{40, 40}));
    EXPECT_EQ(r[1], (GpuUtilization{100, 100})); // clamped
}

TEST(GpuReader, NoGpuGivesNothing)
{
    QTemporaryDir dir;
    GpuReader reader{SysRoot(dir.path())};
    EXPECT_TRUE(reader.read().empty());
}

TEST(GpuReader, GpuMetricsLayouts)
{
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metrics(1, 0, 28, 12)), std::optional<double>(12));
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metrics(1, 3, 16, 77)), std::optional<double>(77));
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metrics(2, 0, 40, 5)), std::optional<double>(5));
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metrics(2, 2, 28, 64)), std::optional<double>(64));
    EXPECT_FALSE(GpuReader::gfxActivityFromMetrics(metrics(1, 1, 16, 0xFFFF)));
    EXPECT_FALSE(GpuReader::gfxActivityFromMetrics(metrics(9, 0, 16, 10)));
    EXPECT_FALSE(GpuReader::gfxActivityFromMetrics(QByteArray("\x04\x00\x01\x01", 4)));
}

TEST(GpuReader, GpuMetricsActivityIsReadWhereTheDriverPutsIt)
{
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metricsRecord<MetricsV1_0>(1, 0, 12)), std::optional<double>(12));
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metricsRecord<MetricsV1_1>(1, 1, 33)), std::optional<double>(33));
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metricsRecord<MetricsV2_0>(2, 0, 7)), std::optional<double>(7));
    EXPECT_EQ(GpuReader::gfxActivityFromMetrics(metricsRecord<MetricsV2_1>(2, 1, 64)), std::optional<double>(64));
}
