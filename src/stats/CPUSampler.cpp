#include "stats/CPUSampler.h"

#include <qcoro/qcorofuture.h>

namespace gaugelet {

CPUSampler::State::State(SysRoot root, const CPUTopology& topology)
    : m_reader(std::move(root)), m_topology(topology)
{
}

CPUSample CPUSampler::State::smoothed() const
{
    if (m_ring.isEmpty()) {
        CPUSample none;
        none.isFirstReading = true;
        return none;
    }
    return m_ring.newestWithMeans(&CPUSample::user, &CPUSample::system, &CPUSample::idle);
}

namespace {

// The counters are 64-bit and never go back on a healthy kernel; a counter
// that does (a hot-unplugged and re-plugged processor, a virtual machine
// restored from a snapshot) counts 0 for the interval, never a wrapped value.
inline double delta(uint64_t now, uint64_t before) { return now >= before ? double(now - before) : 0.0; }

bool sameProcessors(const std::vector<CpuTicks>& a, const std::vector<CpuTicks>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].cpuId != b[i].cpuId)
            return false;
    }
    return true;
}

} // namespace

CPUSample CPUSampler::State::sample()
{
    if (!m_reader.read(m_current))
        return smoothed();

    // First reading, or the set of processors changed (hot-plug): start over.
    if (m_previous.empty() || !sameProcessors(m_previous, m_current)) {
        m_previous.swap(m_current);
        CPUSample none;
        none.isFirstReading = true;
        return none;
    }

    double userTotal = 0, systemTotal = 0, idleTotal = 0, niceTotal = 0;
    CPUSample sample;
    sample.perCore.reserve(qsizetype(m_current.size()));
    for (size_t i = 0; i < m_current.size(); ++i) {
        const CpuTicks& now = m_current[i];
        const CpuTicks& before = m_previous[i];
        const double du = delta(now.user, before.user);
        const double ds = delta(now.system, before.system);
        const double di = delta(now.idle, before.idle);
        const double dn = delta(now.nice, before.nice);
        userTotal += du;
        systemTotal += ds;
        idleTotal += di;
        niceTotal += dn;
        const double total = du + ds + di + dn;
        const double value = total < 1 ? 0.0 : (du + ds + dn) / total;
        sample.perCore.append(CPUCoreSample{value, m_topology.kind(now.cpuId)});
    }

    const double total = userTotal + systemTotal + idleTotal + niceTotal;
    if (total < 1) {
        m_previous.swap(m_current);
        return smoothed();
    }
    sample.user = (userTotal + niceTotal) / total * 100.0;
    sample.system = systemTotal / total * 100.0;
    sample.idle = idleTotal / total * 100.0;

    m_ring.append(std::move(sample));
    m_previous.swap(m_current);
    return smoothed();
}

CPUSampler::CPUSampler() : CPUSampler(SysRoot::system(), CPUTopology::shared()) {}

CPUSampler::CPUSampler(SysRoot root, const CPUTopology& topology) : m_state(std::move(root), topology) {}

QCoro::Task<CPUSample> CPUSampler::sample()
{
    co_return co_await m_executor.run([this] { return m_state.sample(); });
}

} // namespace gaugelet
