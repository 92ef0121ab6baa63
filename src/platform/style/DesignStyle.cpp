#include "platform/style/DesignStyle.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {
constexpr qreal kDesignBodySize = 13.0;

qreal appBodySize()
{
    const qreal size = QGuiApplication::font().pointSizeF();
    return size > 0 ? size : kDesignBodySize;
}

bool isBold(DesignStyle::TextStyle style)
{
    return style == DesignStyle::TextStyle::headline || style == DesignStyle::TextStyle::largeTitle
        || style == DesignStyle::TextStyle::title;
}
} // namespace

qreal DesignStyle::designPointSize(TextStyle style)
{
    switch (style) {
    case TextStyle::largeTitle: return 26;
    case TextStyle::title: return 22;
    case TextStyle::title2: return 17;
    case TextStyle::title3: return 15;
    case TextStyle::headline: return 13;
    case TextStyle::body: return 13;
    case TextStyle::callout: return 12;
    case TextStyle::subheadline: return 11;
    case TextStyle::footnote: return 10;
    case TextStyle::caption: return 10;
    case TextStyle::caption2: return 10;
    }
    return kDesignBodySize;
}

QFont DesignStyle::font(TextStyle style)
{
    return font(style, designPointSize(style) * appBodySize() / kDesignBodySize);
}

QFont DesignStyle::font(TextStyle style, qreal pointSize)
{
    QFont f = QGuiApplication::font();
    if (pointSize > 0 && std::isfinite(pointSize))
        f.setPointSizeF(pointSize);
    f.setBold(isBold(style));
    return f;
}

QFont DesignStyle::systemFont(qreal designPoints, QFont::Weight weight)
{
    QFont f = QGuiApplication::font();
    const qreal size = designPoints * appBodySize() / kDesignBodySize;
    if (size > 0 && std::isfinite(size))
        f.setPointSizeF(size);
    f.setWeight(weight);
    return f;
}

QFont DesignStyle::monospacedDigits(QFont font)
{
    // Qt 6.4 cannot ask for OpenType features; the common Linux UI fonts
    // (DejaVu, Noto, Cantarell) already draw digits of one width.
    return font;
}

namespace {

// A WCAG 2 colour channel, linearized.
qreal channel(qreal c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

qreal contrast(const QColor& a, const QColor& b)
{
    return DesignStyle::contrastRatio(a, b);
}

// `ink` at `alpha` painted over an opaque background.
QColor over(const QColor& ink, qreal alpha, const QColor& background)
{
    auto mix = [&](qreal i, qreal b) { return i * alpha + b * (1 - alpha); };
    return QColor::fromRgbF(float(mix(ink.redF(), background.redF())), float(mix(ink.greenF(), background.greenF())),
                            float(mix(ink.blueF(), background.blueF())));
}

// The least opacity from `design` up at which `ink` reaches `ratio` on every
// background (full opacity when even that does not).
qreal readableAlpha(const QColor& ink, qreal design, qreal ratio, const QList<QColor>& backgrounds)
{
    // Views ask for the same few colours on every paint: keep the last answer.
    struct Last {
        QRgb ink = 0;
        qreal design = -1, ratio = -1;
        QList<QRgb> backgrounds;
        qreal alpha = 1;
    };
    thread_local Last last;
    QList<QRgb> keys;
    for (const QColor& bg : backgrounds)
        keys.append(bg.rgba());
    if (last.ink == ink.rgba() && last.design == design && last.ratio == ratio && last.backgrounds == keys)
        return last.alpha;
    auto reaches = [&](qreal alpha) {
        return std::all_of(backgrounds.begin(), backgrounds.end(),
                           [&](const QColor& bg) { return contrast(over(ink, alpha, bg), bg) >= ratio; });
    };
    qreal alpha = design;
    while (alpha < 1.0 && !reaches(alpha))
        alpha = std::min(1.0, alpha + 0.01);
    last = {ink.rgba(), design, ratio, keys, alpha};
    return alpha;
}

// `ink` moved toward `toward` until it reaches `ratio` on every background.
QColor readableColour(const QColor& ink, const QColor& toward, qreal ratio, const QList<QColor>& backgrounds)
{
    auto reaches = [&](const QColor& c) {
        return std::all_of(backgrounds.begin(), backgrounds.end(),
                           [&](const QColor& bg) { return contrast(c, bg) >= ratio; });
    };
    QColor c = ink;
    for (int step = 1; step <= 50 && !reaches(c); ++step)
        c = over(toward, step / 50.0, ink);
    return c;
}

constexpr qreal textRatio = 4.5;

} // namespace

qreal DesignStyle::relativeLuminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

qreal DesignStyle::contrastRatio(const QColor& a, const QColor& b)
{
    const qreal la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QList<QColor> DesignStyle::textBackgrounds(const QPalette& palette)
{
    const QColor window = palette.color(QPalette::Window);
    QColor card = palette.color(QPalette::WindowText);
    card.setAlphaF(1); // a grouped section's fill on the window
    return {window, palette.color(QPalette::Base), colour(Colour::underPageBackground, palette),
            over(card, colour(Colour::quaternary, palette).alphaF(), window)};
}

QColor DesignStyle::readable(const QColor& ink, const QPalette& palette, qreal ratio)
{
    return readableColour(ink, palette.color(QPalette::WindowText), ratio, textBackgrounds(palette));
}

bool DesignStyle::isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor DesignStyle::colour(Colour colour, const QPalette& palette)
{
    const bool dark = isDark(palette);
    auto faded = [&](qreal alpha) {
        QColor c = palette.color(QPalette::WindowText);
        c.setAlphaF(alpha);
        return c;
    };
    switch (colour) {
    case Colour::primary: return palette.color(QPalette::WindowText);
    // Secondary and tertiary text is small (captions, footnotes, group
    // titles, counts): it needs the body text's 4.5:1, which lifts the
    // design's opacities on every common palette.
    case Colour::secondary:
        return faded(
            readableAlpha(palette.color(QPalette::WindowText), dark ? 0.55 : 0.5, textRatio, textBackgrounds(palette)));
    case Colour::tertiary:
        return faded(readableAlpha(palette.color(QPalette::WindowText), dark ? 0.25 : 0.26, textRatio,
                                   textBackgrounds(palette)));
    case Colour::quaternary: return faded(dark ? 0.10 : 0.10);
    case Colour::accent: return palette.color(QPalette::Highlight);
    case Colour::link: return readable(palette.color(QPalette::Highlight), palette, textRatio);
    case Colour::separator: return faded(dark ? 0.15 : 0.1);
    case Colour::controlBackground: return palette.color(QPalette::Base);
    case Colour::windowBackground: return palette.color(QPalette::Window);
    case Colour::underPageBackground: return palette.color(QPalette::Window).darker(dark ? 125 : 106);
    case Colour::red: return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    case Colour::orange: return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    case Colour::yellow: return dark ? QColor(255, 214, 10) : QColor(255, 204, 0);
    case Colour::green: return dark ? QColor(48, 209, 88) : QColor(52, 199, 89);
    case Colour::blue: return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    case Colour::gray: return dark ? QColor(152, 152, 157) : QColor(142, 142, 147);
    }
    return palette.color(QPalette::WindowText);
}

} // namespace gaugelet
