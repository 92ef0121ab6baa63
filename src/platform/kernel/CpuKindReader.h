#pragma once

#include "platform/kernel/SysRoot.h"

#include <QMap>

namespace gaugelet {

// Which processors are efficiency cores, per CPU id. The first source that
// applies wins:
// 1. the Intel hybrid PMU folders bus/event_source/devices/{cpu_core,cpu_atom,
//    cpu_lowpower}/cpus (cpu_core performance, the other two efficiency);
// 2. cpu_capacity: a processor below 0.85 of the largest capacity is an
//    efficiency core;
// 3. cpufreq/cpuinfo_max_freq, same rule;
// 4. none: the map is empty and every processor counts as performance.
class CpuKindReader {
public:
    // CPU id -> true for an efficiency core, false for a performance core.
    static QMap<int, bool> efficiencyByCpu(const SysRoot& root);

    // "0-3,8,10-11" -> {0,1,2,3,8,10,11}; an invalid list gives nothing.
    static QList<int> parseCpuList(QStringView text);

    static constexpr double efficiencyThreshold = 0.85;
};

} // namespace gaugelet
