#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace gaugelet {

// The design's system symbols as a view shows them: drawn side × side points
// in one colour (SystemSymbol maps the names to theme icons or our drawings).
class Symbol {
public:
    // The design's image scales of a symbol beside text, in points.
    struct Scale {
        static constexpr int small = 11;
        static constexpr int medium = 15;
        static constexpr int large = 20;
    };

    // At the device pixel ratio given; an empty pixmap for a symbol the
    // program cannot draw.
    static QPixmap pixmap(const QString& name, int side, const QColor& colour, qreal devicePixelRatio = 1.0);
    // As an icon, with one pixmap at 1× and one at 2×.
    static QIcon icon(const QString& name, int side, const QColor& colour);
};

} // namespace gaugelet
