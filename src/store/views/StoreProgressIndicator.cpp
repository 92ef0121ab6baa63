#include "store/views/StoreProgressIndicator.h"

#include "platform/style/DesignStyle.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

namespace {
constexpr int kSpokes = 8;
constexpr int kIntervalMs = 100;
} // namespace

StoreProgressIndicator::StoreProgressIndicator(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(tr("In progress"));
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kSpokes;
        update();
    });
}

void StoreProgressIndicator::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const QPointF centre(width() / 2.0, height() / 2.0);
    const qreal outer = side / 2 - 1;
    const qreal inner = outer * 0.45;
    const QColor base = DesignStyle::colour(DesignStyle::Colour::primary, this);
    for (int i = 0; i < kSpokes; ++i) {
        const double angle = 2 * M_PI * i / kSpokes - M_PI / 2;
        // The spoke at the current step is the darkest; the others fade behind it.
        const int age = (m_step - i + kSpokes) % kSpokes;
        QColor colour = base;
        colour.setAlphaF(0.85 - 0.6 * age / (kSpokes - 1));
        p.setPen(QPen(colour, std::max(1.5, side / 9), Qt::SolidLine, Qt::RoundCap));
        const QPointF dir(std::cos(angle), std::sin(angle));
        p.drawLine(centre + dir * inner, centre + dir * outer);
    }
}

void StoreProgressIndicator::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void StoreProgressIndicator::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace gaugelet
