#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace gaugelet {

class Defaults;

// The popover's column preference under "global.popupTwoColumn".
enum class TwoColumnMode { automatic, alwaysOne, alwaysTwo };

QString rawValue(TwoColumnMode mode);
std::optional<TwoColumnMode> twoColumnModeFromRaw(QStringView raw);
// Every case, in the order the settings offer them.
QList<TwoColumnMode> allTwoColumnModes();
// The stored preference: anything but one of the raw strings reads as automatic.
TwoColumnMode storedTwoColumnMode(const Defaults& defaults);

} // namespace gaugelet
