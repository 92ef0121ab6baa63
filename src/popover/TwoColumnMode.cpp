#include "popover/TwoColumnMode.h"

#include "platform/core/Defaults.h"
#include "platform/core/RawValueTable.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<TwoColumnMode>({{TwoColumnMode::automatic, u"auto"},
                                                         {TwoColumnMode::alwaysOne, u"alwaysOne"},
                                                         {TwoColumnMode::alwaysTwo, u"alwaysTwo"}},
                                                        TwoColumnMode::automatic);
} // namespace

QString rawValue(TwoColumnMode mode)
{
    return names.rawValue(mode);
}

std::optional<TwoColumnMode> twoColumnModeFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

QList<TwoColumnMode> allTwoColumnModes()
{
    return names.values();
}

TwoColumnMode storedTwoColumnMode(const Defaults& defaults)
{
    return names.fromRawOr(defaults.string(SettingsSchema::popupTwoColumn), TwoColumnMode::automatic);
}

} // namespace gaugelet
