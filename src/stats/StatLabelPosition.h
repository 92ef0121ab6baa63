#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace gaugelet {

class Defaults;

// Where a provider row's value chip stands, under "global.statLabelPosition".
enum class StatLabelPosition { trailing, adjacent };

QString rawValue(StatLabelPosition position);
std::optional<StatLabelPosition> statLabelPositionFromRaw(QStringView raw);
QList<StatLabelPosition> allStatLabelPositions();
// The stored position: anything but one of the raw strings reads as trailing.
StatLabelPosition storedStatLabelPosition(const Defaults& defaults);

} // namespace gaugelet
