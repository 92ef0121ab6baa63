#pragma once

#include "charts/ChartShape.h"

#include <QDateTime>
#include <QImage>
#include <QSizeF>
#include <functional>

class QPainter;

namespace gaugelet {

// The picture of a time-placed chart, drawn once and slid left across the
// canvas as time passes. The picture of a later date is the same picture
// moved left by the seconds gone by × the pixels per second, so a frame is a
// copy of the strip at a whole-device-pixel offset, not a new drawing. The
// strip reaches `leadSeconds` past the canvas's right edge (where the newest
// values run flat) and is drawn again when it is invalidated (new input),
// when the canvas or its scale changes, or when the frames run past its lead.
class ChartStrip {
public:
    // Builds the chart's shapes for a canvas at a date, the newest values
    // running flat to `runTo` (past the canvas's right edge).
    using Builder = std::function<QList<ChartShape>(QSizeF canvas, qreal runTo, const QDateTime& date)>;

    static constexpr double leadSeconds = 2.0;

    void invalidate() { m_valid = false; }
    // Drops the picture's memory (the chart is hidden).
    void release()
    {
        m_valid = false;
        m_image = QImage();
    }
    // Paints the picture of `date` on a canvas of `size` logical pixels at
    // the device pixel ratio `dpr`, `window` seconds across its width.
    void paint(QPainter& painter, QSizeF size, qreal dpr, double window, const QDateTime& date, const Builder& build);
    // How often the strip was drawn (tests check frames are copies).
    int renderCount() const { return m_renders; }

private:
    QImage m_image;
    QDateTime m_date;
    QSizeF m_size;
    qreal m_dpr = 0;
    double m_window = 0;
    bool m_valid = false;
    int m_renders = 0;
};

} // namespace gaugelet
