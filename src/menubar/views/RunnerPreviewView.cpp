#include "menubar/views/RunnerPreviewView.h"

#include "menubar/MenubarController.h"
#include "platform/core/MainThread.h"

#include <QPainter>

namespace gaugelet {

RunnerPreviewView::RunnerPreviewView(QWidget* parent)
    : QWidget(parent)
    , m_runner(RunnerLayer::create())
    , m_backing(Layer::create())
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_backing->addSublayer(m_runner);
    m_compositor = std::make_unique<LayerCompositor>(m_backing);
    m_compositor->setFramesPerSecondLimit(MenubarController::fpsLimit());
    // Hidden until shown: no animation timer for a widget nobody sees.
    m_compositor->setPaused(true);
    connect(m_compositor.get(), &LayerCompositor::compositionDue, this, [this] { update(); });
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

RunnerPreviewView::~RunnerPreviewView() = default;

void RunnerPreviewView::schedule(const QList<QImage>& frames, double cycleDuration)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_pendingFrames = frames;
    m_pendingCycleDuration = cycleDuration;
    // A view deleted before the pass runs drops it with its coalescer.
    m_installTurn.request();
}

void RunnerPreviewView::installPending()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    ++m_installCount;
    fitRunner();
    m_runner->apply(m_pendingFrames, m_pendingCycleDuration);
}

QRectF RunnerPreviewView::fittedFrame(const QSizeF& framePixels, const QRectF& bounds)
{
    const double w = framePixels.width();
    const double h = framePixels.height();
    if (!(w > 0 && h > 0 && bounds.width() > 0 && bounds.height() > 0))
        return bounds;
    const double scale = std::min(bounds.width() / w, bounds.height() / h);
    const QSizeF fitted(w * scale, h * scale);
    return QRectF(QPointF(bounds.x() + (bounds.width() - fitted.width()) / 2,
                          bounds.y() + (bounds.height() - fitted.height()) / 2),
                  fitted);
}

void RunnerPreviewView::fitRunner()
{
    const QRectF bounds(QPointF(0, 0), QSizeF(size()));
    const QSizeF pixels = m_pendingFrames.isEmpty() ? QSizeF(0, 0) : QSizeF(m_pendingFrames.first().size());
    m_backing->setFrame(bounds);
    m_runner->setFrame(fittedFrame(pixels, bounds));
}

QImage RunnerPreviewView::renderImage(double scale) const
{
    return m_compositor->render(QSizeF(size()), scale);
}

void RunnerPreviewView::paintEvent(QPaintEvent*)
{
    const double scale = devicePixelRatioF();
    QImage image = renderImage(scale);
    if (image.isNull())
        return;
    image.setDevicePixelRatio(scale);
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image);
}

void RunnerPreviewView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitRunner();
}

void RunnerPreviewView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_compositor->setPaused(false);
}

void RunnerPreviewView::hideEvent(QHideEvent* event)
{
    m_compositor->setPaused(true);
    QWidget::hideEvent(event);
}

} // namespace gaugelet
