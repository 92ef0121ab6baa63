#pragma once

#include "stats/Theme.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>
#include <optional>

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

    // The contour around a tile's text and lines when the panel's shade is
    // only guessed: this wide on either side of the ink, in points, in the
    // opposite lightness of the ink (black around light ink, white around
    // dark), opaque. The ink reads against its contour on any panel, and on a
    // panel of the guessed shade the contour all but merges with it.
    static constexpr double contourWidth = 1.0;
    // None when the shade is known for sure.
    static std::optional<QColor> contourColor(Theme theme);
};

} // namespace gaugelet
