#pragma once

#include "platform/statusitem/SniItemAdaptor.h"

#include <QDBusObjectPath>
#include <QElapsedTimer>

namespace gaugelet {

// The item's org.kde.StatusNotifierItem interface with a Menu property, for
// hosts that drop an item without one (GNOME Shell's AppIndicator extension
// reads Id and Menu first). No com.canonical.dbusmenu object is served at the
// path: such a host finds the menu empty and calls Activate on a left click.
// Elsewhere an item publishes no Menu (SniItemAdaptor), since a Menu costs the
// right click on hosts that would otherwise call ContextMenu.
//
// The extension sends Activate on a single click only until one Activate has
// succeeded; from then on only on a double click (a single click would open
// the menu, which is empty). So Activate runs the click and answers with the
// error GLib reads as "cancelled": the extension neither counts it as a
// success nor logs it, and keeps sending Activate on every single click. It
// then sends a double click as two Activate calls: one that follows the
// last within the double-click interval is the same click and does nothing.
class SniItemMenuAdaptor : public SniItemAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    // The D-Bus name under which GDBus sends G_IO_ERROR_CANCELLED, which
    // GLib's clients turn back into that error.
    static const QString cancelledError;

    explicit SniItemMenuAdaptor(QObject* exported, SniItem* owner);

    QDBusObjectPath menu() const;

protected:
    void activated(const QPoint& position, const QDBusMessage& message) override;

private:
    QElapsedTimer m_lastActivate;
};

} // namespace gaugelet
