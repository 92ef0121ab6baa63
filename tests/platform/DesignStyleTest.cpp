// Text colours keep their contrast on the backgrounds they are drawn on, in
// light and dark palettes: body, secondary and tertiary text and links 4.5:1
// (WCAG 2 for text below 18 points, the colour alpha-composited over the
// background); data colours used as text the ratio they ask for.
#include "platform/style/DesignStyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

using namespace gaugelet;
using Colour = DesignStyle::Colour;

namespace {

QColor composite(const QColor& ink, const QColor& background)
{
    const double a = ink.alphaF();
    return QColor::fromRgbF(float(ink.redF() * a + background.redF() * (1 - a)),
                            float(ink.greenF() * a + background.greenF() * (1 - a)),
                            float(ink.blueF() * a + background.blueF() * (1 - a)));
}

double contrastRatio(const QColor& ink, const QColor& background)
{
    return DesignStyle::contrastRatio(composite(ink, background), background);
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

TEST(DesignStyle, ContrastRatioIsWcags)
{
    EXPECT_NEAR(DesignStyle::contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(DesignStyle::contrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    EXPECT_NEAR(DesignStyle::contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01); // the 4.5:1 gray
    EXPECT_NEAR(DesignStyle::contrastRatio(QColor(0x0a, 0x84, 0xff), QColor(0x1e, 0x1e, 0x1e)), 4.58, 0.01);
}

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
        // Secondary and tertiary text is small: captions, group titles, counts.
        {"secondary", Colour::secondary, 4.5},
        {"tertiary", Colour::tertiary, 4.5},
    };
    for (const Named& named : palettes) {
        const QColor window = named.palette.color(QPalette::Window);
        // The window (also the popover's), the base of fields and lists, the
        // page beneath cards (the alarms pane's) and a grouped section's card
        // (the text colour at 10 % on the window).
        QColor card = named.palette.color(QPalette::WindowText);
        card.setAlphaF(0.1f);
        const QColor backgrounds[] = {window, named.palette.color(QPalette::Base),
                                      DesignStyle::colour(Colour::underPageBackground, named.palette),
                                      composite(card, window)};
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
