#pragma once

#include <QString>

namespace gaugelet {

// The XDG base directories. A relative or empty $XDG_* value is ignored, as
// the base-directory specification says.
class XdgPaths {
public:
    static QString dataHome();   // $XDG_DATA_HOME, else ~/.local/share
    static QString cacheHome();  // $XDG_CACHE_HOME, else ~/.cache
    static QString configHome(); // $XDG_CONFIG_HOME, else ~/.config

    // The design's "Application Support" and "Caches" folders.
    static QString applicationSupportDir() { return dataHome(); }
    static QString cachesDir() { return cacheHome(); }
};

} // namespace gaugelet
