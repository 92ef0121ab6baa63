#pragma once

#include "platform/core/RawValueTable.h"

#include <QHashFunctions>

namespace gaugelet {

// Whether a pin's label runs across (one line) or down (letters stacked).
// Stored by the case names.
enum class TagOrientation { horizontal, vertical };

constexpr auto rawValueTable(TagOrientation)
{
    return makeRawValueTable<TagOrientation>(
        {{TagOrientation::horizontal, u"horizontal"}, {TagOrientation::vertical, u"vertical"}},
        TagOrientation::horizontal);
}
inline constexpr auto tagOrientationFromRaw = enumFromRaw<TagOrientation>;

inline size_t qHash(TagOrientation orientation, size_t seed = 0)
{
    return QT_PREPEND_NAMESPACE(qHash)(static_cast<int>(orientation), seed);
}

} // namespace gaugelet
