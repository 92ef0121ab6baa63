#include "stats/GPUSampler.h"

#include <algorithm>
#include <qcoro/qcorofuture.h>

namespace gaugelet {

GPUSample GPUSampler::readAccelerators(GpuReader& reader)
{
    double device = 0, renderer = 0;
    for (const GpuUtilization& u : reader.read()) {
        device = std::max(device, u.device);
        renderer = std::max(renderer, u.renderer);
    }
    return GPUSample{std::max(device, renderer), device, renderer};
}

GPUSampler::State::State(GpuReader reader) : m_reader(std::move(reader)) {}

GPUSample GPUSampler::State::average() const
{
    GPUSample mean;
    if (m_ring.isEmpty())
        return mean;
    for (const GPUSample& s : m_ring) {
        mean.utilization += s.utilization;
        mean.device += s.device;
        mean.renderer += s.renderer;
    }
    const double n = double(m_ring.size());
    mean.utilization /= n;
    mean.device /= n;
    mean.renderer /= n;
    return mean;
}

GPUSample GPUSampler::State::sample()
{
    const GPUSample fresh = readAccelerators(m_reader);
    if (m_ring.size() >= ringCapacity)
        m_ring.removeFirst();
    m_ring.append(fresh);
    return average();
}

GPUSampler::GPUSampler() : GPUSampler(GpuReader(SysRoot::system(), GpuReader::systemNvml())) {}

GPUSampler::GPUSampler(GpuReader reader) : m_state(std::move(reader)) {}

QCoro::Task<GPUSample> GPUSampler::sample()
{
    co_return co_await m_executor.run([this] { return m_state.sample(); });
}

} // namespace gaugelet
