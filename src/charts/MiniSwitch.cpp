#include "charts/MiniSwitch.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"

#include <QFocusEvent>
#include <QPainter>

namespace gaugelet {

MiniSwitch::MiniSwitch(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setFixedSize(30, 14);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void MiniSwitch::setTint(const QColor& tint)
{
    if (assignIfChanged(m_tint, tint))
        update();
}

void MiniSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Scaled to 0.82 about the centre, like a mini control.
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal h = frame.height() * 0.82;
    const qreal w = std::min(frame.width(), h * 1.8);
    const QRectF track(frame.center().x() - w / 2, frame.center().y() - h / 2, w, h);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? m_tint : DesignStyle::colour(DesignStyle::Colour::tertiary, this));
    painter.drawRoundedRect(track, h / 2, h / 2);
    const qreal knob = h - 2;
    const qreal x = isChecked() ? track.right() - 1 - knob : track.left() + 1;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 1, knob, knob));
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::accent, this), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(-0.5, -0.5, 0.5, 0.5), h / 2, h / 2);
    }
}

void MiniSwitch::focusInEvent(QFocusEvent* event)
{
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void MiniSwitch::focusOutEvent(QFocusEvent* event)
{
    m_keyboardFocus = false;
    QAbstractButton::focusOutEvent(event);
}

} // namespace gaugelet
