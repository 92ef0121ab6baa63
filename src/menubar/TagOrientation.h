#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

// Whether a pin's label runs across (one line) or down (letters stacked).
// Stored by the case names.
enum class TagOrientation { horizontal, vertical };

constexpr auto rawValueTable(TagOrientation)
{
    using enum TagOrientation;
    return makeRawValueTable<TagOrientation>({{horizontal, u"horizontal"}, {vertical, u"vertical"}}, horizontal);
}
inline std::optional<TagOrientation> tagOrientationFromRaw(QStringView raw)
{
    return enumFromRaw<TagOrientation>(raw);
}

} // namespace gaugelet
