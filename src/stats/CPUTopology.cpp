#include "stats/CPUTopology.h"

#include "platform/kernel/CpuKindReader.h"

namespace gaugelet {

CPUTopology CPUTopology::fromEfficiencyMap(const QMap<int, bool>& efficiencyByCpu)
{
    CPUTopology t;
    for (auto it = efficiencyByCpu.cbegin(); it != efficiencyByCpu.cend(); ++it) {
        // Ids come from the kernel's small dense numbering; a wild id from a
        // damaged file must not make a huge table.
        if (it.key() < 0 || it.key() > 65535)
            continue;
        if (size_t(it.key()) >= t.kinds.size())
            t.kinds.resize(size_t(it.key()) + 1, CPUCoreKind::performance);
        t.kinds[size_t(it.key())] = it.value() ? CPUCoreKind::efficiency : CPUCoreKind::performance;
    }
    return t;
}

CPUTopology CPUTopology::read(const SysRoot& root)
{
    return fromEfficiencyMap(CpuKindReader::efficiencyByCpu(root));
}

const CPUTopology& CPUTopology::shared()
{
    static const CPUTopology topology = read(SysRoot::system());
    return topology;
}

} // namespace gaugelet
