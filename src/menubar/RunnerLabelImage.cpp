#include "menubar/RunnerLabelImage.h"

#include "menubar/SquareFit.h"
#include "menubar/TileView.h"
#include "platform/style/Appearance.h"
#include "stats/Color.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

// The system's secondary label colour on the panel.
QColor secondaryLabelColor()
{
    return Appearance::instance()->isPanelDark() ? QColor(255, 255, 255, 160) : QColor(0, 0, 0, 160);
}

// A bitmap of ceil(scale × w) by ceil(scale × h) pixels, premultiplied,
// transparent.
QImage makeBitmap(double w, double h, double scale)
{
    const int pw = int(std::ceil(scale * w));
    const int ph = int(std::ceil(scale * h));
    if (pw <= 0 || ph <= 0 || pw > TileView::maxImageSide || ph > TileView::maxImageSide)
        return {};
    QImage image(pw, ph, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(SquareFit::device()->logicalDpiX() * 10000 / 254);
    image.setDotsPerMeterY(SquareFit::device()->logicalDpiY() * 10000 / 254);
    image.fill(Qt::transparent);
    return image;
}

// Scales the painter, fills the label's background (a rounded rectangle of
// `radius` over `rect`, when it has one) and sets the text's font and colour.
void beginLabel(QPainter& p, const AnimatedTagSpec& label, const QRectF& rect, double radius, const QFont& font,
                const QColor& color, double scale)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(scale, scale);
    if (label.bgHex) {
        if (const auto bg = Color::fromHex(*label.bgHex)) {
            QPainterPath background;
            background.addRoundedRect(rect, radius, radius);
            p.fillPath(background, *bg);
        }
    }
    p.setFont(font);
    p.setPen(color);
}

// A label that stands over its tile (behind, in the row's terms) and has no
// plate gets a thin contour of the opposite lightness, so its letters read
// over a sprite, a ring or a line as well as over the bare panel; so does
// every label without a plate when the panel's shade is only guessed.
std::optional<QColor> haloColor(const AnimatedTagSpec& label, const QColor& text)
{
    if (label.bgHex || (label.position != TagPosition::behind && !label.contoured))
        return std::nullopt;
    return text.lightnessF() > 0.5 ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

constexpr double haloWidth = TileView::contourWidth;

// Text at `origin` (its baseline's start), squeezed sideways, over its halo.
void drawLabelText(QPainter& p, QPointF origin, const QString& text, double squeeze, const std::optional<QColor>& halo)
{
    SquareFit::drawSqueezed(p, origin, text, squeeze, halo);
}

} // namespace

QFont RunnerLabelImage::font()
{
    QFont font = TileView::monospacedFont(8, QFont::ExtraBold);
    font.setPixelSize(8); // points are our logical pixels
    return font;
}

QFont RunnerLabelImage::valueFont()
{
    return SquareFit::digitFont(SquareFit::valueDigitHeight, QFont::ExtraBold);
}

QImage RunnerLabelImage::render(const AnimatedTagSpec& label, double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return {};
    const QFont labelFont = label.isValue ? valueFont() : font();
    const auto parsed = Color::fromHex(label.fgHex);
    const QColor color = parsed ? *parsed : secondaryLabelColor();
    if (label.orientation == TagOrientation::vertical)
        return vertical(label, labelFont, color, scale);
    return horizontal(label, labelFont, color, scale);
}

QImage RunnerLabelImage::horizontal(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale)
{
    const QFontMetricsF metrics = SquareFit::metrics(font);
    const auto halo = haloColor(label, color);
    const double pad = label.bgHex ? 2 : (halo ? haloWidth : 0);
    // Wider than its tile: a rate drops its "B/s", then the text is squeezed.
    QString text = label.text;
    const double room = label.fitWidth - 2 * pad;
    if (label.fitWidth > 0 && metrics.horizontalAdvance(text) > room)
        text = SquareFit::compactRate(text);
    const double advance = text.isEmpty() ? 0 : metrics.horizontalAdvance(text);
    const double squeeze = label.fitWidth > 0 ? SquareFit::squeeze(advance, room) : 1.0;
    // At most the room, not a rounding error above it.
    const double tw = squeeze < 1 ? std::min(advance * squeeze, std::floor(room)) : advance;
    // On a plate, the line's full height; bare, only the rows the letters
    // ink (with their halo), so labels over a tile hide as little of it as
    // possible and can sit right at the tile's edges.
    double th = text.isEmpty() ? 0 : metrics.height();
    double baseline = metrics.ascent();
    if (!label.bgHex && !text.isEmpty()) {
        const QRectF ink = SquareFit::inkBox(font, text);
        // The baseline on a whole pixel (text is drawn there), with room for
        // the halo and for antialiasing above the letters and below them.
        const double margin = (halo ? haloWidth : 0) + 0.5;
        const double baselinePixels = std::ceil((margin - ink.top()) * scale);
        th = std::ceil(baselinePixels + (ink.bottom() + margin) * scale + 1) / scale;
        baseline = baselinePixels / scale;
    }
    const double w = std::ceil(tw + 2 * pad);
    const double h = label.bgHex ? std::ceil(th) : th;
    if (w <= 0 || h <= 0 || std::ceil(tw) <= 0)
        return {};
    QImage image = makeBitmap(w, h, scale);
    if (image.isNull())
        return image;
    QPainter p(&image);
    beginLabel(p, label, QRectF(0, 0, w, h), h / 2, font, color, scale);
    drawLabelText(p, QPointF(pad, baseline), text, squeeze, halo);
    p.end();
    return image.copy(); // without the paint engine the painted image keeps
}

QStringList RunnerLabelImage::verticalCharacters(const QString& text)
{
    // Characters as a person sees them (grapheme clusters): "e" with a
    // combining accent, a flag or an emoji with its modifiers is one row.
    QStringList chars;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        chars.append(text.mid(start, end - start));
        start = end;
    }
    if (chars.size() < 4)
        return chars;
    return {chars.at(0), chars.at(1), QStringLiteral("…")};
}

QImage RunnerLabelImage::vertical(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale)
{
    const QStringList chars = verticalCharacters(label.text);
    if (chars.isEmpty())
        return {};
    const QFontMetricsF metrics = SquareFit::metrics(font);
    QList<double> widths;
    double cw = 0;
    for (const QString& c : chars) {
        const double w = std::ceil(metrics.horizontalAdvance(c));
        widths.append(w);
        cw = std::max(cw, w);
    }
    const double lh = std::ceil(metrics.height());
    const auto halo = haloColor(label, color);
    const double pad = label.bgHex ? 2 : (halo ? haloWidth : 0);
    const double W = std::ceil(cw + 2 * pad);
    const double H = lh * double(chars.size()) + 2 * pad;
    if (W <= 0 || H <= 0 || cw <= 0 || lh <= 0)
        return {};
    QImage image = makeBitmap(W, H, scale);
    if (image.isNull())
        return image;
    QPainter p(&image);
    beginLabel(p, label, QRectF(0, 0, W, H), 0.4 * std::min(lh, W), font, color, scale);
    for (int i = 0; i < chars.size(); ++i) {
        // Row i counts from the top.
        const double x = pad + (cw - widths.at(i)) / 2;
        const double top = pad + lh * i;
        drawLabelText(p, QPointF(x, top + metrics.ascent()), chars.at(i), 1.0, halo);
    }
    p.end();
    return image.copy(); // without the paint engine the painted image keeps
}

} // namespace gaugelet
