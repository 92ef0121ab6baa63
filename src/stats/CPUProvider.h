#pragma once

#include "stats/CPUSample.h"
#include "stats/CPUSampler.h"
#include "stats/StatProvider.h"

#include <memory>

namespace gaugelet {

// The CPU statistic, "cpu.total": total busy share of all processors with its
// user, system and idle parts and one busy fraction per processor.
class CPUProvider final : public StatProvider {
public:
    CPUProvider();
    explicit CPUProvider(std::unique_ptr<CPUSampler> sampler);

    QString id() const override { return m_id; }
    QString displayName() const override { return m_displayName; }
    QString shortName() const override { return m_shortName; }
    double refreshInterval() const override { return m_refreshInterval; }
    QColor accentColor(const Palette& palette) const override;
    QCoro::Task<StatSnapshot> sample() override;

    // The snapshot for one smoothed sample (asOf now).
    static StatSnapshot makeSnapshot(const CPUSample& sample);

private:
    const QString m_id = ProviderIds::cpu;
    const QString m_displayName = QStringLiteral("CPU");
    const QString m_shortName = QStringLiteral("CPU");
    const double m_refreshInterval = 1.0;
    std::unique_ptr<CPUSampler> m_sampler;
};

} // namespace gaugelet
