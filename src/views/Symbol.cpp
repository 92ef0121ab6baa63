#include "views/Symbol.h"

#include "platform/style/SystemSymbol.h"

namespace gaugelet {

QPixmap Symbol::pixmap(const QString& name, int side, const QColor& colour, qreal devicePixelRatio)
{
    const QImage image = SystemSymbol::tinted(name, side, colour, devicePixelRatio);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QIcon Symbol::icon(const QString& name, int side, const QColor& colour)
{
    QIcon icon;
    const QPixmap one = pixmap(name, side, colour, 1.0);
    if (one.isNull())
        return icon;
    icon.addPixmap(one);
    icon.addPixmap(pixmap(name, side, colour, 2.0));
    return icon;
}

} // namespace gaugelet
