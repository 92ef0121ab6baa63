#include "platform/statusitem/TextLayer.h"

#include <QPainter>

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
    painter.setPen(m_foreground);
    painter.drawText(bounds(), int(h | Qt::AlignTop) | Qt::TextSingleLine, m_string);
    painter.restore();
}

} // namespace gaugelet
