#pragma once

#include <QString>
#include <optional>

namespace gaugelet {

// The XDG base directories. A relative or empty $XDG_* value is ignored, as
// the XDG base-directory rules say.
class XdgPaths {
public:
    static QString dataHome();   // $XDG_DATA_HOME, else ~/.local/share
    static QString cacheHome();  // $XDG_CACHE_HOME, else ~/.cache
    static QString configHome(); // $XDG_CONFIG_HOME, else ~/.config

    // The program's "Application Support" and "Caches" folders.
    static QString applicationSupportDir() { return dataHome(); }
    static QString cachesDir() { return cacheHome(); }

    // The user's own data folder, or none when neither an absolute
    // $XDG_DATA_HOME nor a usable $HOME is set: without them dataHome() would
    // fall back to a folder under "/" that is not the user's.
    static std::optional<QString> userDataHome();
};

} // namespace gaugelet
