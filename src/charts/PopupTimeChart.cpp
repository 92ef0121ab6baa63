#include "charts/PopupTimeChart.h"

#include "charts/ChartTimeline.h"
#include "platform/core/MainThread.h"
#include "platform/core/WallClock.h"

#include <QPainter>

namespace gaugelet {

PopupTimeChart::PopupTimeChart(qreal height, QWidget* parent)
    : PopupBandChart(height, parent), m_timeline(new ChartTimeline(this))
{
}

void PopupTimeChart::inputChanged(qreal height, double window)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_strip.invalidate();
    setBandHeight(height);
    m_timeline->setWindow(window);
    // A picture that draws nothing stays still.
    m_timeline->setWanted(slides() && drawsSomething());
    update();
}

bool PopupTimeChart::drawsSomething() const
{
    // Every layer may be too thin to draw.
    return !frameShapes(QSizeF(size()), WallClock::now(), std::nullopt).isEmpty();
}

void PopupTimeChart::paintEvent(QPaintEvent*)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    if (!slides()) {
        ChartShape::paint(painter, frameShapes(QSizeF(size()), std::nullopt, std::nullopt));
        return;
    }
    // Frames between inputs slide the picture drawn for the input.
    m_strip.paint(painter, QSizeF(size()), painter.device()->devicePixelRatioF(), m_timeline->window(),
                  m_timeline->frameDate(),
                  [this](QSizeF canvas, qreal runTo, const QDateTime& at) { return frameShapes(canvas, at, runTo); });
}

void PopupTimeChart::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_strip.release(); // drawn again when shown
}

} // namespace gaugelet
