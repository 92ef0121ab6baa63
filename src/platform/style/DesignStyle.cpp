#include "platform/style/DesignStyle.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace gaugelet {

namespace {
constexpr qreal kDesignBodySize = 13.0;

qreal appBodySize()
{
    const qreal size = QApplication::font().pointSizeF();
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
    QFont f = QApplication::font();
    if (pointSize > 0 && std::isfinite(pointSize))
        f.setPointSizeF(pointSize);
    f.setBold(isBold(style));
    return f;
}

QFont DesignStyle::systemFont(qreal designPoints, QFont::Weight weight)
{
    QFont f = QApplication::font();
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
    case Colour::secondary: return faded(dark ? 0.55 : 0.5);
    case Colour::tertiary: return faded(dark ? 0.25 : 0.26);
    case Colour::quaternary: return faded(dark ? 0.10 : 0.10);
    case Colour::accent: return palette.color(QPalette::Highlight);
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

QColor DesignStyle::colour(Colour c, const QWidget* widget)
{
    return colour(c, widget ? widget->palette() : QApplication::palette());
}

} // namespace gaugelet
