#include "views/TextLook.h"

#include "views/TextLabel.h"

#include <QFontDatabase>
#include <QLabel>

namespace gaugelet {

QFont TextLook::weighted(DesignStyle::TextStyle style, QFont::Weight weight)
{
    QFont font = DesignStyle::font(style);
    font.setWeight(weight);
    return font;
}

QFont TextLook::monospaced(DesignStyle::TextStyle style)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(DesignStyle::font(style).pointSizeF());
    return font;
}

QLabel* TextLook::weightedLabel(const QString& text, DesignStyle::TextStyle style, QFont::Weight weight,
                                DesignStyle::Colour colour, QWidget* parent)
{
    QLabel* label = TextLabel::make(text, style, colour, parent);
    label->setFont(weighted(style, weight));
    return label;
}

QLabel* TextLook::identifier(const QString& id, QWidget* parent)
{
    QLabel* label = TextLabel::make(id, DesignStyle::TextStyle::caption2, DesignStyle::Colour::tertiary, parent);
    label->setFont(monospaced(DesignStyle::TextStyle::caption2));
    return label;
}

} // namespace gaugelet
