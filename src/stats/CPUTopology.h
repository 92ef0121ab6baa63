#pragma once

#include "platform/kernel/SysRoot.h"
#include "stats/CPUCoreKind.h"

#include <QMap>
#include <vector>

namespace gaugelet {

// The kind of every logical processor, by CPU id. Built once per process on
// first use and shared by every sampler; immutable afterwards.
struct CPUTopology {
    // Index = CPU id; ids beyond the end are performance cores.
    std::vector<CPUCoreKind> kinds;

    CPUCoreKind kind(int cpuId) const
    {
        return cpuId >= 0 && size_t(cpuId) < kinds.size() ? kinds[size_t(cpuId)] : CPUCoreKind::performance;
    }

    // The machine's topology, read once under a one-time guard.
    static const CPUTopology& shared();
    // The topology of the tree under root (tests, benchmarks).
    static CPUTopology read(const SysRoot& root);
    static CPUTopology fromEfficiencyMap(const QMap<int, bool>& efficiencyByCpu);
};

} // namespace gaugelet
