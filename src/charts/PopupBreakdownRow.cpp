#include "charts/PopupBreakdownRow.h"

#include "charts/PopupDot.h"
#include "platform/core/AssignIfChanged.h"
#include "platform/core/MainThread.h"

#include <QHBoxLayout>
#include <QLabel>

namespace gaugelet {

PopupBreakdownRow::PopupBreakdownRow(const QString& label, const QString& value, std::optional<QColor> dot,
                                     qreal fontSize, QWidget* trailing, QWidget* parent)
    : PopupFigureLine(label, value, dot.value_or(QColor()), Spacing::Step::s, parent), m_trailing(trailing),
      m_fontSize(fontSize)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_dot->setVisible(dot.has_value());
    m_figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (m_trailing) {
        m_trailing->setParent(this);
        row()->addWidget(m_trailing, 0, Qt::AlignVCenter);
    }
    row()->addStretch(1);
    row()->addWidget(m_figure, 0, Qt::AlignVCenter);
    restyle();
}

void PopupBreakdownRow::setLabel(const QString& label)
{
    if (m_label->text() != label)
        m_label->setText(label);
}

void PopupBreakdownRow::setDot(std::optional<QColor> dot)
{
    if (dot)
        m_dot->setColour(*dot);
    m_dot->setVisible(dot.has_value());
}

void PopupBreakdownRow::setFontSize(qreal fontSize)
{
    if (assignIfChanged(m_fontSize, fontSize))
        restyle();
}

std::optional<QColor> PopupBreakdownRow::dot() const
{
    if (m_dot->isHidden())
        return std::nullopt;
    return m_dot->colour();
}

void PopupBreakdownRow::applyStyle()
{
    styleTexts(DesignStyle::systemFont(m_fontSize), DesignStyle::Colour::primary, DesignStyle::Colour::secondary);
}

} // namespace gaugelet
