#include "charts/PopupFigureLine.h"

#include "charts/PopupDot.h"
#include "views/TextLabel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace gaugelet {

PopupFigureLine::PopupFigureLine(const QString& label, const QString& figure, const QColor& dot, Spacing::Step gap,
                                 QWidget* parent)
    : PaletteStyledWidget(parent), m_dot(new PopupDot(dot, this)), m_label(new QLabel(label, this)),
      m_figure(new QLabel(figure, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(gap));
    m_label->setTextFormat(Qt::PlainText);
    m_figure->setTextFormat(Qt::PlainText);
    layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    layout->addWidget(m_label, 0, Qt::AlignVCenter);
}

QString PopupFigureLine::label() const
{
    return m_label->text();
}

QString PopupFigureLine::figure() const
{
    return m_figure->text();
}

void PopupFigureLine::setFigure(const QString& figure)
{
    if (m_figure->text() != figure)
        m_figure->setText(figure);
}

QHBoxLayout* PopupFigureLine::row() const
{
    return static_cast<QHBoxLayout*>(layout());
}

void PopupFigureLine::styleTexts(const QFont& font, DesignStyle::Colour label, DesignStyle::Colour figure)
{
    m_label->setFont(font);
    m_figure->setFont(DesignStyle::monospacedDigits(font));
    TextLabel::setColour(m_label, DesignStyle::colour(label, palette()));
    TextLabel::setColour(m_figure, DesignStyle::colour(figure, palette()));
}

} // namespace gaugelet
