#pragma once

#include "stats/NetworkSample.h"
#include "stats/NetworkSampler.h"
#include "stats/SampledStatProvider.h"

#include <memory>

namespace gaugelet {

// The network statistic, "net.total": the primary interface's combined
// upload and download rate against a soft cap, with its interface and
// addresses in the extras.
class NetworkProvider final : public SampledStatProvider<NetworkSampler, NetworkSample> {
public:
    explicit NetworkProvider(std::unique_ptr<NetworkSampler> sampler = std::make_unique<NetworkSampler>());

    double softCapBytesPerSec() const { return defaultSoftCapBytesPerSec; }
    QSet<QString> excludedVisualizerIds() const override;
    bool supportsMergedDisplay() const override { return true; }

    // Bytes per second as short text in decimal units: "0 KB/s", "12 KB/s",
    // "1.5 MB/s", "2.00 GB/s".
    static QString rateText(double bytesPerSec);

    static StatSnapshot makeSnapshot(const NetworkSample& sample);

    static constexpr double defaultSoftCapBytesPerSec = 5e7;
};

} // namespace gaugelet
