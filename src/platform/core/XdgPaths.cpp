#include "platform/core/XdgPaths.h"

#include <QDir>
#include <QFileInfo>

namespace gaugelet {

namespace {

QString fromEnv(const char* name, const char* fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(name);
    if (!value.isEmpty() && QFileInfo(value).isAbsolute())
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
}

} // namespace

QString XdgPaths::dataHome() { return fromEnv("XDG_DATA_HOME", ".local/share"); }
QString XdgPaths::cacheHome() { return fromEnv("XDG_CACHE_HOME", ".cache"); }
std::optional<QString> XdgPaths::userDataHome()
{
    const QString value = qEnvironmentVariable("XDG_DATA_HOME");
    if (!value.isEmpty() && QFileInfo(value).isAbsolute())
        return QDir::cleanPath(value);
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QFileInfo(home).isAbsolute() || QDir::cleanPath(home) == QLatin1String("/"))
        return std::nullopt;
    return QDir::cleanPath(home) + QLatin1String("/.local/share");
}

QString XdgPaths::configHome() { return fromEnv("XDG_CONFIG_HOME", ".config"); }

} // namespace gaugelet
