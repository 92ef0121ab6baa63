#include "charts/PopupRing.h"

#include "platform/core/MainThread.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace gaugelet {

PopupRing::PopupRing(double value, const QColor& tint, qreal diameter, qreal lineWidth, QWidget* parent)
    : QWidget(parent), m_value(value), m_tint(tint), m_diameter(diameter), m_lineWidth(lineWidth)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setFixedSize(sizeHint());
}

void PopupRing::setValue(double value)
{
    // Not animated: a new value shows at once.
    if (value == m_value || (std::isnan(value) && std::isnan(m_value)))
        return;
    m_value = value;
    update();
}

void PopupRing::setTint(const QColor& tint)
{
    if (tint == m_tint)
        return;
    m_tint = tint;
    update();
}

QSize PopupRing::sizeHint() const
{
    const int side = std::isfinite(m_diameter) && m_diameter > 0 ? int(std::ceil(m_diameter)) : 0;
    return {side, side};
}

double PopupRing::fraction(double value)
{
    if (std::isnan(value) || value < 0)
        return 0;
    return std::min(value, 1.0);
}

void PopupRing::paint(QPainter& painter, const QRectF& frame, double value, const QColor& tint, qreal lineWidth)
{
    // The circle is inscribed in the frame; the stroke straddles its outline.
    const qreal half = lineWidth * 0.5;
    const QRectF circle = frame.adjusted(half, half, -half, -half);
    if (!(circle.width() > 0))
        return;
    QColor track = tint;
    track.setAlphaF(tint.alphaF() * 0.18);
    QPen trackPen(track, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    trackPen.setMiterLimit(10);
    painter.setPen(trackPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);
    const double f = fraction(value);
    QPen progressPen(tint, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    progressPen.setMiterLimit(10);
    painter.setPen(progressPen);
    if (f >= 1.0) {
        painter.drawEllipse(circle);
    } else {
        // From 12 o'clock, clockwise; a round-capped zero-length arc still
        // shows a dot at the top.
        QPainterPath arc;
        arc.arcMoveTo(circle, 90);
        arc.arcTo(circle, 90, -360.0 * f);
        if (f == 0)
            return; // nothing trimmed out of the circle: the track alone
        painter.drawPath(arc);
    }
}

void PopupRing::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(0, 0, m_diameter, m_diameter), m_value, m_tint, m_lineWidth);
}

} // namespace gaugelet
