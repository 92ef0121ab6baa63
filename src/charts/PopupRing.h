#pragma once

#include "charts/ChartShape.h"

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace gaugelet {

// A progress ring that fills clockwise from the top: a pale track and the
// fraction (clamped to 0 … 1; NaN shows only the track) over it. The circle
// is inscribed in the ring's frame and its stroke straddles the outline, so
// half a line width is drawn outside the frame: the widget keeps that much
// room around the frame (`overhang`).
class PopupRing : public QWidget {
    Q_OBJECT
public:
    PopupRing(double value, const QColor& tint, qreal diameter, qreal lineWidth, QWidget* parent = nullptr);

    void setValue(double value);
    void setTint(const QColor& tint);
    double value() const { return m_value; }

    // The fraction the ring shows.
    static double fraction(double value);
    // The room kept around a frame for the stroke's outer half, in whole pixels.
    static int overhang(qreal lineWidth);
    // One ring's track and progress for a frame, without pixels.
    static QList<ChartShape> shapes(const QRectF& frame, double value, const QColor& tint, qreal lineWidth);
    // Draws one ring inscribed in the frame.
    static void paint(QPainter& painter, const QRectF& frame, double value, const QColor& tint, qreal lineWidth);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_value;
    QColor m_tint;
    qreal m_diameter;
    qreal m_lineWidth;
};

} // namespace gaugelet
