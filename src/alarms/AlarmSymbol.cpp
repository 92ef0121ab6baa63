#include "alarms/AlarmSymbol.h"

#include "platform/style/SystemSymbol.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

QPixmap alarmSymbol(const QString& name, int side, const QColor& colour, qreal devicePixelRatio)
{
    const qreal dpr = devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    QImage image = SystemSymbol::image(name, std::max(1, int(std::lround(side * dpr))));
    if (image.isNull())
        return {};
    // Template images: keep the shape, take the colour.
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), colour);
    p.end();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QIcon alarmSymbolIcon(const QString& name, int side, const QColor& colour)
{
    QIcon icon;
    const QPixmap one = alarmSymbol(name, side, colour, 1.0);
    if (one.isNull())
        return icon;
    icon.addPixmap(one);
    icon.addPixmap(alarmSymbol(name, side, colour, 2.0));
    return icon;
}

} // namespace gaugelet
