#pragma once

#include "platform/style/DesignStyle.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QtGlobal>

class QLabel;
class QWidget;

namespace gaugelet {

// Small helpers shared by the settings tabs' forms.
namespace SettingsText {

// A caption: the caption font in the secondary colour, wrapping. The text is
// the program's own; markdown turns **bold** runs bold.
QLabel* caption(const QString& text, QWidget* parent, bool markdown = false);
// The system font at a size the design gives in points for its 13-point
// body, scaled as the named styles are to the application's font.
QFont designFont(qreal designPoints);
// A tooltip that shows text as it is: text that Qt would take for markup is
// escaped inside a rich-text block, anything else is left alone.
QString plainToolTip(const QString& text);
// A label with a text style and colour; data texts stay plain text.
QLabel* label(const QString& text, DesignStyle::TextStyle style, DesignStyle::Colour colour, QWidget* parent);
// The value label of a slider row: monospaced digits, 40 points wide, aligned trailing.
QLabel* sliderValueLabel(QWidget* parent);

// A stored number as the whole number a value label shows: the fraction
// dropped towards zero. A number too large for a 64-bit integer shows as the
// nearer end of [low, high] (the control's range); NaN shows as fallback.
qint64 wholeNumber(double value, double low, double high, double fallback);

// The slider position for a stored value: the value rounded to the nearest
// step of the range and clamped to it (infinities to the nearer end); NaN
// gives fallback.
int sliderPosition(double value, int low, int high, int fallback);

// A system symbol drawn in a colour into a side × side point square at the
// given device pixel ratio.
QImage tintedSymbol(const QString& name, qreal side, const QColor& colour, qreal devicePixelRatio);

// The rounded block (corner radius 6) in the control background colour that
// the label styling editors sit on.
void paintBlockBackground(QWidget* widget);

// Compares two texts by Unicode code point (not by UTF-16 unit, which puts
// U+1D400 before U+FF21).
int compareCodePoints(const QString& a, const QString& b);

} // namespace SettingsText

} // namespace gaugelet
