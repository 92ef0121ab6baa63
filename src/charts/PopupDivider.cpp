#include "charts/PopupDivider.h"

#include "platform/style/DesignStyle.h"

#include <QPainter>

namespace gaugelet {

PopupDivider::PopupDivider(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PopupDivider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), DesignStyle::colour(DesignStyle::Colour::separator, this));
}

} // namespace gaugelet
