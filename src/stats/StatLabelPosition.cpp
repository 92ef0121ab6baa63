#include "stats/StatLabelPosition.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

QString rawValue(StatLabelPosition position)
{
    switch (position) {
    case StatLabelPosition::trailing: return QStringLiteral("trailing");
    case StatLabelPosition::adjacent: return QStringLiteral("adjacent");
    }
    return QStringLiteral("trailing");
}

std::optional<StatLabelPosition> statLabelPositionFromRaw(QStringView raw)
{
    for (StatLabelPosition position : allStatLabelPositions()) {
        if (raw == rawValue(position))
            return position;
    }
    return std::nullopt;
}

QList<StatLabelPosition> allStatLabelPositions()
{
    return {StatLabelPosition::trailing, StatLabelPosition::adjacent};
}

StatLabelPosition storedStatLabelPosition(const Defaults& defaults)
{
    const std::optional<QString> raw = defaults.string(SettingsSchema::statLabelPosition);
    return raw ? statLabelPositionFromRaw(*raw).value_or(StatLabelPosition::trailing) : StatLabelPosition::trailing;
}

} // namespace gaugelet
