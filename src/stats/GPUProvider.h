#pragma once

#include "stats/GPUSample.h"
#include "stats/GPUSampler.h"
#include "stats/StatProvider.h"

#include <memory>

namespace gaugelet {

// The GPU statistic, "gpu.total": the larger of device and renderer
// utilisation over every accelerator, smoothed over five seconds.
class GPUProvider final : public StatProvider {
public:
    GPUProvider();
    explicit GPUProvider(std::unique_ptr<GPUSampler> sampler);

    QString id() const override { return m_id; }
    QString displayName() const override { return m_displayName; }
    QString shortName() const override { return m_shortName; }
    double refreshInterval() const override { return m_refreshInterval; }
    QColor accentColor(const Palette& palette) const override;
    QCoro::Task<StatSnapshot> sample() override;

    static StatSnapshot makeSnapshot(const GPUSample& mean);

private:
    const QString m_id = ProviderIds::gpu;
    const QString m_displayName = QStringLiteral("GPU");
    const QString m_shortName = QStringLiteral("GPU");
    const double m_refreshInterval = 1.0;
    std::unique_ptr<GPUSampler> m_sampler;
};

} // namespace gaugelet
