#pragma once

#include "platform/statusitem/SniTypes.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

class QDBusServiceWatcher;

namespace gaugelet {

class SniItem;
class StatusItem;
class TrayIcon;

// Publishes a StatusItem as StatusNotifierItems: one item per segment of the
// row (a tile, the "+N" chip), in the row's order, or one item with the whole
// picture when the row has no segments (the idle logo). Most hosts fit every
// item into a square slot, so one wide item would be squeezed unreadable; one
// item per tile keeps each tile legible. Each item carries its own piece of
// the composed picture at every height hosts use (StatusItem::pixelSizes) and
// sends NewIcon only when its pixels changed; an item keeps its bus name while its tile stays in its place.
//
// Items register with org.kde.StatusNotifierWatcher one after another (each
// once the host has read the one before), in the order the host shows them
// best: most hosts append items in the order they
// register; Xfce's status tray shows the newest first (and orders the Ids it
// has seen before by its own list), so there the items register from last to
// first and share one Id. When the row changes from some place on, the items
// from there on are withdrawn and registered anew (on Xfce: all of them).
// Clicks on any item (Activate, SecondaryActivate, ContextMenu) run the
// StatusItem's action at the click. While no watcher exists, the whole row is
// shown through QSystemTrayIcon (which pads it square).
class SniStatusItem : public QObject {
    Q_OBJECT
public:
    static const QString watcherService;
    static const QString watcherPath;
    static const QString itemPath;
    static constexpr int maxRegisterAttempts = 5;
    // After a registration, the next waits until the host has read the item,
    // and settleMs more, or unseenWaitMs when the host reads nothing.
    static constexpr int settleMs = 60;
    static constexpr int unseenWaitMs = 400;

    // How a host orders the items it shows.
    enum class HostOrder {
        registration, // in the order they registered
        newestFirst,  // the newest first (Xfce's status tray)
    };
    // The order of the host whose process runs this command line (NUL-separated).
    static HostOrder hostOrderOf(const QByteArray& commandLine);
    // The Id of the item at `position` showing the segment `key`: the
    // position, zero-padded, then the key, so that hosts that sort by Id keep
    // the row's order; "gaugelet" for the whole picture and on newest-first
    // hosts (where every Id seen once keeps a place of its own).
    static QString itemId(int position, const QString& key, HostOrder order);

    // Publishes on the session bus, or on the bus at busAddress.
    explicit SniStatusItem(StatusItem* item, const QString& busAddress = {});
    ~SniStatusItem() override;

    // The published items in the row's order.
    QList<SniItem*> items() const;
    // The first item's bus name (empty without items).
    QString serviceName() const;
    bool isExported() const;
    // Whether every item is registered with the watcher.
    bool isRegisteredWithWatcher() const;
    bool isFallbackShown() const;
    HostOrder hostOrder() const { return m_hostOrder; }

    QString title() const { return m_title; }
    QString status() const { return m_status; }
    void setStatus(const QString& status);
    SniToolTip toolTip() const;
    void setToolTip(const QString& title, const QString& description);
    // The first item's pictures, one per height.
    SniIconPixmapList iconPixmap() const;

    // A host's click, with its position.
    void activate(const QPoint& position);

Q_SIGNALS:
    // Every item is registered.
    void registeredWithWatcher();
    void registrationFailed(const QString& error);

private:
    struct Entry {
        QString key;
        SniItem* item = nullptr;
        qint64 shownPictures = 0; // the cache key of the pictures last given to the item
    };

    void publish();
    void rebuild(const QStringList& keys);
    SniItem* makeItem();
    void registerAll();
    void registerNext();
    void onWatcherPresent();
    void onWatcherGone();
    void setFallbackShown(bool shown);
    void updateFallbackIcon();

    StatusItem* m_item;
    QString m_busAddress;
    QString m_controlName; // the watching connection's, when not the session bus
    QList<Entry> m_entries;
    QList<QPointer<SniItem>> m_queue;
    QPointer<SniItem> m_inFlight;
    QTimer m_pace;
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
    TrayIcon* m_trayIcon = nullptr;
    bool m_connected = false;
    bool m_watcherPresent = false;
    bool m_fallbackWanted = false;
    HostOrder m_hostOrder = HostOrder::registration;
    QString m_title = QStringLiteral("Gaugelet");
    QString m_status = QStringLiteral("Active");
    QString m_toolTipDescription;
};

} // namespace gaugelet
