#include "platform/desktop/ApplicationIcon.h"

#include "platform/core/Resources.h"
#include "platform/desktop/FileIconEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

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
    // Each size's file is read when a window asks for that picture, not
    // held from the start on (all sizes together are a third of a megabyte).
    QMap<int, QString> files;
    const QString dir = hicolorDir();
    if (!dir.isEmpty()) {
        const QStringList sizes = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& size : sizes) {
            const QString file = dir + QLatin1Char('/') + size + QStringLiteral("/apps/") + name + QStringLiteral(".png");
            const QStringList sides = size.split(u'x');
            bool square = sides.size() == 2 && sides.first() == sides.last();
            const int side = square ? sides.first().toInt(&square) : 0;
            if (square && side > 0 && QFileInfo::exists(file))
                files.insert(side, file);
        }
    }
    if (files.isEmpty())
        return QIcon::fromTheme(name);
    return QIcon(new FileIconEngine(std::move(files)));
}

} // namespace gaugelet
