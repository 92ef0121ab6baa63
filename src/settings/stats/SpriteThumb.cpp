#include "settings/stats/SpriteThumb.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"
#include "settings/shared/SettingsText.h"
#include "stats/Theme.h"

#include <QPainter>
#include <cmath>

namespace gaugelet {

SpriteThumb::SpriteThumb(VisualizerPtr viz, const QString& providerId, qreal size, QWidget* parent)
    : QWidget(parent), m_viz(std::move(viz)), m_providerId(providerId), m_size(size)
{
    const int side = int(std::ceil(size));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    loadFrame();
}

void SpriteThumb::setVisualizer(const VisualizerPtr& viz)
{
    if (!assignIfChanged(m_viz, viz))
        return;
    loadFrame();
    update();
}

void SpriteThumb::loadFrame()
{
    m_frame = QImage();
    if (!m_viz)
        return;
    // Shown on the window, whose shade is known: the frames without the
    // contour a guessed panel shade gives them.
    const QList<QImage> frames =
        m_viz->previewFrames(isDark(currentTheme()) ? Theme::dark : Theme::light, m_providerId);
    if (!frames.isEmpty())
        m_frame = frames.first();
}

void SpriteThumb::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF box(0, 0, m_size, m_size);
    if (!m_frame.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(box, m_frame);
        return;
    }
    const qreal side = m_size * 0.66;
    const QImage paw = SystemSymbol::tinted(QStringLiteral("pawprint"), side,
                                                  DesignStyle::colour(DesignStyle::Colour::tertiary, this),
                                                  devicePixelRatioF());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF((m_size - side) / 2, (m_size - side) / 2, side, side), paw);
}

} // namespace gaugelet
