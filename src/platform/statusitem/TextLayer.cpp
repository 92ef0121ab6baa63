#include "platform/statusitem/TextLayer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

TextLayer::TextLayer() = default;

void TextLayer::drawInContext(QPainter& painter) const
{
    if (m_string.isEmpty() || frame().isEmpty())
        return;
    Qt::Alignment h = Qt::AlignLeft;
    switch (m_alignment) {
    case Alignment::natural:
    case Alignment::left:
        h = Qt::AlignLeft;
        break;
    case Alignment::center:
        h = Qt::AlignHCenter;
        break;
    case Alignment::right:
        h = Qt::AlignRight;
        break;
    }
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(m_font);
    if (!m_contour || m_contourWidth <= 0) {
        painter.setPen(m_foreground);
        painter.drawText(bounds(), int(h | Qt::AlignTop) | Qt::TextSingleLine, m_string);
        painter.restore();
        return;
    }
    // The glyphs as a path, placed as drawText would place them, stroked
    // twice the contour's width under the fill.
    const QFontMetricsF metrics(m_font);
    const QRectF box = bounds();
    const double width = metrics.horizontalAdvance(m_string);
    double x = box.left();
    if (h == Qt::AlignHCenter)
        x += (box.width() - width) / 2;
    else if (h == Qt::AlignRight)
        x += box.width() - width;
    QPainterPath path;
    path.addText(QPointF(x, box.top() + metrics.ascent()), m_font, m_string);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.strokePath(path, QPen(*m_contour, 2 * m_contourWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, m_foreground);
    painter.restore();
}

} // namespace gaugelet
