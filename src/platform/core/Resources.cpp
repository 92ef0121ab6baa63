#include "platform/core/Resources.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace gaugelet {

QString Resources::dir()
{
    const QString overrideDir = qEnvironmentVariable("GAUGELET_RESOURCES_DIR");
    if (!overrideDir.isEmpty())
        return QDir::cleanPath(overrideDir);
    if (QCoreApplication::instance()) {
        const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/gaugelet"));
        if (QFileInfo(beside).isDir())
            return beside;
    }
    return QString::fromUtf8(buildinfo::installDataDir);
}

QString Resources::path(const QString& relative)
{
    return dir() + QLatin1Char('/') + relative;
}

} // namespace gaugelet
