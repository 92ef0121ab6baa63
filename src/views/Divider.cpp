#include "views/Divider.h"

#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"

#include <QPainter>

namespace gaugelet {

Divider::Divider(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), m_orientation(orientation)
{
    const int line = Spacing::px(Spacing::Step::hairline);
    if (orientation == Qt::Horizontal) {
        setFixedHeight(line);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(line);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

Divider* Divider::vertical(qreal heightPoints, QWidget* parent)
{
    auto* divider = new Divider(Qt::Vertical, parent);
    divider->setFixedHeight(Spacing::scaled(heightPoints));
    return divider;
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), DesignStyle::colour(DesignStyle::Colour::separator, this));
}

} // namespace gaugelet
