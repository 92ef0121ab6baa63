#include "platform/XdgPaths.h"

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
QString XdgPaths::configHome() { return fromEnv("XDG_CONFIG_HOME", ".config"); }

} // namespace gaugelet
