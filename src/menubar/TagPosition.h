#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// Where a pin's label stands relative to its tile. Behind means centred on the
// tile and drawn beneath it. Stored by the case names.
enum class TagPosition { leading, trailing, behind };

QString rawValue(TagPosition position);
std::optional<TagPosition> tagPositionFromRaw(QStringView raw);

inline size_t qHash(TagPosition position, size_t seed = 0)
{
    return QT_PREPEND_NAMESPACE(qHash)(static_cast<int>(position), seed);
}

} // namespace gaugelet
