#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>

namespace gaugelet {

// One picture of a StatusNotifierItem icon: width, height and ARGB32 pixels in
// network byte order (D-Bus signature (iiay)).
struct SniIconPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;

    static SniIconPixmap fromImage(const QImage& image);
    QImage toImage() const;
};
using SniIconPixmapList = QList<SniIconPixmap>;

// The item's tool tip (signature (sa(iiay)ss)): icon name, icon pixmaps, title, description.
struct SniToolTip {
    QString iconName;
    SniIconPixmapList iconPixmaps;
    QString title;
    QString description;
};

// Registers the types with the meta-type and D-Bus systems (idempotent).
void registerSniTypes();

QDBusArgument& operator<<(QDBusArgument& arg, const SniIconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniIconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip);

} // namespace gaugelet

Q_DECLARE_METATYPE(gaugelet::SniIconPixmap)
Q_DECLARE_METATYPE(gaugelet::SniToolTip)
