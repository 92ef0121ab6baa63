#include "stats/GPUProvider.h"

#include "platform/core/WallClock.h"
#include "stats/Palette.h"

#include <QCoreApplication>
#include <cmath>

namespace gaugelet {

GPUProvider::GPUProvider() : GPUProvider(std::make_unique<GPUSampler>()) {}

GPUProvider::GPUProvider(std::unique_ptr<GPUSampler> sampler) : m_sampler(std::move(sampler)) {}

QColor GPUProvider::accentColor(const Palette& palette) const
{
    return palette.accent3;
}

StatSnapshot GPUProvider::makeSnapshot(const GPUSample& m)
{
    StatSnapshot snapshot;
    snapshot.value = m.utilization / 100.0;
    snapshot.label = QString::number(qint64(std::round(m.utilization))) + QLatin1Char('%');
    snapshot.breakdown = {
        Series{QStringLiteral("device"), QCoreApplication::translate("GPUProvider", "Device"), m.device, std::nullopt},
        Series{QStringLiteral("renderer"), QCoreApplication::translate("GPUProvider", "Renderer"), m.renderer,
               std::nullopt},
    };
    snapshot.asOf = WallClock::now();
    return snapshot;
}

QCoro::Task<StatSnapshot> GPUProvider::sample()
{
    const GPUSample m = co_await m_sampler->sample();
    co_return makeSnapshot(m);
}

} // namespace gaugelet
