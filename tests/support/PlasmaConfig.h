#pragma once

#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace gaugelet::test {

// A Plasma account's configuration as Plasma's settings write it, for the
// length of a scope, in a folder the environment names (with the global
// theme's defaults, kdedefaults, among the configuration folders as Plasma's
// session lists them, and the styles and colour schemes installed in
// /usr/share):
// - the global theme's Plasma style and colour scheme name in kdedefaults;
// - the scheme's colours, copied from its installed file, in kdeglobals
//   (`applied`; after a first login only its name is there);
// - a Plasma style the user picked apart from the global theme in plasmarc.
struct PlasmaConfig {
    const char* theme = "default";
    const char* scheme = "BreezeLight";
    bool applied = true;
    const char* picked = nullptr;

    // The files the configurations copy or name (scripts/deps.sh --test installs them).
    static bool installed()
    {
        return QFile::exists(QStringLiteral("/usr/share/plasma/desktoptheme/breeze-dark/colors"))
               && QFile::exists(QStringLiteral("/usr/share/color-schemes/BreezeDark.colors"))
               && QFile::exists(QStringLiteral("/usr/share/color-schemes/BreezeLight.colors"));
    }
};

class ScopedPlasmaConfig {
public:
    explicit ScopedPlasmaConfig(const PlasmaConfig& c)
        : config(m_root.path() + QStringLiteral("/config")), data(m_root.path() + QStringLiteral("/data")),
          m_configHome("XDG_CONFIG_HOME", config.toUtf8()),
          m_configDirs("XDG_CONFIG_DIRS", (config + QStringLiteral("/kdedefaults:") + m_root.path()).toUtf8()),
          m_dataHome("XDG_DATA_HOME", data.toUtf8()), m_dataDirs("XDG_DATA_DIRS", QByteArray("/usr/share"))
    {
        if (c.theme)
            writeFile(config + QStringLiteral("/kdedefaults/plasmarc"), QByteArray("[Theme]\nname=") + c.theme + '\n');
        if (c.scheme)
            writeFile(config + QStringLiteral("/kdedefaults/kdeglobals"),
                      QByteArray("[General]\nColorScheme=") + c.scheme + '\n');
        if (c.scheme && c.applied)
            writeFile(config + QStringLiteral("/kdeglobals"),
                      readFile(QStringLiteral("/usr/share/color-schemes/%1.colors").arg(QLatin1String(c.scheme))));
        if (c.picked)
            writeFile(config + QStringLiteral("/plasmarc"), QByteArray("[Theme]\nname=") + c.picked + '\n');
    }

private:
    QTemporaryDir m_root;

public:
    const QString config; // XDG_CONFIG_HOME
    const QString data;   // XDG_DATA_HOME

private:
    ScopedEnv m_configHome;
    ScopedEnv m_configDirs;
    ScopedEnv m_dataHome;
    ScopedEnv m_dataDirs;
};

} // namespace gaugelet::test
