#pragma once

#include "menubar/Visualizer.h"
#include "menubar/VisualizerSizeSetting.h"

#include <QColor>
#include <QHash>
#include <QPainterPath>
#include <QPen>
#include <memory>

namespace gaugelet {

// Draws a statistic's value as a ring: a faint full circle and over it an arc
// that fills clockwise from the top, green, yellow or red by load. The ring is
// kept per provider and reused while the value (within 0.005), the theme and
// the size stay the same. The side length is a user setting (10...40 pt).
class PieVisualizer : public Visualizer {
public:
    static constexpr double defaultSize = 20.0;
    static constexpr double minimumSize = 10.0;
    static constexpr double maximumSize = 40.0;
    // Posted with the visualizer id appended when its size setting changes.
    static inline const QString sizeNotificationPrefix = QStringLiteral("pie.size.changed.");

    // The drawn ring of one value, theme and size. It is kept as drawing
    // instructions, so one ring serves every scale, and as pixels for the
    // scale it was last painted at, so reusing it costs one image copy.
    struct RingImage {
        double side = 0;
        double lineWidth = 0;
        QRectF square;          // the circle's bounding square
        QColor trackColor;
        std::optional<QColor> arcColor; // none: only the track
        QPainterPath arc;
        // Around the whole ring, when the panel's shade is guessed.
        std::optional<QColor> contourColor;

        void paint(QPainter& painter) const;
        // The ring alone in a transparent image at that scale, made once per scale.
        const QImage& pixels(qreal scale) const;

    private:
        QPen contourPen() const;
        void draw(QPainter& painter) const;
        void drawIntoEmptyImage(QPainter& painter) const;
        mutable QImage m_pixels;
    };
    using RingImagePtr = std::shared_ptr<const RingImage>;

    struct CacheRecord {
        double value = 0;
        QString theme;
        double size = 0;
        RingImagePtr image;
    };

    PieVisualizer();

    QString id() const override;
    QString displayName() const override;
    QSizeF size() const override;

    std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) override;
    qint64 renderKey(const StatSnapshot& snapshot) override;

    // The ring for a snapshot and theme, from the cache when it still fits.
    RingImagePtr ringImage(const StatSnapshot& snapshot, Theme theme);

    double cachedSize() const { return m_size.value(); }
    const QHash<QString, CacheRecord>& caches() const { return m_caches; }

    // The drawn value: clamped to 0...1, NaN as 0.
    static double clampedValue(double value);
    static RingImagePtr drawRing(double value, Theme theme, double side);
    // The arc's colour for a load on a dark or a light panel, and the track's.
    static QColor loadColor(double v, Theme theme);
    static QColor trackColor(Theme theme);

private:
    QHash<QString, CacheRecord> m_caches;
    // The side length, 10...40; a new one drops the cached rings.
    VisualizerSizeSetting m_size;
};

} // namespace gaugelet
