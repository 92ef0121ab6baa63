#include "charts/PopupLegendItem.h"

#include "charts/PopupDot.h"
#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace gaugelet {

PopupLegendItem::PopupLegendItem(const QString& label, const QColor& tint, const QString& figure, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::xs));
    m_dot = new PopupDot(tint, this);
    m_label = new QLabel(label, this);
    m_label->setTextFormat(Qt::PlainText);
    m_figure = new QLabel(figure, this);
    m_figure->setTextFormat(Qt::PlainText);
    layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    layout->addWidget(m_label, 0, Qt::AlignVCenter);
    layout->addWidget(m_figure, 0, Qt::AlignVCenter);
    applyStyle();
}

void PopupLegendItem::setTint(const QColor& tint)
{
    m_dot->setColour(tint);
}

void PopupLegendItem::setFigure(const QString& figure)
{
    if (m_figure->text() != figure)
        m_figure->setText(figure);
}

QString PopupLegendItem::figure() const
{
    return m_figure->text();
}

QString PopupLegendItem::label() const
{
    return m_label->text();
}

QColor PopupLegendItem::tint() const
{
    return m_dot->colour();
}

void PopupLegendItem::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && !m_styling)
        applyStyle();
    QWidget::changeEvent(event);
}

void PopupLegendItem::applyStyle()
{
    m_styling = true;
    const QFont caption = DesignStyle::font(DesignStyle::TextStyle::caption);
    m_label->setFont(caption);
    m_figure->setFont(DesignStyle::monospacedDigits(caption));
    TextLabel::setColour(m_label, DesignStyle::colour(DesignStyle::Colour::secondary, palette()));
    TextLabel::setColour(m_figure, DesignStyle::colour(DesignStyle::Colour::primary, palette()));
    m_styling = false;
}

} // namespace gaugelet
