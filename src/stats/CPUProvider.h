#pragma once

#include "stats/CPUSample.h"
#include "stats/CPUSampler.h"
#include "stats/SampledStatProvider.h"

#include <memory>

namespace gaugelet {

// The CPU statistic, "cpu.total": total busy share of all processors with its
// user, system and idle parts and one busy fraction per processor.
class CPUProvider final : public SampledStatProvider<CPUSampler, CPUSample> {
public:
    explicit CPUProvider(std::unique_ptr<CPUSampler> sampler = std::make_unique<CPUSampler>());

    // The snapshot for one smoothed sample (asOf now).
    static StatSnapshot makeSnapshot(const CPUSample& sample);
};

} // namespace gaugelet
