#pragma once

#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace gaugelet::test {

// A Plasma account's files as its settings write them: the global theme's
// style and scheme name in kdedefaults, the installed scheme's colours in
// kdeglobals (`applied`; not at a first login), a style picked in plasmarc.
struct PlasmaConfig {
    const char* theme = "default";
    const char* scheme = "BreezeLight";
    bool applied = true;
    const char* picked = nullptr;
    static bool installed() { return QFile::exists(QStringLiteral("/usr/share/plasma/desktoptheme/breeze-dark")); }
};

// A PlasmaConfig in folders the environment names (kdedefaults listed as
// Plasma's session does), for the length of a scope.
class ScopedPlasmaConfig {
    QTemporaryDir m_root;

public:
    explicit ScopedPlasmaConfig(const PlasmaConfig& c)
        : config(m_root.path() + "/config"), data(m_root.path() + "/data")
    {
        if (c.theme)
            writeFile(config + "/kdedefaults/plasmarc", QByteArray("[Theme]\nname=") + c.theme);
        if (c.scheme)
            writeFile(config + "/kdedefaults/kdeglobals", QByteArray("[General]\nColorScheme=") + c.scheme);
        if (c.scheme && c.applied)
            writeFile(config + "/kdeglobals",
                      readFile(QLatin1String("/usr/share/color-schemes/") + c.scheme + ".colors"));
        if (c.picked)
            writeFile(config + "/plasmarc", QByteArray("[Theme]\nname=") + c.picked);
    }
    const QString config, data; // XDG_CONFIG_HOME, XDG_DATA_HOME

private:
    ScopedEnv m_env[4] = {{"XDG_CONFIG_HOME", config.toUtf8()},
                          {"XDG_CONFIG_DIRS", (config + "/kdedefaults:" + m_root.path()).toUtf8()},
                          {"XDG_DATA_HOME", data.toUtf8()},
                          {"XDG_DATA_DIRS", QByteArray("/usr/share")}};
};

} // namespace gaugelet::test
