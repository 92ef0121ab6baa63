#include "charts/ChartTimeline.h"

#include <QEvent>
#include <QWidget>

namespace gaugelet {

ChartTimeline::ChartTimeline(QWidget* widget) : QObject(widget), m_widget(widget)
{
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, m_widget, qOverload<>(&QWidget::update));
    m_widget->installEventFilter(this);
}

void ChartTimeline::setWanted(bool wanted)
{
    if (m_wanted == wanted)
        return;
    m_wanted = wanted;
    sync();
}

bool ChartTimeline::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        sync();
    return QObject::eventFilter(watched, event);
}

void ChartTimeline::sync()
{
    const bool run = m_wanted && m_widget->isVisible();
    if (run && !m_timer.isActive()) {
        m_timer.start();
        ++m_starts;
    } else if (!run && m_timer.isActive()) {
        m_timer.stop();
    }
}

} // namespace gaugelet
