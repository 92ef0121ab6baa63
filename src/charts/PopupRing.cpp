#include "charts/PopupRing.h"

#include "platform/core/AssignIfChanged.h"
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
    if (assignIfChanged(m_value, value))
        update();
}

void PopupRing::setTint(const QColor& tint)
{
    if (assignIfChanged(m_tint, tint))
        update();
}

QSize PopupRing::sizeHint() const
{
    const int side = std::isfinite(m_diameter) && m_diameter > 0 ? int(std::ceil(m_diameter)) : 0;
    const int room = side > 0 ? 2 * overhang(m_lineWidth) : 0;
    return {side + room, side + room};
}

double PopupRing::fraction(double value)
{
    if (std::isnan(value) || value < 0)
        return 0;
    return std::min(value, 1.0);
}

int PopupRing::overhang(qreal lineWidth)
{
    return std::isfinite(lineWidth) && lineWidth > 0 ? int(std::ceil(lineWidth * 0.5)) : 0;
}

QList<ChartShape> PopupRing::shapes(const QRectF& frame, double value, const QColor& tint, qreal lineWidth)
{
    // The circle is the frame's inscribed circle; the pens straddle it.
    const qreal side = std::min(frame.width(), frame.height());
    if (!(side > 0) || !(lineWidth > 0))
        return {};
    const QRectF circle(frame.center() - QPointF(side, side) * 0.5, QSizeF(side, side));
    QColor track = tint;
    track.setAlphaF(tint.alphaF() * 0.18);
    QPainterPath outline;
    outline.addEllipse(circle);
    QList<ChartShape> out{ChartShape::stroked(outline, track, lineWidth, Qt::FlatCap, Qt::MiterJoin)};
    const double f = fraction(value);
    if (f >= 1.0) {
        out.append(ChartShape::stroked(outline, tint, lineWidth, Qt::RoundCap, Qt::MiterJoin));
    } else if (f > 0) {
        // From 12 o'clock, clockwise; a round cap shows even a tiny value as
        // a dot at the top.
        QPainterPath arc;
        arc.arcMoveTo(circle, 90);
        arc.arcTo(circle, 90, -360.0 * f);
        out.append(ChartShape::stroked(arc, tint, lineWidth, Qt::RoundCap, Qt::MiterJoin));
    }
    return out;
}

void PopupRing::paint(QPainter& painter, const QRectF& frame, double value, const QColor& tint, qreal lineWidth)
{
    ChartShape::paint(painter, shapes(frame, value, tint, lineWidth));
}

void PopupRing::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    const qreal room = overhang(m_lineWidth);
    paint(painter, QRectF(room, room, m_diameter, m_diameter), m_value, m_tint, m_lineWidth);
}

} // namespace gaugelet
