#include "store/views/StoreNewBadge.h"

#include "platform/style/DesignStyle.h"

#include <QPainter>

namespace gaugelet {

namespace {
constexpr int kPaddingH = 6;
constexpr int kPaddingV = 1;

QFont badgeFont()
{
    QFont font = DesignStyle::font(DesignStyle::TextStyle::caption2);
    font.setBold(true);
    return font;
}
} // namespace

StoreNewBadge::StoreNewBadge(QWidget* parent) : QWidget(parent)
{
    setFont(badgeFont());
    setAccessibleName(text());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString StoreNewBadge::text() const { return tr("NEW"); }

QSize StoreNewBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPaddingH, metrics.height() + 2 * kPaddingV};
}

void StoreNewBadge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect());
    const qreal radius = box.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(DesignStyle::colour(DesignStyle::Colour::accent, this));
    p.drawRoundedRect(box, radius, radius);
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(box, Qt::AlignCenter, text());
}

} // namespace gaugelet
