#include "menubar/SquareFit.h"

#include "menubar/TileView.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <QRegularExpression>
#include <QTransform>
#include <cmath>

namespace gaugelet {

namespace {

// 72 dots per inch: one font point is one logical pixel.
constexpr int dotsPerMeterAt72Dpi = 2835;

const QString digits = QStringLiteral("0123456789");

// The contour of a text run drawn at `origin` (0, 0): its glyphs' outline,
// squeezed sideways by `factor`, stroked round 2 × TileView::contourWidth
// wide. Building it (hinted glyph outlines, flattened and stroked) costs
// several times what filling it does, and a tile draws the same few runs at
// every height each time its value changes: the last runs are kept, about
// 256 kB of path elements at most. Keyed by the font's description, the
// device's resolution (a painter's font is resolved against it), the factor
// and the text.
QPainterPath contourOf(const QFont& font, int dpi, const QString& text, double factor)
{
    constexpr qsizetype maxElementBytes = 256 * 1024;
    static QMutex mutex;
    static QCache<QString, QPainterPath> cache(maxElementBytes);
    const QString key = font.key() + u'\x1f' + QString::number(dpi) + u'\x1f' + QString::number(factor, 'g', 17)
                        + u'\x1f' + text;
    {
        const QMutexLocker lock(&mutex);
        if (const QPainterPath* known = cache.object(key))
            return *known;
    }
    QPainterPath glyphs;
    glyphs.addText(QPointF(0, 0), font, text);
    QPainterPathStroker stroker;
    stroker.setWidth(2 * TileView::contourWidth);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    // Stroked in unsqueezed points, so the contour is as wide on every side.
    const QPainterPath contour = stroker.createStroke(QTransform::fromScale(factor, 1.0).map(glyphs));
    const qsizetype bytes = qsizetype(sizeof(QPainterPath::Element)) * std::max(contour.elementCount(), 1);
    const QMutexLocker lock(&mutex);
    cache.insert(key, new QPainterPath(contour), bytes);
    return contour;
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
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(contourOf(painter.font(), dpi, text, factor), *contour);
        painter.restore();
    }
    painter.scale(factor, 1.0);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}

} // namespace gaugelet
