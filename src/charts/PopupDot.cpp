#include "charts/PopupDot.h"

#include "platform/core/AssignIfChanged.h"

#include <QPainter>

namespace gaugelet {

PopupDot::PopupDot(const QColor& colour, QWidget* parent) : QWidget(parent), m_colour(colour)
{
    setFixedSize(8, 8);
}

void PopupDot::setColour(const QColor& colour)
{
    if (assignIfChanged(m_colour, colour))
        update();
}

void PopupDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_colour);
    painter.drawEllipse(QRectF(0, 0, 8, 8));
}

} // namespace gaugelet
