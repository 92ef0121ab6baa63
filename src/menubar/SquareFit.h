#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>

class QPaintDevice;
class QPainter;

namespace gaugelet {

// How a tile stays legible when the panel fits each tile into a square slot:
// most hosts scale an item of w × 22 points into a 24-pixel square, that is by
// 24 / max(w, 22). A tile's value keeps its digits at least 8 pixels tall
// there when the tile is no wider than it is tall and its digits are at least
// `valueDigitHeight` points tall. Text wider than its room is squeezed
// sideways (its height kept), never clipped.
struct SquareFit {
    static constexpr double thickness = 22;  // the status item's height in points
    static constexpr double slotPixels = 24; // the square slot of a panel
    static constexpr double minimumDigitPixels = 8;
    // 8 × 22 / 24 = 7.33, with a little room for rounding on the way.
    static constexpr double valueDigitHeight = 7.6;
    // A tray of 16-pixel slots (waybar's) shows the picture drawn for 16
    // pixels, where the design's layout would leave digits 5.5 pixels tall.
    // A tile drawn for fewer than compactBelowPixels lays itself out for
    // such a slot: no badge, digits at least minimumSmallDigitPixels tall
    // (drawn smallDigitPixels tall, with room for rounding).
    static constexpr double compactBelowPixels = 20;
    static constexpr double minimumSmallDigitPixels = 7;
    static constexpr double smallDigitPixels = 7.4;

    // The factor by which a host scales an item `width` points wide.
    static double hostScale(double width) { return slotPixels / std::max(width, thickness); }

    // One logical pixel per point: the paint device tiles and labels are
    // measured and drawn at.
    static QPaintDevice* device();
    static QFontMetricsF metrics(const QFont& font) { return QFontMetricsF(font, device()); }
    // The box a text's ink covers, relative to its baseline's start, in points:
    // measured at ten times the size, so that hinting rounds nothing away.
    static QRectF inkBox(const QFont& font, const QString& text);
    // The ink height of the digits 0-9 in a font, in points.
    static double digitHeight(const QFont& font);
    // The monospaced system font in a weight whose digits are `height` points tall.
    static QFont digitFont(double height, QFont::Weight weight);

    // A rate such as "12.3 MB/s" shortened to "12M": the unit letter kept,
    // the bytes-per-second suffix dropped, whole numbers from 10 up and one
    // decimal below; any other text unchanged.
    static QString compactRate(const QString& text);

    // The horizontal factor (at most 1) that makes text `advance` wide fit
    // `room`, down to a 64th: the glyph contours kept for a factor then
    // serve the many widths that round to it.
    static double squeeze(double advance, double room)
    {
        constexpr double steps = 64;
        if (!(room > 0) || !(advance > room))
            return 1.0;
        return std::max(std::floor(room / advance * steps), 1.0) / steps;
    }
    // Draws text whose baseline starts at `origin`, squeezed sideways by
    // `factor`, in the painter's font and pen; over a contour of `contour`
    // TileView::contourWidth wide around its glyphs when given.
    static void drawSqueezed(QPainter& painter, QPointF origin, const QString& text, double factor,
                             const std::optional<QColor>& contour = std::nullopt);
};

} // namespace gaugelet
