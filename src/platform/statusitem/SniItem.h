#pragma once

#include "platform/statusitem/SniTypes.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QPoint>
#include <QString>

namespace gaugelet {

class SniItemAdaptor;
class SniStatusItem;

// One StatusNotifierItem on a bus connection of its own: the connection owns
// the bus name "org.kde.StatusNotifierItem-<pid>-<n>" and serves the object
// /StatusNotifierItem, so hosts that address items by bus name alone tell the
// items of one process apart. The status is the owning SniStatusItem's; the
// Id, title, tool tip, menu path and pictures are the item's own, and a
// change of one sends its New… signal only when its text or pixels changed.
// Releasing the item gives up its name, which removes it from every host.
class SniItem : public QObject {
    Q_OBJECT
public:
    SniItem(SniStatusItem* owner, const QString& busAddress, const QString& serviceName);
    ~SniItem() override;

    SniStatusItem* owner() const { return m_owner; }
    QString serviceName() const { return m_serviceName; }
    // Whether the bus name and object are ours.
    bool isExported() const { return m_exported; }
    bool isRegistered() const { return m_registered; }
    // Forgets the registration (the watcher went or was replaced).
    void resetRegistration()
    {
        m_registered = false;
        m_seen = false;
        m_takenIn = false;
        m_registerAttempts = 0;
    }
    // Gives up the bus name and owns it again: a watcher that lists the item
    // forgets it, so that the next registration is a first one there (a
    // watcher refuses a name it lists, whose item its host may have missed).
    void ownNameAgain();
    // Whether the watcher announced the item as registered.
    bool isTakenIn() const { return m_takenIn; }
    void setTakenIn(bool takenIn) { m_takenIn = takenIn; }
    // Whether a host has read the item since the watcher came.
    bool isSeenByHost() const { return m_seen; }
    // A host reads the item's picture.
    void noteRead();

    // The segment of the row the item shows ("" for the whole picture).
    QString key() const { return m_key; }
    void setKey(const QString& key) { m_key = key; }
    QString id() const { return m_id; }
    void setId(const QString& id) { m_id = id; }
    QString title() const { return m_title; }
    void setTitle(const QString& title);
    SniToolTip toolTip() const;
    void setToolTip(const QString& title, const QString& description);
    // The Menu object path the item publishes; empty publishes no Menu
    // property at all. A change exports the object anew (before the item
    // registers with a new watcher).
    QString menuPath() const { return m_menuPath; }
    void setMenuPath(const QString& path);
    // Sends the Id and the menu path in a PropertiesChanged signal: GNOME
    // Shell's AppIndicator extension forgets both when it sees the item's name
    // appear and drops the item if it then finds them unset; the signal sets
    // them again.
    void announceIdentity();
    // Whether the watcher's RegisteredStatusNotifierItems names the item
    // (by its bus name or its connection's unique name, with or without a path).
    bool isListedIn(const QStringList& registered) const;

    SniIconPixmapList iconPixmap() const { return m_pixmaps; }
    // Stores the pictures and sends NewIcon, when they differ from the last.
    // Returns whether they did.
    // With `withPixels`, the change is announced with its pixels (a
    // NewIconPixmap signal carrying them) instead of NewIcon: GNOME's
    // extension takes a New… signal with arguments as the property's value
    // within a frame, where NewIcon waits 200 ms and a read.
    bool setIconPixmap(const SniIconPixmapList& pixmaps, bool withPixels = false);
    // A hidden item's status is "Passive", which hosts do not show.
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);
    QString status() const;
    // Sends NewStatus (the owner's status changed), unless hidden.
    void announceStatus();

    // Asks the watcher to show the item; retries a refusal a few times.
    void registerWithWatcher();
    // Gives the item up: at once, or, while the watcher has yet to answer its
    // registration, when it has (a name that vanishes before the watcher
    // takes it in would stay in the watcher's list for good).
    void retire();

    // A host's click: logged with the item's segment, then the owner's action.
    void click(const char* method, const QPoint& position);

    SniItemAdaptor* adaptor() const { return m_adaptor; }
    // Sends a message (a late reply) on the item's connection.
    void send(const QDBusMessage& message) { m_bus.send(message); }

Q_SIGNALS:
    void registered();
    void seenByHost();
    void registrationFailed(const QString& error, bool retrying);

private:
    bool exportObject();

    SniStatusItem* m_owner;
    QString m_serviceName;
    QDBusConnection m_bus;
    QObject* m_exportedObject = nullptr;
    SniItemAdaptor* m_adaptor = nullptr;
    bool m_exported = false;
    bool m_registered = false;
    bool m_pending = false;
    bool m_seen = false;
    bool m_takenIn = false;
    bool m_retiring = false;
    bool m_hidden = false;
    int m_registerAttempts = 0;
    QString m_key;
    QString m_id;
    QString m_title;
    QString m_toolTipTitle;
    QString m_toolTipDescription;
    QString m_menuPath;
    SniIconPixmapList m_pixmaps;
};

bool operator==(const SniIconPixmap& a, const SniIconPixmap& b);

} // namespace gaugelet
