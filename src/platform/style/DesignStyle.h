#pragma once

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QList>
#include <QPalette>

class QWidget;

namespace gaugelet {

// The design's named text styles and semantic colours, mapped once for the
// whole program onto the application font and palette (light and dark alike).
// Design points are device-independent pixels. Every view takes its fonts and
// colours from here, never from sizes or colours of its own.
class DesignStyle {
public:
    enum class TextStyle {
        largeTitle,
        title,
        title2,
        title3,
        headline,
        body,
        callout,
        subheadline,
        footnote,
        caption,
        caption2,
    };

    enum class Colour {
        primary, // the palette's text colour
        // The text colour at decreasing opacity. Secondary and tertiary are
        // text, drawn small, and keep at least 4.5:1 contrast on the window,
        // base, page and card backgrounds: the opacity rises where the
        // design's would not reach it. Quaternary is for fills only.
        secondary,
        tertiary,
        quaternary,
        accent, // QPalette::Highlight
        link,   // the accent as text (links, text buttons): 4.5:1 on the window
        separator,
        controlBackground,
        windowBackground,
        underPageBackground, // behind pages of cards: a shade beneath the window colour
        red,
        orange,
        yellow,
        green,
        blue,
        gray, // the system's neutral gray
    };

    // The body size of the design (13 pt) scaled to the application font:
    // every style keeps its ratio to the body size.
    static QFont font(TextStyle style);
    // A style at an explicit point size (for views whose size is a setting).
    static QFont font(TextStyle style, qreal pointSize);
    // The system font at an explicit design size (points, scaled to the
    // application font like the named styles) and weight, for views whose
    // size is a setting or follows their geometry.
    static QFont systemFont(qreal designPoints, QFont::Weight weight = QFont::Normal);
    // The same font with tabular (monospaced) digits, for figures that change.
    static QFont monospacedDigits(QFont font);
    // The design's size of the style in points at the default body size.
    static qreal designPointSize(TextStyle style);

    static QColor colour(Colour colour, const QPalette& palette);
    // The colour for a widget, from its own palette (the application's for
    // none). A template, so that this room needs no QtWidgets: only views
    // call it, with their widget type.
    template <class Widget>
    static QColor colour(Colour colour, const Widget* widget)
    {
        return DesignStyle::colour(colour, widget ? widget->QWidget::palette() : QGuiApplication::palette());
    }
    // The WCAG 2 relative luminance of an opaque colour (0 to 1).
    static qreal relativeLuminance(const QColor& c);
    // The WCAG 2 contrast ratio of two opaque colours (1 to 21).
    static qreal contrastRatio(const QColor& a, const QColor& b);
    // A colour used as text (a provider's accent, say), moved toward the
    // palette's text colour until it reaches `ratio` on every text background.
    static QColor readable(const QColor& ink, const QPalette& palette, qreal ratio = 4.5);
    // The backgrounds text is drawn on: the window, the base of lists and
    // fields, the page beneath cards, and a card on the window.
    static QList<QColor> textBackgrounds(const QPalette& palette);
    // Whether a palette reads as dark (its window colour is dark).
    static bool isDark(const QPalette& palette);
};

} // namespace gaugelet
