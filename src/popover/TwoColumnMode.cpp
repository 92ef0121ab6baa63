#include "popover/TwoColumnMode.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

QString rawValue(TwoColumnMode mode)
{
    switch (mode) {
    case TwoColumnMode::automatic: return QStringLiteral("auto");
    case TwoColumnMode::alwaysOne: return QStringLiteral("alwaysOne");
    case TwoColumnMode::alwaysTwo: return QStringLiteral("alwaysTwo");
    }
    return QStringLiteral("auto");
}

std::optional<TwoColumnMode> twoColumnModeFromRaw(QStringView raw)
{
    for (TwoColumnMode mode : allTwoColumnModes()) {
        if (raw == rawValue(mode))
            return mode;
    }
    return std::nullopt;
}

QList<TwoColumnMode> allTwoColumnModes()
{
    return {TwoColumnMode::automatic, TwoColumnMode::alwaysOne, TwoColumnMode::alwaysTwo};
}

TwoColumnMode storedTwoColumnMode(const Defaults& defaults)
{
    const std::optional<QString> raw = defaults.string(SettingsSchema::popupTwoColumn);
    return raw ? twoColumnModeFromRaw(*raw).value_or(TwoColumnMode::automatic) : TwoColumnMode::automatic;
}

} // namespace gaugelet
