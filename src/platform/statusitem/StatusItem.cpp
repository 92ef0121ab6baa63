#include "platform/statusitem/StatusItem.h"

#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/style/Appearance.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

namespace {
constexpr double imageMargin = 2.0; // each side of a button image at variable length
}

StatusItem::StatusItem(Presentation presentation, QObject* parent)
    : QObject(parent)
    , m_button(new StatusItemButton(this))
    , m_canvas(Layer::create())
    , m_imageLayer(Layer::create())
{
    setUp();
    if (presentation == Presentation::statusNotifier)
        m_sni = new SniStatusItem(this);
}

StatusItem::StatusItem(const QString& busAddress, QObject* parent)
    : QObject(parent)
    , m_button(new StatusItemButton(this))
    , m_canvas(Layer::create())
    , m_imageLayer(Layer::create())
{
    setUp();
    m_sni = new SniStatusItem(this, busAddress);
}

void StatusItem::setUp()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_imageLayer->setContentsGravity(ContentsGravity::center);
    m_canvas->addSublayer(m_imageLayer);
    m_canvas->addSublayer(m_button->layer());
    m_compositor = std::make_unique<LayerCompositor>(m_canvas);
    connect(m_compositor.get(), &LayerCompositor::compositionDue, this, &StatusItem::composeImages);
    connect(Appearance::instance(), &Appearance::changed, this, [this] {
        if (m_button->isImageTemplate())
            buttonImageChanged();
    });
    updateGeometry();
}

StatusItem::~StatusItem()
{
    delete m_sni; // unregisters before the pictures go
    m_sni = nullptr;
}

void StatusItem::setLength(double length)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!std::isfinite(length) || length < 0)
        length = variableLength;
    if (length == m_length)
        return;
    m_length = length;
    updateGeometry();
}

QSizeF StatusItem::size() const
{
    double width = m_length;
    if (width < 0) {
        const QSizeF image = m_button->imageSize();
        width = image.isEmpty() ? ScreenInfo::statusBarThickness : image.width() + 2 * imageMargin;
    }
    return QSizeF(width, ScreenInfo::statusBarThickness);
}

void StatusItem::setSegments(const QList<Segment>& segments)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (segments == m_segments)
        return;
    m_segments = segments;
    // The pictures are cut anew at the next composition.
    m_compositor->setNeedsComposition();
}

void StatusItem::setAction(std::function<void(QPoint)> action)
{
    m_action = std::move(action);
}

void StatusItem::performAction(const QPoint& globalPosition)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_lastClick = globalPosition;
    if (m_action)
        m_action(globalPosition);
}

QImage StatusItem::presentedButtonImage() const
{
    QImage image = m_button->image();
    if (image.isNull() || !m_button->isImageTemplate())
        return image;
    // A template image keeps only its alpha, in the panel's label colour.
    QImage tinted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&tinted);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(tinted.rect(), m_button->isDarkAppearance() ? Qt::white : Qt::black);
    p.end();
    return tinted;
}

void StatusItem::buttonImageChanged()
{
    const QImage image = presentedButtonImage();
    m_imageLayer->setContents(image);
    m_imageLayer->setContentsScale(image.isNull() ? 1.0 : image.devicePixelRatio());
    updateGeometry();
}

void StatusItem::updateGeometry()
{
    const QRectF rect(QPointF(0, 0), size());
    m_canvas->setFrame(rect);
    m_imageLayer->setFrame(rect);
    m_button->layer()->setFrame(rect);
}

void StatusItem::composeImages()
{
    const QSizeF points = size();
    const double now = MediaClock::now();
    m_image1x = m_compositor->render(points, 1.0, now);
    m_image2x = m_compositor->render(points, 2.0, now);
    m_image2x.setDevicePixelRatio(2.0);
    Q_EMIT imageChanged();
}

} // namespace gaugelet
