#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace gaugelet {

// Images for the system symbol names the program uses. A name maps to a freedesktop
// theme icon where the freedesktop icon names have one; otherwise, and
// when the theme lacks the icon, our own drawing of the symbol is used.
// Main thread (theme icons are read through the GUI).
class SystemSymbol {
public:
    // The symbol as a black-on-transparent template image of side × side
    // pixels; a null image for a name we do not know or a side below 1.
    static QImage image(const QString& name, int side = 44);
    // The symbol in one colour, side design points square at the given
    // device pixel ratio (ceil(side × ratio) pixels, the ratio set on the
    // image): how every view shows a template symbol. Null like image().
    static QImage tinted(const QString& name, qreal side, const QColor& colour, qreal devicePixelRatio = 1.0);
    // Whether image() can draw the name.
    static bool isKnown(const QString& name);
};

} // namespace gaugelet
