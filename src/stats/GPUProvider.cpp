#include "stats/GPUProvider.h"

#include <QCoreApplication>
#include <cmath>

namespace gaugelet {

GPUProvider::GPUProvider(std::unique_ptr<GPUSampler> sampler)
    : SampledStatProvider(ProviderIds::gpu, QStringLiteral("GPU"), QStringLiteral("GPU"), &Palette::accent3,
                          std::move(sampler), &GPUProvider::makeSnapshot)
{
}

StatSnapshot GPUProvider::makeSnapshot(const GPUSample& m)
{
    return snapshotNow(m.utilization / 100.0, percentLabel(m.utilization),
                       {
                           Series{QStringLiteral("device"), QCoreApplication::translate("GPUProvider", "Device"),
                                  m.device, std::nullopt},
                           Series{QStringLiteral("renderer"), QCoreApplication::translate("GPUProvider", "Renderer"),
                                  m.renderer, std::nullopt},
                       });
}

} // namespace gaugelet
