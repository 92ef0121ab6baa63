#pragma once

#include "platform/core/SerialExecutor.h"
#include "platform/kernel/GpuReader.h"
#include "stats/GPUSample.h"
#include "stats/MovingAverage.h"

#include <QList>
#include <qcoro/qcorotask.h>

namespace gaugelet {

// The GPU statistic's actor: one reading of every accelerator per call, the
// mean of the last five returned.
class GPUSampler {
public:
    // The actor's isolated state, touched only on the sampler's executor.
    class State {
    public:
        explicit State(GpuReader reader);
        GPUSample sample();
        GPUSample average() const;

        static constexpr int ringCapacity = 5;

    private:
        GpuReader m_reader;
        MovingAverage<GPUSample, ringCapacity> m_ring;
    };

    GPUSampler();
    explicit GPUSampler(GpuReader reader);

    QCoro::Task<GPUSample> sample();

    // Each figure is the largest over all accelerators; utilisation is the
    // larger of the two maxima. No accelerator: all 0.
    static GPUSample readAccelerators(GpuReader& reader);

private:
    State m_state;
    SerialExecutor m_executor{QStringLiteral("dev.gaugelet.sampler.gpu")};
};

} // namespace gaugelet
