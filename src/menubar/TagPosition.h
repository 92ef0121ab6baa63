#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

// Where a pin's label stands relative to its tile. Behind means centred on the
// tile and drawn beneath it. Stored by the case names.
enum class TagPosition { leading, trailing, behind };

constexpr auto rawValueTable(TagPosition)
{
    using enum TagPosition;
    return makeRawValueTable<TagPosition>({{leading, u"leading"}, {trailing, u"trailing"}, {behind, u"behind"}},
                                          behind);
}
inline std::optional<TagPosition> tagPositionFromRaw(QStringView raw)
{
    return enumFromRaw<TagPosition>(raw);
}

} // namespace gaugelet
