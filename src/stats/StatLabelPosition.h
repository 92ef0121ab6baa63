#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

class Defaults;

// Where a provider row's value chip stands, under "global.statLabelPosition".
enum class StatLabelPosition { trailing, adjacent };

constexpr auto rawValueTable(StatLabelPosition)
{
    using enum StatLabelPosition;
    return makeRawValueTable<StatLabelPosition>({{trailing, u"trailing"}, {adjacent, u"adjacent"}}, trailing);
}
inline std::optional<StatLabelPosition> statLabelPositionFromRaw(QStringView raw)
{
    return enumFromRaw<StatLabelPosition>(raw);
}
inline constexpr auto allStatLabelPositions = rawValueCases<StatLabelPosition>;
// The stored position: anything but one of the raw strings reads as trailing.
StatLabelPosition storedStatLabelPosition(const Defaults& defaults);

} // namespace gaugelet
