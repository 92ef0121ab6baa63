// Text colours keep their contrast on the backgrounds they are drawn on, in
// light and dark palettes: body text and links 4.5:1, secondary text 3:1
// (WCAG 2, the colour alpha-composited over the background).
#include "platform/style/DesignStyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;
using Colour = DesignStyle::Colour;

namespace {

double linear(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

QColor composite(const QColor& ink, const QColor& background)
{
    const double a = ink.alphaF();
    return QColor::fromRgbF(float(ink.redF() * a + background.redF() * (1 - a)),
                            float(ink.greenF() * a + background.greenF() * (1 - a)),
                            float(ink.blueF() * a + background.blueF() * (1 - a)));
}

double contrastRatio(const QColor& ink, const QColor& background)
{
    const double l1 = luminance(composite(ink, background)), l2 = luminance(background);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

QPalette palette(const QColor& window, const QColor& base, const QColor& text, const QColor& highlight)
{
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, highlight);
    return p;
}

} // namespace

TEST(DesignStyle, TextColoursReachTheirContrastLightAndDark)
{
    struct Named {
        const char* name;
        QPalette palette;
    };
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const Named palettes[] = {
        {"Fusion light", QApplication::style()->standardPalette()},
        {"light, bright accent", palette(QColor(0xef, 0xf0, 0xf1), Qt::white, QColor(0x23, 0x26, 0x29), QColor(0x3d, 0xae, 0xe9))},
        {"light, system blue", palette(QColor(0xef, 0xef, 0xef), Qt::white, Qt::black, QColor(0, 122, 255))},
        {"dark, settings", palette(QColor(0x1e, 0x1e, 0x1e), QColor(0x2a, 0x2a, 0x2a), QColor(0xe8, 0xe8, 0xe8), QColor(0x0a, 0x84, 0xff))},
        {"dark, popover", palette(QColor(40, 40, 44), QColor(30, 30, 33), QColor(235, 235, 240), QColor(10, 132, 255))},
        {"dark, deep accent", palette(QColor(0x35, 0x35, 0x35), QColor(0x2d, 0x2d, 0x2d), QColor(0xee, 0xee, 0xee), QColor(0x1b, 0x4f, 0x9c))},
    };
    struct Style {
        const char* name;
        Colour colour;
        double ratio;
    };
    const Style styles[] = {
        {"primary", Colour::primary, 4.5},
        {"link", Colour::link, 4.5},
        {"secondary", Colour::secondary, 3.0},
        {"tertiary", Colour::tertiary, 3.0},
    };
    for (const Named& named : palettes) {
        const QColor window = named.palette.color(QPalette::Window);
        // The window (also the popover's), the base of fields and lists, and
        // a grouped section's card (the text colour at 10 % on the window).
        QColor card = named.palette.color(QPalette::WindowText);
        card.setAlphaF(0.1f);
        const QColor backgrounds[] = {window, named.palette.color(QPalette::Base), composite(card, window)};
        for (const Style& style : styles) {
            const QColor ink = DesignStyle::colour(style.colour, named.palette);
            for (const QColor& background : backgrounds)
                EXPECT_GE(contrastRatio(ink, background), style.ratio)
                    << named.name << ", " << style.name << " on " << qPrintable(background.name());
        }
        // Colours of data used as text (the providers' orange and light blue).
        for (const QColor& data : {QColor(255, 149, 0), QColor(90, 200, 250), QColor(0, 122, 255)}) {
            for (const double ratio : {3.0, 4.5}) {
                const QColor ink = DesignStyle::readable(data, named.palette, ratio);
                for (const QColor& background : backgrounds)
                    EXPECT_GE(contrastRatio(ink, background), ratio)
                        << named.name << ", " << qPrintable(data.name()) << " on " << qPrintable(background.name());
            }
        }
    }
}
