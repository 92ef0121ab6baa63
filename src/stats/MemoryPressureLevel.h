#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

// The kernel's verdict on memory pressure.
enum class MemoryPressureLevel { normal, warning, critical };

constexpr auto rawValueTable(MemoryPressureLevel)
{
    using enum MemoryPressureLevel;
    return makeRawValueTable<MemoryPressureLevel>({{normal, u"normal"}, {warning, u"warning"}, {critical, u"critical"}},
                                                  normal);
}
inline std::optional<MemoryPressureLevel> memoryPressureLevelFromRaw(QStringView raw)
{
    return enumFromRaw<MemoryPressureLevel>(raw);
}

} // namespace gaugelet
