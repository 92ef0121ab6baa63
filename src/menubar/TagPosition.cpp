#include "menubar/TagPosition.h"

#include "platform/core/RawValueTable.h"

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<TagPosition>(
    {{TagPosition::leading, u"leading"}, {TagPosition::trailing, u"trailing"}, {TagPosition::behind, u"behind"}},
    TagPosition::behind);
} // namespace

QString rawValue(TagPosition position)
{
    return names.rawValue(position);
}

std::optional<TagPosition> tagPositionFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

} // namespace gaugelet
