#include "menubar/SquareFit.h"

#include "menubar/TileView.h"

#include <QCache>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTransform>
#include <cmath>

namespace gaugelet {

namespace {

// 72 dots per inch: one font point is one logical pixel.
constexpr int dotsPerMeterAt72Dpi = 2835;

const QString digits = QStringLiteral("0123456789");

// The contour of one glyph drawn at (0, 0): its outline, squeezed sideways
// by `factor`, stroked round 2 × TileView::contourWidth wide, as the one
// outline of the area the stroke covers. The stroke alone is a hundred or
// more curves overlapping one another, and filling them costs several times
// what drawing the rest of a tile does; their union, flattened to within an
// eighth of a point, is a few dozen lines. Building it costs more again, and
// tiles draw the same few glyphs (digits, units, badges) at every height
// each time a value changes: the glyphs are kept, 256 kB of path elements at
// most (a glyph takes 1-3 kB), keyed by the font, the glyph and the factor.
// The key a glyph's contour is kept by: its font, glyph and squeeze.
QString glyphKey(const QRawFont& font, quint32 glyph, double factor)
{
    return font.familyName() + u'\x1f' + font.styleName() + u'\x1f' + QString::number(font.pixelSize(), 'g', 17)
           + u'\x1f' + QString::number(int(font.weight())) + u'\x1f' + QString::number(int(font.style())) + u'\x1f'
           + QString::number(glyph) + u'\x1f' + QString::number(factor, 'g', 17);
}

QPainterPath glyphContour(const QRawFont& font, quint32 glyph, double factor, const QString& key)
{
    constexpr qsizetype maxElementBytes = 256 * 1024;
    // The union flattens curves to within half a unit: found at this many
    // units a point.
    constexpr double unitsPerPoint = 4;
    static QMutex mutex;
    static QCache<QString, QPainterPath> cache(maxElementBytes);
    {
        const QMutexLocker lock(&mutex);
        if (const QPainterPath* known = cache.object(key))
            return *known;
    }
    QPainterPathStroker stroker;
    stroker.setWidth(2 * TileView::contourWidth * unitsPerPoint);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    // Stroked in unsqueezed points, so the contour is as wide on every side.
    const QPainterPath stroke = stroker.createStroke(
        QTransform::fromScale(factor * unitsPerPoint, unitsPerPoint).map(font.pathForGlyph(glyph)));
    const QPainterPath contour = QTransform::fromScale(1 / unitsPerPoint, 1 / unitsPerPoint).map(stroke.simplified());
    const qsizetype bytes = qsizetype(sizeof(QPainterPath::Element)) * std::max(contour.elementCount(), 1);
    const QMutexLocker lock(&mutex);
    cache.insert(key, new QPainterPath(contour), bytes);
    return contour;
}

// Each glyph's contour of a run, where it goes and the key it is kept by.
struct PlacedContour {
    QPointF at;
    QPainterPath path;
    QString key;
};
using PlacedContours = QList<PlacedContour>;

// The glyph contours of `text` whose baseline starts at (0, 0), in `font`
// (resolved for a device of `dpi`), squeezed by `factor`: each glyph's where
// the text's layout places it (as QPainterPath::addText lays it out). The
// last runs are kept too: a tile draws the same run at every height, and a
// runner's label each time it is drawn again, without laying it out anew.
PlacedContours placedContours(const QFont& font, int dpi, const QString& text, double factor)
{
    constexpr int keptRuns = 64; // their paths are shared with the glyphs' kept ones
    static QMutex mutex;
    static QCache<QString, PlacedContours> cache(keptRuns);
    const QString key =
        font.key() + u'\x1f' + QString::number(dpi) + u'\x1f' + QString::number(factor, 'g', 17) + u'\x1f' + text;
    {
        const QMutexLocker lock(&mutex);
        if (const PlacedContours* known = cache.object(key))
            return *known;
    }
    QTextLayout layout(text, font);
    QTextOption option = layout.textOption();
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    PlacedContours placed;
    if (line.isValid()) {
        const double baseline = line.ascent();
        for (const QGlyphRun& run : line.glyphRuns()) {
            const QRawFont raw = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
                QString glyphId = glyphKey(raw, glyphs.at(i), factor);
                QPainterPath path = glyphContour(raw, glyphs.at(i), factor, glyphId);
                placed.append({QPointF(positions.at(i).x() * factor, positions.at(i).y() - baseline), std::move(path),
                               std::move(glyphId)});
            }
        }
    }
    const QMutexLocker lock(&mutex);
    cache.insert(key, new PlacedContours(placed));
    return placed;
}

// Device pixels are cut in this many steps each way for a contour's place.
constexpr int spriteSteps = 4;

// A glyph's contour filled in `color` at `pixelsPerPoint`, its origin
// (`stepX`, `stepY`) steps of a pixel into the image's pixel at `offset`:
// drawn at a whole device pixel, it covers what filling the contour there
// would. Filling a contour costs tens of thousands of instructions, a tile
// has a few glyphs and draws again each time its value changes, and tiles
// draw the same few glyphs at one or two scales: the filled contours are
// kept, 128 kB of pixels at most (one takes 1-2 kB), as copies that hold no
// paint engine.
struct ContourSprite {
    QImage image;
    QPoint offset;
};

ContourSprite contourSprite(const PlacedContour& glyph, double pixelsPerPoint, double ratio, int stepX, int stepY,
                            const QColor& color)
{
    constexpr qsizetype maxBytes = 128 * 1024;
    static QMutex mutex;
    static QCache<QString, ContourSprite> cache(maxBytes);
    const QString key = glyph.key + u'\x1f' + QString::number(std::llround(pixelsPerPoint * 1e9)) + u'\x1f'
                        + QString::number(std::llround(ratio * 1e9)) + u'\x1f' + QString::number(stepX) + u'\x1f'
                        + QString::number(stepY) + u'\x1f' + QString::number(color.rgba());
    {
        const QMutexLocker lock(&mutex);
        if (const ContourSprite* known = cache.object(key))
            return *known;
    }
    const QPointF shift(double(stepX) / spriteSteps, double(stepY) / spriteSteps);
    const QRectF box =
        QTransform::fromScale(pixelsPerPoint, pixelsPerPoint).mapRect(glyph.path.boundingRect()).translated(shift);
    const QRect pixels(QPoint(int(std::floor(box.left())) - 1, int(std::floor(box.top())) - 1),
                       QPoint(int(std::ceil(box.right())) + 1, int(std::ceil(box.bottom())) + 1));
    ContourSprite sprite{QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied), pixels.topLeft()};
    if (sprite.image.isNull())
        return sprite;
    sprite.image.fill(Qt::transparent);
    QPainter painter(&sprite.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(shift - QPointF(pixels.topLeft()));
    painter.scale(pixelsPerPoint, pixelsPerPoint);
    painter.fillPath(glyph.path, color);
    painter.end();
    sprite.image = sprite.image.copy();      // without the paint engine the painted image keeps
    sprite.image.setDevicePixelRatio(ratio); // drawn one pixel to one device pixel
    const QMutexLocker lock(&mutex);
    cache.insert(key, new ContourSprite(sprite), std::max<qsizetype>(sprite.image.sizeInBytes(), 1));
    return sprite;
}

// Fills the contours of `placed` in `color` where the painter draws at its
// origin: from the kept sprites, each at the whole device pixel nearest its
// place to a step, when the painter only moves and scales evenly; else
// each contour filled anew.
void fillContours(QPainter& painter, const PlacedContours& placed, const QColor& color)
{
    const QTransform device = painter.deviceTransform();
    const double pixelsPerPoint = device.m11();
    if (device.type() > QTransform::TxScale || !(pixelsPerPoint > 0)
        || std::abs(device.m22() - pixelsPerPoint) > 1e-9) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        for (const PlacedContour& glyph : placed) {
            painter.translate(glyph.at);
            painter.fillPath(glyph.path, color);
            painter.translate(-glyph.at);
        }
        painter.restore();
        return;
    }
    painter.save();
    painter.resetTransform();
    // Device pixels per unit left without a world transform: the device's
    // pixel ratio, or 1 where the painter takes a ratio below 1 as 1.
    const double ratio = painter.deviceTransform().m11();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // The whole device pixel at or left of (above) a place counted in steps.
    const auto whole = [](qint64 steps) { return qint64(std::floor(double(steps) / spriteSteps)); };
    for (const PlacedContour& glyph : placed) {
        const QPointF at = device.map(glyph.at);
        const auto stepsX = qint64(std::llround(at.x() * spriteSteps));
        const auto stepsY = qint64(std::llround(at.y() * spriteSteps));
        const qint64 wholeX = whole(stepsX);
        const qint64 wholeY = whole(stepsY);
        const ContourSprite sprite = contourSprite(glyph, pixelsPerPoint, ratio, int(stepsX - wholeX * spriteSteps),
                                                   int(stepsY - wholeY * spriteSteps), color);
        if (sprite.image.isNull())
            continue;
        painter.drawImage(
            QPointF(double(wholeX + sprite.offset.x()) / ratio, double(wholeY + sprite.offset.y()) / ratio),
            sprite.image);
    }
    painter.restore();
}

} // namespace

QPaintDevice* SquareFit::device()
{
    static QImage image = [] {
        QImage i(1, 1, QImage::Format_ARGB32_Premultiplied);
        i.setDotsPerMeterX(dotsPerMeterAt72Dpi);
        i.setDotsPerMeterY(dotsPerMeterAt72Dpi);
        return i;
    }();
    return &image;
}

QRectF SquareFit::inkBox(const QFont& font, const QString& text)
{
    constexpr double magnification = 10;
    QFont large = font;
    if (font.pixelSize() > 0)
        large.setPixelSize(int(font.pixelSize() * magnification));
    else
        large.setPointSizeF(font.pointSizeF() * magnification);
    const QRectF box = metrics(large).tightBoundingRect(text);
    return QRectF(box.topLeft() / magnification, box.size() / magnification);
}

double SquareFit::digitHeight(const QFont& font)
{
    return inkBox(font, digits).height();
}

QFont SquareFit::digitFont(double height, QFont::Weight weight)
{
    constexpr double reference = 10;
    // Measured once per weight: a tile is drawn at every height a host
    // shows, each time its value changes.
    static QHash<int, double> ratios;
    auto known = ratios.constFind(int(weight));
    if (known == ratios.cend())
        known = ratios.insert(int(weight), digitHeight(TileView::monospacedFont(reference, weight)) / reference);
    const double ratio = *known;
    return TileView::monospacedFont(ratio > 0 ? height / ratio : height, weight);
}

QString SquareFit::compactRate(const QString& text)
{
    static const QRegularExpression rate(QStringLiteral("^\\s*([0-9]+(?:\\.[0-9]+)?)\\s*([KMGT])B/s\\s*$"));
    const QRegularExpressionMatch match = rate.match(text);
    if (!match.hasMatch())
        return text;
    // At most two significant digits below ten, whole numbers above: 1.25
    // reads 1.3, 12.3 reads 12, 123.4 reads 123.
    const QString digits = match.captured(1);
    const double v = digits.toDouble();
    QString number = digits;
    if (v >= 9.95)
        number = QString::number(std::lround(v));
    else if (digits.contains(u'.'))
        number = QString::number(v, 'f', 1);
    return number + match.captured(2);
}

void SquareFit::drawSqueezed(QPainter& painter, QPointF origin, const QString& text, double factor,
                             const std::optional<QColor>& contour)
{
    painter.save();
    painter.translate(origin);
    if (contour) {
        const int dpi = painter.device() ? painter.device()->logicalDpiY() : 0;
        fillContours(painter, placedContours(painter.font(), dpi, text, factor), *contour);
    }
    painter.scale(factor, 1.0);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}

} // namespace gaugelet
