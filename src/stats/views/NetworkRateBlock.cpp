#include "stats/views/NetworkRateBlock.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace gaugelet {

NetworkRateBlock::NetworkRateBlock(const QString& arrow, QWidget* parent) : PaletteStyledWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::xs));
    const QFont title3 = DesignStyle::font(DesignStyle::TextStyle::title3);
    m_arrow = new QLabel(arrow, this);
    m_arrow->setTextFormat(Qt::PlainText);
    m_arrow->setFont(title3);
    m_rate = new QLabel(this);
    m_rate->setTextFormat(Qt::PlainText);
    m_rate->setFont(DesignStyle::monospacedDigits(title3));
    layout->addWidget(m_arrow, 0, Qt::AlignVCenter);
    layout->addWidget(m_rate, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    restyle();
}

void NetworkRateBlock::setTint(const QColor& tint)
{
    if (assignIfChanged(m_tint, tint))
        restyle();
}

void NetworkRateBlock::setRate(const QString& text)
{
    if (m_rate->text() != text)
        m_rate->setText(text);
}

QString NetworkRateBlock::rate() const
{
    return m_rate->text();
}

void NetworkRateBlock::setForeground(std::optional<QColor> colour)
{
    if (assignIfChanged(m_foreground, colour))
        restyle();
}

void NetworkRateBlock::setBackground(std::optional<QColor> colour)
{
    if (!assignIfChanged(m_background, colour))
        return;
    if (m_background)
        layout()->setContentsMargins(Spacing::margins(Spacing::Step::m, Spacing::Step::xxs));
    else
        layout()->setContentsMargins(0, 0, 0, 0);
    update();
}

void NetworkRateBlock::paintEvent(QPaintEvent*)
{
    if (!m_background)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(*m_background);
    const QRectF r = QRectF(rect());
    painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);
}

void NetworkRateBlock::applyStyle()
{
    QPalette arrow = palette();
    arrow.setColor(QPalette::WindowText, m_tint.isValid() ? m_tint : DesignStyle::colour(DesignStyle::Colour::primary, palette()));
    m_arrow->setPalette(arrow);
    QPalette rate = palette();
    rate.setColor(QPalette::WindowText,
                  m_foreground.value_or(DesignStyle::colour(DesignStyle::Colour::primary, palette())));
    m_rate->setPalette(rate);
}

} // namespace gaugelet
