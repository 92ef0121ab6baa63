#pragma once

#include "menubar/AnimatedTagSpec.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QStringList>

namespace gaugelet {

// The pictures of the tiles' tag and value labels in the status item: a
// horizontal line of text, or up to three characters stacked, on an optional
// pill or plate, drawn at a backing scale. Pure: nothing but the label and
// the panel's appearance goes in.
struct RunnerLabelImage {
    // A null image when there is nothing to draw.
    static QImage render(const AnimatedTagSpec& label, double scale);
    static QImage horizontal(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale);
    static QImage vertical(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale);
    // The monospaced system font of 8 points in heavy weight: the tag's.
    static QFont font();
    // The value's: the same face, its digits SquareFit::valueDigitHeight tall.
    static QFont valueFont();
    // The rows of a vertical label: the whole text below 4 characters, else
    // its first two and "…".
    static QStringList verticalCharacters(const QString& text);
};

} // namespace gaugelet
