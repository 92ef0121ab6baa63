#include "platform/desktop/SecurityScopedBookmark.h"

#include <QDir>
#include <QFileInfo>

namespace gaugelet {

QByteArray SecurityScopedBookmark::bookmarkData(const QString& absolutePath)
{
    return absolutePath.toUtf8();
}

std::optional<QString> SecurityScopedBookmark::resolve(const QByteArray& bookmark)
{
    if (bookmark.isEmpty() || bookmark.contains('\0'))
        return std::nullopt;
    const QString path = QString::fromUtf8(bookmark);
    // Bytes that are not valid UTF-8 do not survive the round trip.
    if (path.toUtf8() != bookmark || !QDir::isAbsolutePath(path))
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isReadable())
        return std::nullopt;
    return QDir::cleanPath(path);
}

} // namespace gaugelet
