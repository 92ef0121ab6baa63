#include "menubar/RunnerVisualizer.h"

#include "menubar/RenderHasher.h"
#include "menubar/RunnerView.h"
#include "menubar/TileView.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/FPSLimit.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

// The share of the way from idle to full load that pace and rate follow.
double pace(double value) { return std::pow(RunnerVisualizer::clampedLoad(value), 0.55); }

} // namespace

RunnerVisualizer::RunnerVisualizer(RunnerKind kind)
    : m_kind(std::move(kind)), m_id(idPrefix + m_kind.id), m_frames(std::make_shared<const RunnerFrames>(m_kind)),
      m_size(m_id, {minimumSize, maximumSize, m_kind.defaultSize}, sizeNotificationPrefix)
{
}

double RunnerVisualizer::clampedLoad(double value)
{
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

RunnerAnimator* RunnerVisualizer::animator(const QString& providerId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto it = m_animators.find(providerId);
    if (it == m_animators.end())
        it = m_animators.insert(providerId, std::make_shared<RunnerAnimator>(m_kind));
    return it->get();
}

std::unique_ptr<TileView> RunnerVisualizer::makeView(const StatSnapshot& snapshot, Theme)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    RunnerAnimator* a = animator(snapshot.providerId);
    a->setLastValue(snapshot.value);
    a->setFpsLimit(FPSLimit::framesPerSecond(FPSLimit::current()));
    return std::make_unique<RunnerView>(a, m_frames, m_size.value());
}

qint64 RunnerVisualizer::renderKey(const StatSnapshot& snapshot)
{
    RenderHasher hasher;
    hasher.combine(snapshot.providerId);
    hasher.combine(qint64(animator(snapshot.providerId)->frame()));
    return hasher.finalize();
}

double RunnerVisualizer::framesPerSecond(const StatSnapshot& snapshot, int fpsLimit)
{
    const double limit = double(fpsLimit);
    const double rate = std::max((limit - 4.0) * pace(snapshot.value) + 4.0, 1.0);
    return std::min(rate, limit);
}

double RunnerVisualizer::cycleDuration(const StatSnapshot& snapshot)
{
    return std::max(1.5 - 1.4 * pace(snapshot.value), 0.1);
}

bool RunnerVisualizer::isTinted(double rawValue)
{
    if (!SettingsSchema::boolean(SettingsSchema::runnerTintEnabled))
        return false;
    const double t = SettingsSchema::real(SettingsSchema::runnerTintThreshold);
    return t > 0 ? rawValue >= t : rawValue >= defaultTintThreshold;
}

QList<QImage> RunnerVisualizer::frames(Theme theme, const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool tinted = isTinted(snapshot.value);
    // The animals are drawn with a dark outline of their own: where the
    // panel's shade is a guess, a dark contour widens it, which stands out
    // from light and middle panels alike, while on a dark one the animal's
    // colours carry it.
    if (isShadeGuessed(theme))
        return contouredFrames(tinted, QColor(0, 0, 0));
    return tinted ? tintedFrames() : normalFrames();
}

const QList<QImage>& RunnerVisualizer::contouredFrames(bool tinted, const QColor& contour)
{
    const std::pair<bool, QRgb> key{tinted, contour.rgba()};
    auto it = m_contouredFramesCache.find(key);
    if (it == m_contouredFramesCache.end()) {
        const QList<QImage>& plain = tinted ? tintedFrames() : normalFrames();
        // A point of contour at the kind's usual size.
        const int width = plain.isEmpty() ? 0 : plain.first().width();
        const double points = m_kind.defaultSize > 0 ? m_kind.defaultSize : 22.0;
        const int radius = std::max(1, int(std::lround(width * TileView::contourWidth / points)));
        it = m_contouredFramesCache.insert(key, withContour(plain, contour, radius));
    }
    return *it;
}

QList<QImage> RunnerVisualizer::withContour(const QList<QImage>& frames, const QColor& colour, int radius)
{
    QList<QImage> out;
    for (const QImage& frame : frames) {
        // Painted pixel for pixel, whatever the frames' pixel ratio.
        QImage plain = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        plain.setDevicePixelRatio(1.0);
        QImage silhouette = plain;
        {
            QPainter p(&silhouette);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(silhouette.rect(), colour);
        }
        QImage image(frame.width() + 2 * radius, frame.height() + 2 * radius, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            continue;
        image.fill(Qt::transparent);
        QPainter p(&image);
        // The silhouette stamped around a circle of the radius, then the frame.
        constexpr int steps = 16;
        for (int i = 0; i < steps; ++i) {
            const double angle = 2 * M_PI * i / steps;
            p.drawImage(QPointF(radius + radius * std::cos(angle), radius + radius * std::sin(angle)), silhouette);
        }
        p.drawImage(QPoint(radius, radius), plain);
        p.end();
        image.setDevicePixelRatio(frame.devicePixelRatio());
        out.append(image.copy()); // kept: without the paint engine the painted image holds
    }
    return out;
}

const QList<QImage>& RunnerVisualizer::normalFrames()
{
    if (!m_normalFramesCache) {
        QList<QImage> list;
        for (const std::optional<QImage>& frame : m_frames->croppedCG())
            if (frame && !frame->isNull())
                list.append(*frame);
        m_normalFramesCache = std::move(list);
    }
    return *m_normalFramesCache;
}

const QList<QImage>& RunnerVisualizer::tintedFrames()
{
    if (!m_tintedFramesCache) {
        QList<QImage> list;
        for (const QImage& frame : normalFrames()) {
            QImage tinted(frame.width(), frame.height(), QImage::Format_ARGB32_Premultiplied);
            if (tinted.isNull())
                continue;
            tinted.fill(Qt::transparent);
            QPainter p(&tinted);
            if (!p.isActive())
                continue;
            p.drawImage(QRect(0, 0, frame.width(), frame.height()), frame);
            p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            p.fillRect(QRect(0, 0, frame.width(), frame.height()), QColor::fromRgbF(0.92f, 0.2f, 0.2f, 0.55f));
            p.end();
            list.append(tinted.copy()); // kept: without the paint engine the painted image holds
        }
        m_tintedFramesCache = std::move(list);
    }
    return *m_tintedFramesCache;
}

} // namespace gaugelet
