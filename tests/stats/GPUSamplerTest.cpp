#include "stats/GPUSampler.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
class FakeDrm {
public:
    FakeDrm() : root(dir.path()) {}
    void amdgpu(const QString& card, int busy)
    {
        const QString device = dir.filePath(QStringLiteral("sys/class/drm/%1/device").arg(card));
        QDir().mkpath(device);
        QFile::link(QStringLiteral("../../bus/pci/drivers/amdgpu"), device + QStringLiteral("/driver"));
        test::writeFile(device + QStringLiteral("/gpu_busy_percent"), QByteArray::number(busy));
    }
    // An amdgpu gpu_metrics v1.1 blob carrying the gfx activity (renderer).
    void metrics(const QString& card, quint16 gfx)
    {
        QByteArray blob(64, '\0');
        blob[0] = 64;
        blob[2] = 1;
        blob[3] = 1;
        blob[16] = char(gfx & 0xFF);
        blob[17] = char(gfx >> 8);
        test::writeFile(dir.filePath(QStringLiteral("sys/class/drm/%1/device/gpu_metrics").arg(card)), blob);
    }
    QTemporaryDir dir;
    SysRoot root;
};
} // namespace

TEST(GPUSampler, LargestFigureOverAllAcceleratorsNotASum)
{
    // Device 30 and 70, renderer 50 and 10: device 70, renderer 50, utilisation 70.
    FakeDrm drm;
    drm.amdgpu("card0", 30);
    drm.amdgpu("card1", 70);
    drm.metrics("card0", 50);
    drm.metrics("card1", 10);
    GpuReader reader{drm.root};
    const GPUSample s = GPUSampler::readAccelerators(reader);
    EXPECT_EQ(s, (GPUSample{70, 70, 50}));
}

TEST(GPUSampler, NoAcceleratorReadsZero)
{
    QTemporaryDir dir;
    GpuReader reader{SysRoot(dir.path())};
    EXPECT_EQ(GPUSampler::readAccelerators(reader), GPUSample{});
    GPUSampler::State state{GpuReader(SysRoot(dir.path()))};
    EXPECT_EQ(state.sample(), GPUSample{});
}

TEST(GPUSampler, FirstSampleIsTheRawReadingThenMeanOfLastFive)
{
    FakeDrm drm;
    drm.amdgpu("card0", 10);
    GPUSampler::State state{GpuReader(drm.root)};
    EXPECT_DOUBLE_EQ(state.sample().device, 10);
    const int busy[] = {20, 30, 40, 50, 60};
    const double expected[] = {15, 20, 25, 30, 40};
    for (int i = 0; i < 5; ++i) {
        drm.amdgpu("card0", busy[i]);
        const GPUSample s = state.sample();
        EXPECT_DOUBLE_EQ(s.device, expected[i]) << i;
        EXPECT_DOUBLE_EQ(s.utilization, expected[i]) << i;
    }
}

TEST(GPUSampler, SamplesThroughTheActor)
{
    FakeDrm drm;
    drm.amdgpu("card0", 42);
    GPUSampler sampler{GpuReader(drm.root)};
    std::optional<GPUSample> got = QCoro::waitFor(sampler.sample());
    EXPECT_DOUBLE_EQ(got->device, 42);
}

TEST(GPUSampler, RealMachineWithoutGpuReadsZero)
{
    if (QDir(QStringLiteral("/sys/class/drm")).exists())
        GTEST_SKIP() << "this machine has a DRM device";
    GpuReader reader{SysRoot::system(), GpuReader::systemNvml()};
    EXPECT_EQ(GPUSampler::readAccelerators(reader), GPUSample{});
}
