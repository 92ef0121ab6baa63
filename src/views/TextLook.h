#pragma once

#include "platform/style/DesignStyle.h"

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace gaugelet {

// The few variations of the design's text styles the views draw with: a
// style in another weight (names, titles), and a style's size in the system's
// fixed-pitch face (identifiers). Labels made here are TextLabel's: plain
// text in a design colour.
class TextLook {
public:
    static QFont weighted(DesignStyle::TextStyle style, QFont::Weight weight);
    static QFont monospaced(DesignStyle::TextStyle style);

    // A label of the style in the weight.
    static QLabel* weightedLabel(const QString& text, DesignStyle::TextStyle style, QFont::Weight weight,
                                 DesignStyle::Colour colour, QWidget* parent);
    // An identifier under or beside a name: small, fixed-pitch, tertiary.
    static QLabel* identifier(const QString& id, QWidget* parent);
};

} // namespace gaugelet
