#include "charts/PopupBreakdownRow.h"

#include "charts/PopupDot.h"
#include "platform/core/AssignIfChanged.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace gaugelet {

PopupBreakdownRow::PopupBreakdownRow(const QString& label, const QString& value, std::optional<QColor> dot,
                                     qreal fontSize, QWidget* trailing, QWidget* parent)
    : QWidget(parent), m_trailing(trailing), m_fontSize(fontSize)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(Spacing::px(Spacing::Step::s));
    m_dot = new PopupDot(dot.value_or(QColor()), this);
    m_dot->setVisible(dot.has_value());
    m_label = new QLabel(label, this);
    m_label->setTextFormat(Qt::PlainText);
    m_value = new QLabel(value, this);
    m_value->setTextFormat(Qt::PlainText);
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    m_layout->addWidget(m_label, 0, Qt::AlignVCenter);
    if (m_trailing) {
        m_trailing->setParent(this);
        m_layout->addWidget(m_trailing, 0, Qt::AlignVCenter);
    }
    m_layout->addStretch(1);
    m_layout->addWidget(m_value, 0, Qt::AlignVCenter);
    applyStyle();
}

void PopupBreakdownRow::setLabel(const QString& label)
{
    if (m_label->text() != label)
        m_label->setText(label);
}

void PopupBreakdownRow::setValue(const QString& value)
{
    if (m_value->text() != value)
        m_value->setText(value);
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
        applyStyle();
}

QString PopupBreakdownRow::label() const
{
    return m_label->text();
}

QString PopupBreakdownRow::value() const
{
    return m_value->text();
}

std::optional<QColor> PopupBreakdownRow::dot() const
{
    if (m_dot->isHidden())
        return std::nullopt;
    return m_dot->colour();
}

void PopupBreakdownRow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && !m_styling)
        applyStyle();
    QWidget::changeEvent(event);
}

void PopupBreakdownRow::applyStyle()
{
    m_styling = true;
    const QFont font = DesignStyle::systemFont(m_fontSize);
    m_label->setFont(font);
    m_value->setFont(DesignStyle::monospacedDigits(font));
    TextLabel::setColour(m_label, DesignStyle::colour(DesignStyle::Colour::primary, palette()));
    TextLabel::setColour(m_value, DesignStyle::colour(DesignStyle::Colour::secondary, palette()));
    m_styling = false;
}

} // namespace gaugelet
