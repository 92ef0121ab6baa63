#include "charts/ChartTimeline.h"

#include "charts/ChartFrameClock.h"
#include "platform/core/AssignIfChanged.h"
#include "platform/core/WallClock.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace gaugelet {

ChartTimeline::ChartTimeline(QWidget* widget) : QObject(widget), m_widget(widget)
{
    m_widget->installEventFilter(this);
}

ChartTimeline::~ChartTimeline()
{
    if (m_running)
        ChartFrameClock::instance()->remove(this);
}

void ChartTimeline::setWanted(bool wanted)
{
    if (assignIfChanged(m_wanted, wanted))
        sync();
}

void ChartTimeline::setWindow(double seconds)
{
    m_window = seconds;
}

QDateTime ChartTimeline::frameDate()
{
    const QDateTime now = WallClock::now();
    // A frame the clock asked for shows the picture of its frame time (a few
    // milliseconds ago); any other paint shows the picture of now.
    if (!m_framePending)
        m_shownMs = now.toMSecsSinceEpoch();
    m_framePending = false;
    return now;
}

double ChartTimeline::pixelsPerSecond() const
{
    if (!(std::isfinite(m_window) && m_window > 0))
        return 0;
    const double pps = double(m_widget->width()) * m_widget->devicePixelRatioF() / m_window;
    return std::isfinite(pps) && pps > 0 ? pps : 0;
}

qint64 ChartTimeline::stepMs() const
{
    const double pps = pixelsPerSecond();
    if (!(pps > 0))
        return std::numeric_limits<qint64>::max();
    return qint64(std::ceil(std::min(1000.0 / pps, 1e12)));
}

bool ChartTimeline::isDue(qint64 nowMs) const
{
    // Moved distance in device pixels: (now − shown) ms × pps / 1000 ≥ 1.
    const double pps = pixelsPerSecond();
    return pps > 0 && double(nowMs - m_shownMs) * pps >= 1000.0;
}

void ChartTimeline::requestFrame(qint64 frameMs)
{
    ++m_frames;
    m_shownMs = std::max(m_shownMs, frameMs);
    m_framePending = true;
    m_widget->update();
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
    if (!assignIfChanged(m_running, run))
        return;
    if (run) {
        ++m_starts;
        ChartFrameClock::instance()->add(this);
    } else {
        ChartFrameClock::instance()->remove(this);
    }
}

} // namespace gaugelet
