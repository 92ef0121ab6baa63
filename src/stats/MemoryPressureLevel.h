#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// The kernel's verdict on memory pressure.
enum class MemoryPressureLevel { normal, warning, critical };

QString rawValue(MemoryPressureLevel level);
std::optional<MemoryPressureLevel> memoryPressureLevelFromRaw(QStringView raw);

// Hashable by its raw value.
inline size_t qHash(MemoryPressureLevel level, size_t seed = 0)
{
    const QString raw = rawValue(level);
    return qHashBits(raw.constData(), size_t(raw.size()) * sizeof(QChar), seed);
}

} // namespace gaugelet
