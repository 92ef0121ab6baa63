#include "stats/StatLabelPosition.h"

#include "platform/core/Defaults.h"
#include "platform/core/RawValueTable.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<StatLabelPosition>(
    {{StatLabelPosition::trailing, u"trailing"}, {StatLabelPosition::adjacent, u"adjacent"}},
    StatLabelPosition::trailing);
} // namespace

QString rawValue(StatLabelPosition position)
{
    return names.rawValue(position);
}

std::optional<StatLabelPosition> statLabelPositionFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

QList<StatLabelPosition> allStatLabelPositions()
{
    return names.values();
}

StatLabelPosition storedStatLabelPosition(const Defaults& defaults)
{
    return names.fromRawOr(defaults.string(SettingsSchema::statLabelPosition), StatLabelPosition::trailing);
}

} // namespace gaugelet
