#include "stats/MemoryPressureLevel.h"

namespace gaugelet {

QString rawValue(MemoryPressureLevel level)
{
    switch (level) {
    case MemoryPressureLevel::warning:
        return QStringLiteral("warning");
    case MemoryPressureLevel::critical:
        return QStringLiteral("critical");
    case MemoryPressureLevel::normal:
        break;
    }
    return QStringLiteral("normal");
}

std::optional<MemoryPressureLevel> memoryPressureLevelFromRaw(QStringView raw)
{
    if (raw == u"normal")
        return MemoryPressureLevel::normal;
    if (raw == u"warning")
        return MemoryPressureLevel::warning;
    if (raw == u"critical")
        return MemoryPressureLevel::critical;
    return std::nullopt;
}

} // namespace gaugelet
