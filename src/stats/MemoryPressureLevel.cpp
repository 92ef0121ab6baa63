#include "stats/MemoryPressureLevel.h"

#include "platform/core/RawValueTable.h"

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<MemoryPressureLevel>({{MemoryPressureLevel::normal, u"normal"},
                                                               {MemoryPressureLevel::warning, u"warning"},
                                                               {MemoryPressureLevel::critical, u"critical"}},
                                                              MemoryPressureLevel::normal);
} // namespace

QString rawValue(MemoryPressureLevel level)
{
    return names.rawValue(level);
}

std::optional<MemoryPressureLevel> memoryPressureLevelFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

} // namespace gaugelet
