#include "views/Spinner.h"

#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace gaugelet {

Spinner::Spinner(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(tr("In progress"));
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
}

QSize Spinner::sizeHint() const
{
    const int side = Spacing::scaled(16);
    return {side, side};
}

void Spinner::paint(QPainter& p, const QRectF& square, int step, const QColor& base)
{
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(square.width(), square.height());
    const QPointF centre = square.center();
    const qreal outer = side / 2 - 1;
    const qreal inner = outer * 0.45;
    for (int i = 0; i < kSpokes; ++i) {
        const double angle = 2 * M_PI * i / kSpokes - M_PI / 2;
        const int age = (step - i + kSpokes) % kSpokes;
        QColor colour = base;
        colour.setAlphaF(0.85 - 0.6 * age / (kSpokes - 1));
        p.setPen(QPen(colour, std::max(1.5, side / 9), Qt::SolidLine, Qt::RoundCap));
        const QPointF dir(std::cos(angle), std::sin(angle));
        p.drawLine(centre + dir * inner, centre + dir * outer);
    }
}

QIcon Spinner::frame(int step, const QColor& colour, qreal devicePixelRatio, int side)
{
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paint(p, QRectF(0, 0, side, side), step, colour);
    return QIcon(pixmap);
}

void Spinner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paint(p, QRectF(rect()), m_step, DesignStyle::colour(DesignStyle::Colour::primary, this));
}

void Spinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void Spinner::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace gaugelet
