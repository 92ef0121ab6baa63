#pragma once

#include "platform/style/DesignStyle.h"

#include <QString>

class QLabel;
class QWidget;

namespace gaugelet {

// The label looks of the views: a design text style in a design colour, the
// text always plain (data never reaches a label as markup). Secondary and
// tertiary colours come from DesignStyle, which keeps them readable (3:1) on
// every text background, light and dark.
class TextLabel {
public:
    static QLabel* make(const QString& text, DesignStyle::TextStyle style,
                        DesignStyle::Colour colour = DesignStyle::Colour::primary, QWidget* parent = nullptr);
    // A caption: caption font, secondary colour, wrapping. Markdown (the
    // program's own texts only) turns **bold** runs bold.
    static QLabel* caption(const QString& text, QWidget* parent = nullptr, bool markdown = false);
    // Gives a label (or any widget's text) a design colour, resolved against
    // its parent's palette.
    static void setColour(QWidget* label, DesignStyle::Colour colour);
    // Gives a label an explicit colour (a status colour made readable by the caller).
    static void setColour(QWidget* label, const QColor& colour);
};

} // namespace gaugelet
