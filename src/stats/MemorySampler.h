#pragma once

#include "platform/core/SerialExecutor.h"
#include "platform/kernel/MemInfoReader.h"
#include "platform/kernel/PressureReader.h"
#include "stats/MemoryReading.h"
#include "stats/MovingAverage.h"

#include <QList>
#include <qcoro/qcorotask.h>

namespace gaugelet {

// The memory statistic's actor: one memory reading per call, with the used
// percentage smoothed over the last five calls.
class MemorySampler {
public:
    // The actor's isolated state, touched only on the sampler's executor.
    class State {
    public:
        explicit State(SysRoot root);
        MemoryReading sample();

        static constexpr int ringCapacity = 5;

    private:
        MemInfoReader m_reader;
        KernelFile m_pressure;
        std::string m_pressureBuffer;
        MovingAverage<double, ringCapacity> m_usedRing;
    };

    MemorySampler();
    explicit MemorySampler(SysRoot root);

    QCoro::Task<MemoryReading> sample();

    // One raw reading from the given statistics and pressure (nothing = the
    // statistics could not be read).
    static MemoryReading read(const std::optional<VmStatistics>& stats, const std::optional<PressureAverages>& pressure);
    // critical when full avg10 >= 10, warning when some avg10 >= 10, else
    // normal; normal when pressure information is missing.
    static MemoryPressureLevel pressureLevel(const std::optional<PressureAverages>& pressure);

    static constexpr double pressureThreshold = 10.0;

private:
    State m_state;
    SerialExecutor m_executor{QStringLiteral("dev.gaugelet.sampler.memory")};
};

} // namespace gaugelet
