#include "platform/desktop/ApplicationIcon.h"

#include "platform/core/Resources.h"

#include <QDir>
#include <QFileInfo>

namespace gaugelet {

const QString ApplicationIcon::name = QStringLiteral("dev.gaugelet.app");

QString ApplicationIcon::hicolorDir()
{
    const QString resources = Resources::dir();
    // The build tree keeps the icons among the resources; an install puts
    // them where launchers look, in share/icons beside share/gaugelet.
    const QStringList candidates{resources + QStringLiteral("/icons/hicolor"), resources + QStringLiteral("/../icons/hicolor")};
    for (const QString& candidate : candidates) {
        const QString dir = QDir::cleanPath(candidate);
        if (QFileInfo::exists(dir + QStringLiteral("/48x48/apps/") + name + QStringLiteral(".png")))
            return dir;
    }
    return {};
}

QIcon ApplicationIcon::icon()
{
    QIcon icon;
    const QString dir = hicolorDir();
    if (!dir.isEmpty()) {
        const QStringList sizes = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& size : sizes) {
            const QString file = dir + QLatin1Char('/') + size + QStringLiteral("/apps/") + name + QStringLiteral(".png");
            if (QFileInfo::exists(file))
                icon.addFile(file);
        }
    }
    if (icon.isNull())
        icon = QIcon::fromTheme(name);
    return icon;
}

} // namespace gaugelet
