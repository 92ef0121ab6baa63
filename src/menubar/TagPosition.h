#pragma once

#include "platform/core/RawValueTable.h"

#include <QHashFunctions>

namespace gaugelet {

// Where a pin's label stands relative to its tile. Behind means centred on the
// tile and drawn beneath it. Stored by the case names.
enum class TagPosition { leading, trailing, behind };

constexpr auto rawValueTable(TagPosition)
{
    return makeRawValueTable<TagPosition>(
        {{TagPosition::leading, u"leading"}, {TagPosition::trailing, u"trailing"}, {TagPosition::behind, u"behind"}},
        TagPosition::behind);
}
inline constexpr auto tagPositionFromRaw = enumFromRaw<TagPosition>;

inline size_t qHash(TagPosition position, size_t seed = 0)
{
    return QT_PREPEND_NAMESPACE(qHash)(static_cast<int>(position), seed);
}

} // namespace gaugelet
