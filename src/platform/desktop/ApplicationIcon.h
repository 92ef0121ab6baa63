#pragma once

#include <QIcon>
#include <QString>

namespace gaugelet {

// The program's icon, as its desktop entry names it ("dev.gaugelet.app"),
// for the windows' title bars and the task bar: the PNGs of the hicolor
// folder shipped beside the resources (resources/icons in the build tree,
// share/icons when installed), else the icon theme's.
class ApplicationIcon {
public:
    static const QString name;

    // The hicolor folder holding the program's PNGs; empty when none exists.
    static QString hicolorDir();
    static QIcon icon();
};

} // namespace gaugelet
