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
    if (m_ring.isEmpty())
        return GPUSample{};
    return m_ring.newestWithMeans(&GPUSample::utilization, &GPUSample::device, &GPUSample::renderer);
}

GPUSample GPUSampler::State::sample()
{
    const GPUSample fresh = readAccelerators(m_reader);
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
