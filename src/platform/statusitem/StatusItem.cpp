#include "platform/statusitem/StatusItem.h"

#include "platform/core/MainThread.h"
#include "platform/core/MediaClock.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/style/Appearance.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

constexpr double imageMargin = 2.0; // each side of a button image at variable length

// Folds into `seed` every layer that can draw into `area` (points, root
// coordinates): its identity, revision, presented frame and place. Layers
// with sublayers count wherever they are (a hidden one hides its subtree);
// the subtree of a hidden layer draws nothing.
void hashLayers(const Layer& layer, QPointF origin, const QRectF& area, double mediaTime, size_t& seed)
{
    const QRectF rect = layer.frame().translated(origin);
    if (rect.intersects(area) || !layer.sublayers().empty()) {
        seed = qHashMulti(seed, quintptr(&layer), layer.revision(), layer.isHidden(),
                          layer.hasAnimations() ? layer.presentationFrameIndex(mediaTime) : -1, rect.x(), rect.y(),
                          rect.width(), rect.height());
    }
    if (layer.isHidden())
        return;
    for (const auto& sub : layer.sublayers())
        hashLayers(*sub, rect.topLeft(), area, mediaTime, seed);
}

} // namespace

double StatusItem::scaleForPixelSize(int pixelSize)
{
    return pixelSize / ScreenInfo::statusBarThickness;
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

QList<StatusItem::Segment> StatusItem::publishedSegments() const
{
    if (!m_segments.isEmpty())
        return m_segments;
    return {{QString(), QRectF(QPointF(0, 0), size()), QString(), QString()}};
}

void StatusItem::setComposedPixelSizes(const QList<int>& sizes)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QList<int> sorted = sizes;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.isEmpty() || sorted == m_composedSizes)
        return;
    m_composedSizes = sorted;
    m_pictures.clear(); // every segment is drawn anew at the new heights
    m_compositor->setNeedsComposition();
    Q_EMIT composedPixelSizesChanged();
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
    return tinted.copy(); // kept by the layer: without the paint engine the painted image holds
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

size_t StatusItem::signatureOf(const QRectF& area, double mediaTime) const
{
    size_t seed = 0;
    hashLayers(*m_canvas, QPointF(0, 0), area, mediaTime, seed);
    return seed;
}

void StatusItem::composeImages()
{
    const double now = MediaClock::now();
    m_composedAt = now;
    m_rowStale = true;
    QList<Segment> pieces = m_segments;
    if (pieces.isEmpty())
        pieces.append({QString(), QRectF(QPointF(0, 0), size()), QString(), QString()});

    QList<Pictures> next;
    next.reserve(pieces.size());
    for (const Segment& piece : std::as_const(pieces)) {
        Pictures pictures{piece.key, piece.frame, signatureOf(piece.frame, now), {}};
        const auto old = std::find_if(m_pictures.cbegin(), m_pictures.cend(), [&](const Pictures& p) {
            return p.key == pictures.key && p.frame == pictures.frame && p.signature == pictures.signature;
        });
        if (old != m_pictures.cend()) {
            pictures.images = old->images; // nothing in it changed: not drawn again
        } else {
            for (const int pixels : std::as_const(m_composedSizes)) {
                const double scale = scaleForPixelSize(pixels);
                QImage image = m_compositor->render(piece.frame, scale, now);
                image.setDevicePixelRatio(scale);
                pictures.images.append(image);
            }
            ++m_pictureRenders;
        }
        next.append(std::move(pictures));
    }
    m_pictures = std::move(next);
    Q_EMIT imageChanged();
}

QImage StatusItem::render(const QRectF& frame, int pixelSize) const
{
    const double scale = scaleForPixelSize(pixelSize);
    QImage image = m_compositor->render(frame, scale, m_composedAt);
    image.setDevicePixelRatio(scale);
    return image;
}

void StatusItem::composeRow() const
{
    if (!m_rowStale)
        return;
    m_rowStale = false;
    const QSizeF points = size();
    m_image1x = m_compositor->render(points, 1.0, m_composedAt);
    m_image2x = m_compositor->render(points, 2.0, m_composedAt);
    m_image2x.setDevicePixelRatio(2.0);
}

const QImage& StatusItem::image1x() const
{
    composeRow();
    return m_image1x;
}

const QImage& StatusItem::image2x() const
{
    composeRow();
    return m_image2x;
}

} // namespace gaugelet
