#pragma once

#include <QString>

namespace gaugelet {

// The folder of the program's shipped resources ("Sounds", "StoreAssets",
// images).
class Resources {
public:
    // $GAUGELET_RESOURCES_DIR when set (tests, development); else
    // <executable>/../share/gaugelet when it exists (install and build tree);
    // else the install data folder.
    static QString dir();
    // dir() + "/" + relative path.
    static QString path(const QString& relative);
};

} // namespace gaugelet
