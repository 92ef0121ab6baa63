#pragma once

#include "platform/core/SerialExecutor.h"
#include "platform/kernel/ProcStatReader.h"
#include "stats/CPUSample.h"
#include "stats/CPUTopology.h"
#include "stats/MovingAverage.h"

#include <QList>
#include <qcoro/qcorotask.h>
#include <vector>

namespace gaugelet {

// The CPU statistic's actor: it keeps the previous tick counters and the last
// five samples, and answers with their mean (a five-second moving average).
// Reached only through sample(), which runs on its own executor.
class CPUSampler {
public:
    // The actor's isolated state. Touched only on the sampler's executor;
    // tests and benchmarks drive it directly.
    class State {
    public:
        State(SysRoot root, const CPUTopology& topology);
        CPUSample sample();
        CPUSample smoothed() const;

        static constexpr int ringCapacity = 5;

    private:
        ProcStatReader m_reader;
        std::vector<CpuTicks> m_previous;
        std::vector<CpuTicks> m_current;
        MovingAverage<CPUSample, ringCapacity> m_ring;
        const CPUTopology& m_topology;
    };

    // The machine's /proc and the shared topology.
    CPUSampler();
    // A given tree and topology (the topology must outlive the sampler).
    CPUSampler(SysRoot root, const CPUTopology& topology);

    QCoro::Task<CPUSample> sample();

private:
    State m_state;
    SerialExecutor m_executor{QStringLiteral("dev.gaugelet.sampler.cpu")};
};

} // namespace gaugelet
