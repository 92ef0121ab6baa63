#pragma once

#include "stats/GPUSample.h"
#include "stats/GPUSampler.h"
#include "stats/SampledStatProvider.h"

#include <memory>

namespace gaugelet {

// The GPU statistic, "gpu.total": the larger of device and renderer
// utilisation over every accelerator, smoothed over five seconds.
class GPUProvider final : public SampledStatProvider<GPUSampler, GPUSample> {
public:
    explicit GPUProvider(std::unique_ptr<GPUSampler> sampler = std::make_unique<GPUSampler>());

    static StatSnapshot makeSnapshot(const GPUSample& mean);
};

} // namespace gaugelet
