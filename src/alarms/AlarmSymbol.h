#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace gaugelet {

// Image scales of the design's symbols in the alarms pane, in points.
namespace AlarmSymbolScale {
constexpr int small = 11;
constexpr int medium = 15;
constexpr int large = 20;
} // namespace AlarmSymbolScale

// A system symbol drawn side × side points in one colour, at the device
// pixel ratio given; an empty pixmap for a symbol the program cannot draw.
QPixmap alarmSymbol(const QString& name, int side, const QColor& colour, qreal devicePixelRatio = 1.0);
// The same as an icon (one pixmap at 1× and one at 2×).
QIcon alarmSymbolIcon(const QString& name, int side, const QColor& colour);

} // namespace gaugelet
