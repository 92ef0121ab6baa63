#include "menubar/TileView.h"

#include <QFontDatabase>
#include <QPainter>
#include <cmath>

namespace gaugelet {

namespace {

// 72 dots per inch: one font point is one logical pixel on a tile image.
constexpr int dotsPerMeterAt72Dpi = 2835;

} // namespace

QImage TileView::render(qreal scale) const
{
    const QSizeF points = size();
    if (!std::isfinite(scale) || scale <= 0 || !std::isfinite(points.width()) || !std::isfinite(points.height())
        || points.width() <= 0 || points.height() <= 0)
        return {};
    // A scale such as 16 / 22 gives 16 pixels, not 17 for a rounding error.
    const double w = std::ceil(points.width() * scale - 1e-9);
    const double h = std::ceil(points.height() * scale - 1e-9);
    if (!(w <= maxImageSide) || !(h <= maxImageSide))
        return {};

    QImage image(int(w), int(h), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.setDotsPerMeterX(dotsPerMeterAt72Dpi);
    image.setDotsPerMeterY(dotsPerMeterAt72Dpi);
    image.fill(Qt::transparent);

    // A painter takes an image pixel ratio below 1 (a tile drawn for a
    // 16-pixel slot) as 1: such a scale is the painter's own.
    const bool belowOne = scale < 1;
    image.setDevicePixelRatio(belowOne ? 1.0 : scale);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    if (belowOne)
        painter.scale(scale, scale);
    paint(painter);
    painter.end();
    image.setDevicePixelRatio(scale);
    // A painted image keeps the paint engine that painted it, with its
    // rasterizer's buffers, for as long as it lives; tiles are cached, so
    // the copy is kept and the engine goes with the original.
    return image.copy();
}

double TileView::devicePixelsPerPoint(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    const double ratio = device ? device->devicePixelRatioF() : 1.0;
    return ratio * std::abs(painter.worldTransform().m22());
}

QFont TileView::monospacedFont(qreal size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(size);
    font.setWeight(weight);
    font.setKerning(false);
    return font;
}

std::optional<QColor> TileView::contourColor(Theme theme)
{
    if (!isShadeGuessed(theme))
        return std::nullopt;
    return isDark(theme) ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

} // namespace gaugelet
