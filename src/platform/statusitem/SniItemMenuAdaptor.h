#pragma once

#include "platform/statusitem/SniItemAdaptor.h"

#include <QDBusObjectPath>

namespace gaugelet {

// The item's org.kde.StatusNotifierItem interface with a Menu property, for
// hosts that drop an item without one (GNOME Shell's AppIndicator extension
// reads Id and Menu first). No com.canonical.dbusmenu object is served at the
// path: such a host finds the menu empty and calls Activate on a left click.
// Elsewhere an item publishes no Menu (SniItemAdaptor), since a Menu costs the
// right click on hosts that would otherwise call ContextMenu.
class SniItemMenuAdaptor : public SniItemAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit SniItemMenuAdaptor(QObject* exported, SniItem* owner);

    QDBusObjectPath menu() const;
};

} // namespace gaugelet
