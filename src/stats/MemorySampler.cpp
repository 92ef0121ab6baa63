#include "stats/MemorySampler.h"

#include <algorithm>
#include <qcoro/qcorofuture.h>

namespace gaugelet {

MemoryPressureLevel MemorySampler::pressureLevel(const std::optional<PressureAverages>& pressure)
{
    if (!pressure)
        return MemoryPressureLevel::normal;
    if (pressure->fullAvg10 >= pressureThreshold)
        return MemoryPressureLevel::critical;
    if (pressure->someAvg10 >= pressureThreshold)
        return MemoryPressureLevel::warning;
    return MemoryPressureLevel::normal;
}

MemoryReading MemorySampler::read(const std::optional<VmStatistics>& stats,
                                  const std::optional<PressureAverages>& pressure)
{
    MemoryReading r;
    if (!stats || stats->totalBytes == 0) {
        r.totalBytes = stats ? stats->totalBytes : 0;
        return r;
    }
    const VmStatistics& s = *stats;
    r.totalBytes = s.totalBytes;
    // Linux keeps no pool of pages an app marked discardable, so nothing is
    // taken off app memory or added to the cached files for one.
    r.appBytes = s.internalBytes;
    r.wiredBytes = s.wiredBytes;
    r.compressedBytes = s.compressedBytes;
    r.cachedBytes = s.externalBytes;
    // Sum without wrapping: a damaged file could hold huge values.
    const uint64_t reclaimable = UINT64_MAX - s.freeBytes < s.externalBytes ? UINT64_MAX : s.freeBytes + s.externalBytes;
    r.usedBytes = s.totalBytes > reclaimable ? s.totalBytes - reclaimable : 0;
    r.usedPercent = std::clamp(double(r.usedBytes) / double(s.totalBytes) * 100.0, 0.0, 100.0);
    r.swapUsedBytes = s.swapUsedBytes;
    r.pressure = pressureLevel(pressure);
    return r;
}

MemorySampler::State::State(SysRoot root) : m_reader(root), m_pressure(root, "proc/pressure/memory") {}

MemoryReading MemorySampler::State::sample()
{
    const std::optional<VmStatistics> stats = m_reader.read();
    // Pressure is not read when the statistics are missing.
    MemoryReading r = !stats || stats->totalBytes == 0
        ? read(stats, std::nullopt)
        : read(stats, PressureReader::read(m_pressure, m_pressureBuffer));
    m_usedRing.append(r.usedPercent);
    r.usedPercent = m_usedRing.mean();
    return r;
}

MemorySampler::MemorySampler() : MemorySampler(SysRoot::system()) {}

MemorySampler::MemorySampler(SysRoot root) : m_state(std::move(root)) {}

QCoro::Task<MemoryReading> MemorySampler::sample()
{
    co_return co_await m_executor.run([this] { return m_state.sample(); });
}

} // namespace gaugelet
