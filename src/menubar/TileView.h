#pragma once

#include <QFont>
#include <QImage>
#include <QSizeF>

class QPainter;

namespace gaugelet {

// The picture of one menu-bar tile: painted with QPainter in points (logical
// pixels, y down, origin at the tile's top-left corner) into any paint device,
// so tiles render without a window, also under the offscreen platform.
class TileView {
public:
    virtual ~TileView() = default;

    // The tile's frame in points.
    virtual QSizeF size() const = 0;
    // Paints the tile inside QRectF(QPointF(0, 0), size()).
    virtual void paint(QPainter& painter) const = 0;

    // The tile drawn into a transparent image of ceil(size × scale) pixels
    // with that device pixel ratio. A null image when the scale or the size
    // is not usable (not finite, not positive, or beyond maxImageSide pixels).
    QImage render(qreal scale) const;

    static constexpr int maxImageSide = 4096;

    // Device pixels per point of a painter: a tile drawn for a small slot
    // (waybar's 16-pixel tray) may lay itself out for it.
    static double devicePixelsPerPoint(const QPainter& painter);

    // The monospaced system font at a size in points (which equal pixels on
    // the images render() makes) and a weight.
    static QFont monospacedFont(qreal size, QFont::Weight weight);
};

} // namespace gaugelet
