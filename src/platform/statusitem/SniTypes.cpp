#include "platform/statusitem/SniTypes.h"

#include <QDBusMetaType>
#include <QtEndian>

namespace gaugelet {

SniIconPixmap SniIconPixmap::fromImage(const QImage& image)
{
    SniIconPixmap out;
    if (image.isNull())
        return out;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    out.width = argb.width();
    out.height = argb.height();
    out.bytes.resize(qsizetype(out.width) * out.height * 4);
    auto* dst = reinterpret_cast<uchar*>(out.bytes.data());
    for (int y = 0; y < out.height; ++y) {
        const auto* src = reinterpret_cast<const quint32*>(argb.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            qToBigEndian<quint32>(src[x], dst);
            dst += 4;
        }
    }
    return out;
}

QImage SniIconPixmap::toImage() const
{
    if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4)
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    const auto* src = reinterpret_cast<const uchar*>(bytes.constData());
    for (int y = 0; y < height; ++y) {
        auto* dst = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            dst[x] = qFromBigEndian<quint32>(src);
            src += 4;
        }
    }
    return image;
}

void registerSniTypes()
{
    static const bool done = [] {
        qDBusRegisterMetaType<SniIconPixmap>();
        qDBusRegisterMetaType<SniIconPixmapList>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    Q_UNUSED(done);
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniIconPixmap& pixmap)
{
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.bytes;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniIconPixmap& pixmap)
{
    arg.beginStructure();
    arg >> pixmap.width >> pixmap.height >> pixmap.bytes;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip)
{
    arg.beginStructure();
    arg << tip.iconName << tip.iconPixmaps << tip.title << tip.description;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip)
{
    arg.beginStructure();
    arg >> tip.iconName >> tip.iconPixmaps >> tip.title >> tip.description;
    arg.endStructure();
    return arg;
}

} // namespace gaugelet
