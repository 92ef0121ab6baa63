#include "alarms/AlarmSymbol.h"

#include "platform/style/SystemSymbol.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

QPixmap alarmSymbol(const QString& name, int side, const QColor& colour, qreal devicePixelRatio)
{
    const QImage image = SystemSymbol::tinted(name, side, colour, devicePixelRatio);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
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
