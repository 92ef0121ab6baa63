#pragma once

#include "platform/core/RawValueTable.h"

#include <QHashFunctions>

namespace gaugelet {

// The kernel's verdict on memory pressure.
enum class MemoryPressureLevel { normal, warning, critical };

constexpr auto rawValueTable(MemoryPressureLevel)
{
    return makeRawValueTable<MemoryPressureLevel>({{MemoryPressureLevel::normal, u"normal"},
                                                   {MemoryPressureLevel::warning, u"warning"},
                                                   {MemoryPressureLevel::critical, u"critical"}},
                                                  MemoryPressureLevel::normal);
}
inline constexpr auto memoryPressureLevelFromRaw = enumFromRaw<MemoryPressureLevel>;

// Hashable by its raw value.
inline size_t qHash(MemoryPressureLevel level, size_t seed = 0)
{
    return qHashRawValue(level, seed);
}

} // namespace gaugelet
