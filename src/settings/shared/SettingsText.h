#pragma once

#include "platform/style/DesignStyle.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QtGlobal>

class QBoxLayout;
class QPushButton;
class QSlider;
class QWidget;

namespace gaugelet {

// Small helpers shared by the settings tabs' forms.
namespace SettingsText {

// The system font at a size the design gives in points for its 13-point
// body, scaled as the named styles are to the application's font.
QFont designFont(qreal designPoints);

// A stored number as the whole number a value label shows: the fraction
// dropped towards zero. A number too large for a 64-bit integer shows as the
// nearer end of [low, high] (the control's range); NaN shows as fallback.
qint64 wholeNumber(double value, double low, double high, double fallback);
// The stored number rounded to the nearest whole point (as sliderPosition
// places the knob), as a size or offset label shows it: "12pt".
QString pointsText(double value, double low, double high, double fallback);
// A slider position in whole points as its value label shows it: "12pt".
QString wholePoints(int points);

// The slider position for a stored value: the value rounded to the nearest
// step of the range and clamped to it (infinities to the nearer end); NaN
// gives fallback.
int sliderPosition(double value, int low, int high, int fallback);
// A horizontal slider over [low, high] in steps of one, reporting while it is
// dragged; it takes the wheel only with focus.
QSlider* stepSlider(int low, int high, QWidget* parent);
// A button in the callout font at the trailing end of a new row of column.
QPushButton* addTrailingButton(const QString& text, QBoxLayout* column, QWidget* parent);
// Sets a slider's position unless the user is dragging it, without reporting.
void showSliderPosition(QSlider* slider, int position);

// The rounded block (corner radius 6) in the control background colour that
// the label styling editors sit on.
void paintBlockBackground(QWidget* widget);

// Compares two texts by Unicode code point (not by UTF-16 unit, which puts
// U+1D400 before U+FF21).
int compareCodePoints(const QString& a, const QString& b);

} // namespace SettingsText

} // namespace gaugelet
