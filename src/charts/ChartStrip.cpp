#include "charts/ChartStrip.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

void ChartStrip::paint(QPainter& painter, QSizeF size, qreal dpr, double window, const QDateTime& date,
                       const Builder& build)
{
    const double perSecond = std::isfinite(window) && window > 0 ? size.width() * dpr / window : 0.0;
    if (!(perSecond > 0) || !date.isValid() || !(dpr > 0) || size.isEmpty()) {
        // Nothing slides: draw as it is.
        ChartShape::paint(painter, build(size, size.width(), date));
        return;
    }
    const double lead = std::ceil(leadSeconds * perSecond); // device pixels
    qint64 offset = m_valid ? std::llround(double(m_date.msecsTo(date)) / 1000.0 * perSecond) : -1;
    if (!m_valid || size != m_size || dpr != m_dpr || window != m_window || offset < 0 || double(offset) > lead) {
        m_size = size;
        m_dpr = dpr;
        m_window = window;
        m_date = date;
        m_valid = true;
        offset = 0;
        ++m_renders;
        const QSize pixels(int(std::ceil(size.width() * dpr) + lead), int(std::ceil(size.height() * dpr)));
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        QPainter strip(&m_image);
        strip.scale(dpr, dpr);
        ChartShape::paint(strip, build(size, size.width() + lead / dpr, date));
    }
    // In device pixels, so the copy is a plain blit.
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / dpr, 1 / dpr), true);
    painter.drawImage(QPoint(int(-offset), 0), m_image);
    painter.restore();
}

} // namespace gaugelet
