#include "menubar/TagOrientation.h"

#include "platform/core/RawValueTable.h"

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<TagOrientation>(
    {{TagOrientation::horizontal, u"horizontal"}, {TagOrientation::vertical, u"vertical"}}, TagOrientation::horizontal);
} // namespace

QString rawValue(TagOrientation orientation)
{
    return names.rawValue(orientation);
}

std::optional<TagOrientation> tagOrientationFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

} // namespace gaugelet
