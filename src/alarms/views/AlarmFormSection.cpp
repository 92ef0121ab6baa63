#include "alarms/views/AlarmFormSection.h"

#include "platform/style/DesignStyle.h"

#include <QPainter>

namespace gaugelet {

AlarmFormSection::AlarmFormSection(QWidget* parent) : QFrame(parent)
{
    setContentsMargins(10, 8, 10, 8);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void AlarmFormSection::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool dark = DesignStyle::isDark(palette());
    QColor fill = dark ? QColor(255, 255, 255, 13) : QColor(255, 255, 255, 200);
    if (!dark && DesignStyle::colour(DesignStyle::Colour::windowBackground, this).lightness() > 245)
        fill = QColor(0, 0, 0, 8);
    p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::separator, this), 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

} // namespace gaugelet
