#pragma once

#include "stats/NetworkSample.h"
#include "stats/NetworkSampler.h"
#include "stats/StatProvider.h"

#include <memory>

namespace gaugelet {

// The network statistic, "net.total": the primary interface's combined
// upload and download rate against a soft cap, with its interface and
// addresses in the extras.
class NetworkProvider final : public StatProvider {
public:
    NetworkProvider();
    explicit NetworkProvider(std::unique_ptr<NetworkSampler> sampler);

    QString id() const override { return m_id; }
    QString displayName() const override { return m_displayName; }
    QString shortName() const override { return m_shortName; }
    double refreshInterval() const override { return m_refreshInterval; }
    double softCapBytesPerSec() const { return m_softCapBytesPerSec; }
    QColor accentColor(const Palette& palette) const override;
    QSet<QString> excludedVisualizerIds() const override;
    bool supportsMergedDisplay() const override { return true; }
    QCoro::Task<StatSnapshot> sample() override;

    // Bytes per second as short text in decimal units: "0 KB/s", "12 KB/s",
    // "1.5 MB/s", "2.00 GB/s".
    static QString rateText(double bytesPerSec);

    static StatSnapshot makeSnapshot(const NetworkSample& sample);

    static constexpr double defaultSoftCapBytesPerSec = 5e7;

private:
    const QString m_id = ProviderIds::network;
    const QString m_displayName = QStringLiteral("Network");
    const QString m_shortName = QStringLiteral("NET");
    const double m_refreshInterval = 1.0;
    const double m_softCapBytesPerSec = defaultSoftCapBytesPerSec;
    std::unique_ptr<NetworkSampler> m_sampler;
};

} // namespace gaugelet
