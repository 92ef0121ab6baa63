#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

namespace gaugelet {

// The Plasma style ("desktop theme") Plasma's panel is drawn with, and the
// colour the panel is painted in, read from the files Plasma itself reads:
// - the style's name: plasmarc's [Theme] name, from the configuration folders
//   (the user's, then the global theme's defaults in kdedefaults, then
//   $XDG_CONFIG_DIRS); "default" (Breeze) when unset or not installed;
// - its folder, plasma/desktoptheme/<name> in the data folders, and in it a
//   `colors` file: the panel is its [Colors:Window] BackgroundNormal;
// - without one, Breeze paints with the colour scheme's colours, kdeglobals'
//   [Colors:Window] BackgroundNormal, else Breeze Light's (the scheme's name
//   alone changes nothing). Another style without colours of its own may
//   paint its panel in any colour its pictures hold: its colour is not known.
struct PlasmaPanelStyle {
    QString name;
    std::optional<QColor> background;
    // The colour scheme's window colour (kdeglobals', else Breeze Light's),
    // and whether the panel is painted in it (Breeze without colours).
    QColor scheme;
    bool fromScheme = false;

    // Reads the files under the XDG folders of the environment.
    static PlasmaPanelStyle read();
    // The configuration folders read, the user's first: where plasmarc and
    // kdeglobals change.
    static QStringList configFolders();
    // The user's own plasmarc, the one file whose writing the running shell
    // follows.
    static QString userFile();
};

} // namespace gaugelet
