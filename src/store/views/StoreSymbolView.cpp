#include "store/views/StoreSymbolView.h"

#include "platform/style/SystemSymbol.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

StoreSymbolView::StoreSymbolView(QString symbolName, DesignStyle::Colour colour, int side, QWidget* parent)
    : QWidget(parent), m_symbolName(std::move(symbolName)), m_colour(colour), m_side(std::max(1, side))
{
    setAttribute(Qt::WA_TranslucentBackground);
}

QImage StoreSymbolView::tintedImage(double scale) const
{
    return SystemSymbol::tinted(m_symbolName, m_side, DesignStyle::colour(m_colour, this), scale);
}

void StoreSymbolView::paintEvent(QPaintEvent*)
{
    const QImage image = tintedImage(devicePixelRatioF());
    if (image.isNull())
        return;
    QPainter p(this);
    const QSizeF size(m_side, m_side);
    p.drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), image);
}

} // namespace gaugelet
