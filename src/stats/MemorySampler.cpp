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

MemoryReading MemorySampler::read(MemInfoReader& reader, const SysRoot& root)
{
    const std::optional<VmStatistics> stats = reader.read();
    if (!stats || stats->totalBytes == 0)
        return read(stats, std::nullopt); // swap and pressure are not read then
    return read(stats, PressureReader::readMemory(root));
}

MemorySampler::State::State(SysRoot root) : m_root(root), m_reader(std::move(root)) {}

MemoryReading MemorySampler::State::sample()
{
    MemoryReading r = read(m_reader, m_root);
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
