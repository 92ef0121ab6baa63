#pragma once

#include "stats/MemoryReading.h"
#include "stats/MemorySampler.h"
#include "stats/SampledStatProvider.h"

#include <memory>

namespace gaugelet {

// The memory statistic, "memory.total": the share of installed memory held by
// app, wired and compressed memory (and cached memory when the user asks).
class MemoryProvider final : public SampledStatProvider<MemorySampler, MemoryReading> {
public:
    explicit MemoryProvider(std::unique_ptr<MemorySampler> sampler = std::make_unique<MemorySampler>());

    // The snapshot for one reading, with the cached-memory setting given.
    static StatSnapshot makeSnapshot(const MemoryReading& reading, bool showCached);

private:
    // The snapshot with the cached-memory setting as stored now.
    static StatSnapshot makeCurrentSnapshot(const MemoryReading& reading);
};

} // namespace gaugelet
