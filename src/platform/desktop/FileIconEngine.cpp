#include "platform/desktop/FileIconEngine.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace gaugelet {

FileIconEngine::FileIconEngine(QMap<int, QString> files) : m_files(std::move(files)) { }

int FileIconEngine::sideFor(int side) const
{
    if (m_files.isEmpty())
        return 0;
    const auto atLeast = m_files.lowerBound(side);
    return atLeast != m_files.cend() ? atLeast.key() : m_files.lastKey();
}

QPixmap FileIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap FileIconEngine::scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale)
{
    const int want = int(std::ceil(std::max(size.width(), size.height()) * std::max(scale, 1.0)));
    const int side = sideFor(want);
    if (side <= 0 || size.isEmpty())
        return {};
    QImageReader reader(m_files.value(side));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // Never larger than asked: a window's icon of 48 × 48 is that size.
    const QSize fit = image.size().scaled(size * std::max(scale, 1.0), Qt::KeepAspectRatio);
    if (image.width() > fit.width() || image.height() > fit.height())
        image = image.scaled(fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(std::max(scale, 1.0));
    return pixmap;
}

void FileIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QPixmap picture = scaledPixmap(rect.size(), mode, state, scale);
    if (picture.isNull())
        return;
    const QSize shown = picture.deviceIndependentSize().toSize();
    painter->drawPixmap(
        QRect(rect.topLeft() + QPoint((rect.width() - shown.width()) / 2, (rect.height() - shown.height()) / 2), shown),
        picture);
}

QSize FileIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State)
{
    const int side = std::min(sideFor(std::max(size.width(), size.height())), std::min(size.width(), size.height()));
    return side > 0 ? QSize(side, side) : QSize();
}

QList<QSize> FileIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (const int side : m_files.keys())
        sizes.append(QSize(side, side));
    return sizes;
}

QIconEngine* FileIconEngine::clone() const
{
    return new FileIconEngine(m_files);
}

QString FileIconEngine::key() const
{
    return QStringLiteral("gaugelet.FileIconEngine");
}

bool FileIconEngine::isNull()
{
    return m_files.isEmpty();
}

} // namespace gaugelet
