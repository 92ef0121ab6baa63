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
    const std::optional<QString> raw = defaults.string(SettingsSchema::statLabelPosition);
    return raw ? statLabelPositionFromRaw(*raw).value_or(StatLabelPosition::trailing) : StatLabelPosition::trailing;
}

} // namespace gaugelet
