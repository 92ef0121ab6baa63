#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

class Defaults;

// The popover's column preference under "global.popupTwoColumn".
enum class TwoColumnMode { automatic, alwaysOne, alwaysTwo };

constexpr auto rawValueTable(TwoColumnMode)
{
    using enum TwoColumnMode;
    return makeRawValueTable<TwoColumnMode>(
        {{automatic, u"auto"}, {alwaysOne, u"alwaysOne"}, {alwaysTwo, u"alwaysTwo"}}, automatic);
}
inline std::optional<TwoColumnMode> twoColumnModeFromRaw(QStringView raw)
{
    return enumFromRaw<TwoColumnMode>(raw);
}
// Every case, in the order the settings offer them.
inline constexpr auto allTwoColumnModes = rawValueCases<TwoColumnMode>;
// The stored preference: anything but one of the raw strings reads as automatic.
TwoColumnMode storedTwoColumnMode(const Defaults& defaults);

} // namespace gaugelet
