#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// Whether a pin's label runs across (one line) or down (letters stacked).
// Stored by the case names.
enum class TagOrientation { horizontal, vertical };

QString rawValue(TagOrientation orientation);
std::optional<TagOrientation> tagOrientationFromRaw(QStringView raw);

inline size_t qHash(TagOrientation orientation, size_t seed = 0)
{
    return QT_PREPEND_NAMESPACE(qHash)(static_cast<int>(orientation), seed);
}

} // namespace gaugelet
