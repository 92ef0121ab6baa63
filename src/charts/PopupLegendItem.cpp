#include "charts/PopupLegendItem.h"

#include "charts/PopupDot.h"

#include <QHBoxLayout>
#include <QLabel>

namespace gaugelet {

PopupLegendItem::PopupLegendItem(const QString& label, const QColor& tint, const QString& figure, QWidget* parent)
    : PopupFigureLine(label, figure, tint, Spacing::Step::xs, parent)
{
    row()->addWidget(m_figure, 0, Qt::AlignVCenter);
    restyle();
}

void PopupLegendItem::setTint(const QColor& tint)
{
    m_dot->setColour(tint);
}

QColor PopupLegendItem::tint() const
{
    return m_dot->colour();
}

void PopupLegendItem::applyStyle()
{
    styleTexts(DesignStyle::font(DesignStyle::TextStyle::caption), DesignStyle::Colour::secondary,
               DesignStyle::Colour::primary);
}

} // namespace gaugelet
