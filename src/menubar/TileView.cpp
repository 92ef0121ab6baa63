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
    const double w = std::ceil(points.width() * scale);
    const double h = std::ceil(points.height() * scale);
    if (!(w <= maxImageSide) || !(h <= maxImageSide))
        return {};

    QImage image(int(w), int(h), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(scale);
    image.setDotsPerMeterX(dotsPerMeterAt72Dpi);
    image.setDotsPerMeterY(dotsPerMeterAt72Dpi);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    paint(painter);
    painter.end();
    return image;
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
