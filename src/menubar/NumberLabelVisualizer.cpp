#include "menubar/NumberLabelVisualizer.h"

#include "menubar/RenderHasher.h"
#include "menubar/SquareFit.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/Color.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

const QString kId = QStringLiteral("viz.numberLabel");

// Square: a panel that fits each tile into a square slot shows it at full
// size, and the stacked badge and value need no more width than height.
double tileWidth(double s, NumberLabelVisualizer::Shape shape)
{
    (void)shape;
    return std::ceil(s);
}

// Line box of a font: ascent plus descent, without the leading.
double lineHeight(const QFontMetricsF& fm) { return fm.ascent() + fm.descent(); }

// A small solid triangle pointing down (or up), `w` wide and `h` high, its
// box's top-left corner at `topLeft`.
QPainterPath arrow(QPointF topLeft, double w, double h, bool down)
{
    QPainterPath path;
    const double x = topLeft.x();
    const double y = topLeft.y();
    if (down) {
        path.moveTo(x, y);
        path.lineTo(x + w, y);
        path.lineTo(x + w / 2, y + h);
    } else {
        path.moveTo(x, y + h);
        path.lineTo(x + w, y + h);
        path.lineTo(x + w / 2, y);
    }
    path.closeSubpath();
    return path;
}

class NumberLabelTileView : public TileView {
public:
    NumberLabelVisualizer::Shape shape = NumberLabelVisualizer::Shape::single;
    double s = NumberLabelVisualizer::defaultSize;
    Theme theme = Theme::light;
    QString label;
    QString badge;
    std::optional<QColor> background;
    QString downText;
    QString upText;
    // Around text and arrows when the panel's shade is guessed.
    std::optional<QColor> contour;

    QSizeF size() const override { return { tileWidth(s, shape), s }; }

    void paint(QPainter& painter) const override
    {
        const QColor text = NumberLabelVisualizer::textColor(theme);
        const double W = tileWidth(s, shape);
        // Drawn for a small slot, the tile keeps its digits legible there.
        const double pixelsPerPoint = TileView::devicePixelsPerPoint(painter);
        if (s * pixelsPerPoint < SquareFit::compactBelowPixels) {
            if (shape == NumberLabelVisualizer::Shape::single)
                paintCompactSingle(painter, text, W, pixelsPerPoint);
            else
                paintCompactDirectional(painter, text, W, pixelsPerPoint);
            return;
        }
        const double h = std::max(s - 2, 6.0);
        // The inner frame sits between two clear 1 pt strips, centred in s.
        const double innerTop = (s - (h + 2)) / 2 + 1;
        if (shape == NumberLabelVisualizer::Shape::single)
            paintSingle(painter, text, W, h, innerTop);
        else
            paintDirectional(painter, text, W, h, innerTop);
    }

private:
    // The width a contour takes beside the text, both sides together.
    double contourRoom() const { return contour ? 2 * TileView::contourWidth : 0; }

    // The background's rounded capsule behind the value, when it has one.
    void paintCapsule(QPainter& painter, double W, double mid, double height) const
    {
        if (!background)
            return;
        QPainterPath path;
        path.addRoundedRect(QRectF(0, mid - height / 2, W, height), height / 2, height / 2);
        painter.fillPath(path, *background);
    }

    // One rate: its arrow and its figure, each over the contour when there is one.
    void paintRateLine(QPainter& painter, const QColor& text, const QPainterPath& arrowShape, QPointF textAt,
                       const QString& value, double squeeze) const
    {
        if (contour)
            painter.strokePath(arrowShape,
                               QPen(*contour, 2 * TileView::contourWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.fillPath(arrowShape, text);
        SquareFit::drawSqueezed(painter, textAt, value, squeeze, contour);
    }

    // The badge over the value, both centred. The value's digits are as tall
    // as a square panel slot needs (scaled with the size setting); the badge
    // takes a smaller heavy face. Either is squeezed sideways when wider
    // than the tile.
    void paintSingle(QPainter& painter, const QColor& text, double W, double h, double innerTop) const
    {
        const double scale = s / NumberLabelVisualizer::defaultSize;
        const QFont valueFont = SquareFit::digitFont(SquareFit::valueDigitHeight * scale, QFont::DemiBold);
        const QFont badgeFont = TileView::monospacedFont(std::max(s * 0.3, 5.0), QFont::ExtraBold);
        const QFontMetricsF valueMetrics = SquareFit::metrics(valueFont);
        const QFontMetricsF badgeMetrics = SquareFit::metrics(badgeFont);

        const double f = valueFont.pointSizeF();
        const double capsuleHeight = std::min(std::max((f + 4) * 0.85, 12.0), h);
        const double layeredHeight = std::max(lineHeight(valueMetrics), capsuleHeight);
        const double badgeHeight = badge.isEmpty() ? 0 : lineHeight(badgeMetrics);
        // Both lines inside the inner frame, even when their boxes together
        // are a little taller than it: the boxes' empty margins overlap.
        const double stackTop = innerTop + std::max((h - (badgeHeight + layeredHeight)) / 2, 0.0);
        const double overlap = std::max(badgeHeight + layeredHeight - h, 0.0);

        if (!badge.isEmpty()) {
            QColor badgeColor = text;
            badgeColor.setAlphaF(text.alphaF() * 0.8f);
            painter.setFont(badgeFont);
            painter.setPen(badgeColor);
            const double advance = badgeMetrics.horizontalAdvance(badge);
            const double squeeze = SquareFit::squeeze(advance, W - 1 - contourRoom());
            const double x = (W - advance * squeeze) / 2;
            SquareFit::drawSqueezed(painter, QPointF(x, stackTop + badgeMetrics.ascent()), badge, squeeze, contour);
        }

        const double layeredMid = stackTop + badgeHeight - overlap + layeredHeight / 2;
        paintCapsule(painter, W, layeredMid, capsuleHeight);
        painter.setFont(valueFont);
        painter.setPen(text);
        const double advance = valueMetrics.horizontalAdvance(label);
        const double squeeze = SquareFit::squeeze(advance, W - 1 - contourRoom());
        const double x = (W - advance * squeeze) / 2;
        const double baseline = layeredMid - lineHeight(valueMetrics) / 2 + valueMetrics.ascent();
        SquareFit::drawSqueezed(painter, QPointF(x, baseline), label, squeeze, contour);
    }

    // For a small slot: the value alone (the badge would leave it too
    // little room), its digits minimumSmallDigitPixels tall at least, on a
    // whole-pixel baseline, centred; half a pixel clear of either side.
    void paintCompactSingle(QPainter& painter, const QColor& text, double W, double pixelsPerPoint) const
    {
        const double scale = s / NumberLabelVisualizer::defaultSize;
        const double digits =
            std::max(SquareFit::valueDigitHeight * scale, SquareFit::smallDigitPixels / pixelsPerPoint);
        const QFont font = SquareFit::digitFont(digits, QFont::DemiBold);
        const QFontMetricsF metrics = SquareFit::metrics(font);
        const double pixel = 1 / pixelsPerPoint;
        const double baseline = std::round((s + digits) / 2 * pixelsPerPoint) / pixelsPerPoint;
        paintCapsule(painter, W, baseline - digits / 2, std::min(digits + 4 * pixel, s));
        painter.setFont(font);
        painter.setPen(text);
        const double advance = metrics.horizontalAdvance(label);
        const double squeeze = SquareFit::squeeze(advance, W - pixel - contourRoom());
        SquareFit::drawSqueezed(painter, QPointF((W - advance * squeeze) / 2, baseline), label, squeeze, contour);
    }

    // For a small slot: the two lines fill the tile's height a pixel apart,
    // their digits a whole number of pixels tall (minimumSmallDigitPixels in
    // a 16-pixel slot: 7, a gap and 7 leave one pixel) on whole-pixel
    // baselines, so that no digit row is shared with the other line or
    // smeared over two; the arrows narrower.
    void paintCompactDirectional(QPainter& painter, const QColor& text, double W, double pixelsPerPoint) const
    {
        const double scale = s / NumberLabelVisualizer::defaultSize;
        const double pixel = 1 / pixelsPerPoint;
        const double gap = pixel;
        const double wanted =
            std::max(SquareFit::valueDigitHeight * scale * pixelsPerPoint, SquareFit::minimumSmallDigitPixels);
        const double tallest = std::floor((s * pixelsPerPoint - 1) / 2);
        const double digits = std::min(std::round(wanted), tallest) * pixel;
        const QFont font = SquareFit::digitFont(digits, QFont::DemiBold);
        const QFontMetricsF metrics = SquareFit::metrics(font);
        const double arrowW = std::max(std::floor(digits * 0.5 * pixelsPerPoint), 3.0) * pixel;
        const double arrowH = std::max(std::round(digits * 0.45 * pixelsPerPoint), 3.0) * pixel;
        const double margin = pixel / 2 + contourRoom() / 2;
        const double textX = margin + arrowW + pixel;
        const double room = W - margin - textX;
        const double top = std::round((s - (2 * digits + gap)) / 2 * pixelsPerPoint) / pixelsPerPoint;
        const double firstBaseline = top + digits;
        const double secondBaseline = firstBaseline + gap + digits;
        painter.setFont(font);
        painter.setPen(text);
        const std::pair<double, const QString*> lines[] = {{firstBaseline, &downText}, {secondBaseline, &upText}};
        for (const auto& [baseline, value] : lines) {
            const bool down = value == &downText;
            const QPointF arrowTop(margin, baseline - digits / 2 - arrowH / 2);
            paintRateLine(painter, text, arrow(arrowTop, arrowW, arrowH, down), QPointF(textX, baseline), *value,
                          SquareFit::squeeze(metrics.horizontalAdvance(*value), room));
        }
    }

    // Two lines, down over up, each a small arrow and the rate without its
    // "B/s". Placed by their ink: the digits fill the inner frame's height
    // with a gap between the lines, so nothing reaches past the tile.
    void paintDirectional(QPainter& painter, const QColor& text, double W, double h, double innerTop) const
    {
        const double scale = s / NumberLabelVisualizer::defaultSize;
        const double gap = std::max(1.5 * scale, 1.0);
        const double digits = std::min(SquareFit::valueDigitHeight * scale, (h - gap) / 2);
        const QFont font = SquareFit::digitFont(digits, QFont::DemiBold);
        const QFontMetricsF metrics = SquareFit::metrics(font);
        const double arrowW = std::round(digits * 0.7);
        const double arrowH = std::round(digits * 0.6);
        // Half a point clear of either edge, so no antialiased pixel is cut
        // (the contour's width more when there is one).
        const double margin = 0.5 + contourRoom() / 2;
        const double textX = margin + arrowW + std::max(1.0, 0.5 * scale);
        const double room = W - margin - textX;
        const double firstBaseline = innerTop + (h - (2 * digits + gap)) / 2 + digits;
        const double secondBaseline = firstBaseline + gap + digits;
        painter.setFont(font);
        painter.setPen(text);
        const std::pair<double, const QString*> lines[] = {{firstBaseline, &downText}, {secondBaseline, &upText}};
        for (const auto& [baseline, value] : lines) {
            const bool down = value == &downText;
            const QPointF arrowTop(margin, baseline - digits / 2 - arrowH / 2);
            paintRateLine(painter, text, arrow(arrowTop, arrowW, arrowH, down), QPointF(textX, baseline), *value,
                          SquareFit::squeeze(metrics.horizontalAdvance(*value), room));
        }
    }
};

const Series* findSeries(const StatSnapshot& snapshot, QStringView id)
{
    for (const Series& series : snapshot.breakdown) {
        if (series.id == id)
            return &series;
    }
    return nullptr;
}

} // namespace

NumberLabelVisualizer::NumberLabelVisualizer()
    : m_size(kId, {minimumSize, maximumSize, defaultSize}, sizeNotificationPrefix)
{
}

QString NumberLabelVisualizer::id() const { return kId; }

QString NumberLabelVisualizer::displayName() const
{
    return QCoreApplication::translate("NumberLabelVisualizer", "Number");
}

QString NumberLabelVisualizer::chipLabel() const { return QStringLiteral("%"); }

QColor NumberLabelVisualizer::textColor(Theme theme)
{
    // Over a contour, opaque: the ink then reads against the contour itself.
    if (isShadeGuessed(theme))
        return isDark(theme) ? QColor(255, 255, 255) : QColor(0, 0, 0);
    return isDark(theme) ? QColor::fromRgbF(1, 1, 1, 0.95f) : QColor::fromRgbF(0, 0, 0, 0.85f);
}

QSizeF NumberLabelVisualizer::size() const
{
    return {tileWidth(m_size.value(), m_lastShape), m_size.value()};
}

NumberLabelVisualizer::Shape NumberLabelVisualizer::shapeOf(const StatSnapshot& snapshot)
{
    if (snapshot.breakdown.size() != 2)
        return Shape::single;
    const bool hasUp = findSeries(snapshot, u"up") != nullptr;
    const bool hasDown = findSeries(snapshot, u"down") != nullptr;
    return hasUp && hasDown ? Shape::directional : Shape::single;
}

QString NumberLabelVisualizer::directionalText(const Series& series)
{
    if (series.displayValue)
        return *series.displayValue;
    return QString::asprintf("%.0f", series.value);
}

std::unique_ptr<TileView> NumberLabelVisualizer::makeView(const StatSnapshot& snapshot, Theme theme)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto view = std::make_unique<NumberLabelTileView>();
    m_lastShape = shapeOf(snapshot);
    view->shape = m_lastShape;
    view->s = m_size.value();
    view->theme = theme;
    view->contour = TileView::contourColor(theme);

    if (SettingsSchema::boolean(SettingsSchema::statBgEnabled)) {
        const QString hex = SettingsSchema::string(SettingsSchema::statBgHex);
        if (auto parsed = Color::fromHex(hex))
            view->background = *parsed;
        else
            view->background = isDark(theme) ? QColor::fromRgbF(1, 1, 1, 0.32f) : QColor::fromRgbF(0, 0, 0, 0.2f);
    }

    if (m_lastShape == Shape::single) {
        view->label = snapshot.label;
        view->badge = snapshot.badgeText;
    } else {
        const QString dash = QString(QChar(0x2013));
        const Series* down = findSeries(snapshot, u"down");
        const Series* up = findSeries(snapshot, u"up");
        view->downText = down ? SquareFit::compactRate(directionalText(*down)) : dash;
        view->upText = up ? SquareFit::compactRate(directionalText(*up)) : dash;
    }
    return view;
}

qint64 NumberLabelVisualizer::renderKey(const StatSnapshot& snapshot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    RenderHasher hasher;
    hasher.combine(snapshot.providerId);
    hasher.combine(snapshot.label);
    hasher.combine(RenderHasher::toKeyInteger(m_size.value()));
    m_lastShape = shapeOf(snapshot);
    hasher.combine(int(m_lastShape));
    hasher.combine(SettingsSchema::boolean(SettingsSchema::statBgEnabled));
    hasher.combine(SettingsSchema::string(SettingsSchema::statBgHex));
    if (m_lastShape == Shape::single)
        hasher.combine(snapshot.badgeText);
    for (const Series& series : snapshot.breakdown) {
        hasher.combine(series.id);
        // A directional tile draws the value itself when there is no display
        // value, so that text is part of the picture's inputs.
        if (m_lastShape == Shape::directional)
            hasher.combine(directionalText(series));
        else
            hasher.combine(series.displayValue.value_or(QString()));
    }
    return hasher.finalize();
}

} // namespace gaugelet
