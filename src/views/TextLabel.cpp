#include "views/TextLabel.h"

#include <QLabel>

namespace gaugelet {

QLabel* TextLabel::make(const QString& text, DesignStyle::TextStyle style, DesignStyle::Colour colour,
                        QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(DesignStyle::font(style));
    if (colour != DesignStyle::Colour::primary)
        setColour(label, colour);
    return label;
}

QLabel* TextLabel::caption(const QString& text, QWidget* parent, bool markdown)
{
    auto* label = make(text, DesignStyle::TextStyle::caption, DesignStyle::Colour::secondary, parent);
    label->setWordWrap(true);
    label->setTextFormat(markdown ? Qt::MarkdownText : Qt::PlainText);
    return label;
}

void TextLabel::setColour(QWidget* label, DesignStyle::Colour colour)
{
    QWidget* context = label->parentWidget() ? label->parentWidget() : label;
    setColour(label, DesignStyle::colour(colour, context));
}

void TextLabel::setColour(QWidget* label, const QColor& colour)
{
    QPalette pal = label->palette();
    // Unchanged, the palette is left alone: setting it again would send a
    // palette change that restyles the label for nothing.
    if (pal.color(QPalette::WindowText) == colour && label->testAttribute(Qt::WA_SetPalette))
        return;
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

} // namespace gaugelet
