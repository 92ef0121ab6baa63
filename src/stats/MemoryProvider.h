#pragma once

#include "stats/MemoryReading.h"
#include "stats/MemorySampler.h"
#include "stats/StatProvider.h"

#include <memory>

namespace gaugelet {

// The memory statistic, "memory.total": the share of installed memory held by
// app, wired and compressed memory (and cached memory when the user asks).
class MemoryProvider final : public StatProvider {
public:
    MemoryProvider();
    explicit MemoryProvider(std::unique_ptr<MemorySampler> sampler);

    QString id() const override { return m_id; }
    QString displayName() const override { return m_displayName; }
    QString shortName() const override { return m_shortName; }
    double refreshInterval() const override { return m_refreshInterval; }
    QColor accentColor(const Palette& palette) const override;
    QCoro::Task<StatSnapshot> sample() override;

    // The snapshot for one reading, with the cached-memory setting given.
    static StatSnapshot makeSnapshot(const MemoryReading& reading, bool showCached);

private:
    const QString m_id = ProviderIds::memory;
    const QString m_displayName = QStringLiteral("Memory");
    const QString m_shortName = QStringLiteral("MEM");
    const double m_refreshInterval = 1.0;
    std::unique_ptr<MemorySampler> m_sampler;
};

} // namespace gaugelet
