#include "menubar/RunnerLabelImage.h"

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
    return Appearance::instance()->isDark() ? QColor(255, 255, 255, 140) : QColor(0, 0, 0, 128);
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

} // namespace

QFont RunnerLabelImage::font()
{
    QFont font = TileView::monospacedFont(8, QFont::ExtraBold);
    font.setPixelSize(8); // points are our logical pixels
    return font;
}

QImage RunnerLabelImage::render(const AnimatedTagSpec& label, double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return {};
    const QFont labelFont = font();
    const auto parsed = Color::fromHex(label.fgHex);
    const QColor color = parsed ? *parsed : secondaryLabelColor();
    if (label.orientation == TagOrientation::vertical)
        return vertical(label, labelFont, color, scale);
    return horizontal(label, labelFont, color, scale);
}

QImage RunnerLabelImage::horizontal(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale)
{
    const QFontMetricsF metrics(font);
    const double tw = label.text.isEmpty() ? 0 : metrics.horizontalAdvance(label.text);
    const double th = label.text.isEmpty() ? 0 : metrics.height();
    const double pad = label.bgHex ? 2 : 0;
    const double w = std::ceil(tw) + 2 * pad;
    const double h = std::ceil(th);
    if (w <= 0 || h <= 0 || std::ceil(tw) <= 0)
        return {};
    QImage image = makeBitmap(w, h, scale);
    if (image.isNull())
        return image;
    QPainter p(&image);
    beginLabel(p, label, QRectF(0, 0, w, h), h / 2, font, color, scale);
    p.drawText(QPointF(pad, metrics.ascent()), label.text);
    p.end();
    return image;
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
    const QFontMetricsF metrics(font);
    QList<double> widths;
    double cw = 0;
    for (const QString& c : chars) {
        const double w = std::ceil(metrics.horizontalAdvance(c));
        widths.append(w);
        cw = std::max(cw, w);
    }
    const double lh = std::ceil(metrics.height());
    const double pad = label.bgHex ? 2 : 0;
    const double W = cw + 2 * pad;
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
        p.drawText(QPointF(x, top + metrics.ascent()), chars.at(i));
    }
    p.end();
    return image;
}

} // namespace gaugelet
