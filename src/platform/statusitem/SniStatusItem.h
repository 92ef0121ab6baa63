#pragma once

#include "platform/statusitem/HostSettingsWatch.h"
#include "platform/statusitem/SniTrayFallback.h"
#include "platform/statusitem/SniTypes.h"
#include "platform/statusitem/StatusAreaHost.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <utility>

class QDBusServiceWatcher;

namespace gaugelet {

class SniItem;
class StatusItem;

// Publishes a StatusItem as StatusNotifierItems: one item per segment of the
// row (a tile, the "+N" chip), in the row's order, or one item with the whole
// picture when the row has no segments (the idle logo). Most hosts fit every
// item into a square slot, so one wide item would be squeezed unreadable; one
// item per tile keeps each tile legible. Each item carries its own piece of
// the composed picture at the height its host shows, sends NewIcon only when
// its pixels changed, and names its tile in its title and tool tip. Which
// host serves the watcher, and what it asks of the items (the heights of
// their pictures, their order, Ids, titles and Menu), is StatusAreaHost's.
//
// The items are slots: a change of the row redraws them in place (pictures,
// title, tool tip under the same bus name) and adds or withdraws items only
// at the end the host's order allows, so the panel never shows fewer items
// than before and after the change. Items register with
// org.kde.StatusNotifierWatcher one after another (each once the host has
// read the one before), in the order the host shows them best: where it
// shows the newest first, the slots register from the row's last to its
// first, and a slot added or withdrawn is the row's first. Hosts place items in the order the
// watcher announces them (StatusNotifierItemRegistered), which may differ from
// the order we asked in (GNOME's extension also takes in items it finds on
// the bus): the slots follow the announced order. A registration alone is not
// believed: an item the host has not read, or the watcher does not list, a
// few seconds after it registered is registered once more, and after that the
// row is shown through the system tray as well; so it is when the watcher
// leaves a registration unanswered or refuses it. Clicks on any item
// (Activate, SecondaryActivate, ContextMenu) run the StatusItem's action at
// the click. On GNOME, a slot withdrawn is hidden at once (its name is
// dropped 100 ms later) and a row change sends the pictures with their
// pixels, so the change shows in one frame. While no watcher exists, the row
// is shown through the system tray (XEmbed, SniTrayFallback). Where neither
// shows the row, hasStatusArea() says so (statusAreaChanged), so that the
// application can stand in for it.
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
    // How long after the last registration the host must have read and
    // listed every item.
    static constexpr int verifyMs = 4000;
    // How long a registration may go unanswered or refused (no item
    // registered meanwhile) before the host counts as showing nothing.
    static constexpr int registerWaitMs = 4000;
    // The longest a slot added on GNOME stays hidden waiting to be taken in.
    static constexpr int arrivalMs = 1000;
    // How long a slot withdrawn on GNOME keeps its name once hidden.
    static constexpr int retireDelayMs = 100;
    // How long after the pictures of a row change on GNOME the slots added
    // or withdrawn are shown or hidden: the next turn of the main loop, once
    // the pictures have gone out (measured: 8 ms later left 10-40 ms of a row
    // without the added tile, or with a withdrawn one twice).
    static constexpr int statusLagMs = 0;
    // How much longer Xfce takes to show an item added after it read it
    // than to show a picture.
    static constexpr int xfceLagMs = 25;

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
    bool hasWatcher() const { return m_watcherPresent; }
    // Whether anything shows the row: a watcher whose host was not found
    // leaving the items unshown, or a system tray holding the tray icons.
    bool hasStatusArea() const;
    // Whether the row is known to show: the host read and listed every item,
    // or a system tray holds the tray icons.
    bool isRowSeen() const;
    const StatusAreaHost& host() const { return m_host; }
    // Tests shorten the time a host has to show the items, and stand in for
    // the command lines of processes (/proc/<pid>/cmdline).
    void setVerifyDelay(int ms) { m_verifyDelay = ms; }
    void setRegisterWait(int ms) { m_registerWait.setInterval(ms); }
    void setCommandLineReader(std::function<QByteArray(uint pid)> reader) { m_commandLineOf = std::move(reader); }

    QString title() const { return m_title; }
    QString status() const { return m_status; }
    void setStatus(const QString& status);
    // The tool tip of items and tray icons without a name.
    void setToolTip(const QString& title);
    // The first item's pictures, one per height.
    SniIconPixmapList iconPixmap() const;

    // A host's click, with its position.
    void activate(const QPoint& position);

Q_SIGNALS:
    // Every item is registered.
    void registeredWithWatcher();
    void registrationFailed(const QString& error);
    // hasStatusArea() or isRowSeen() changed.
    void statusAreaChanged(bool present);

private Q_SLOTS:
    // The watcher took an item in: hosts place items in the order the
    // watcher announces them, which need not be the order we asked in.
    void onItemRegistered(const QString& entry);

private:
    void publish();
    // Adds or withdraws slots until there are `count`.
    void resize(qsizetype count);
    // The slot that shows the row's `position` (of the current count).
    SniItem* slotAt(qsizetype position) const;
    SniItem* makeItem();
    // Shows the slots that were waiting to be taken in and sends the pictures
    // held back meanwhile.
    void releaseHeld();
    void releaseOnArrival();
    void registerAll();
    void registerNext();
    void onWatcherPresent();
    void onWatcherGone();
    void verifyShown();
    // The watcher left a registration unanswered, or refused it, for
    // registerWaitMs: nothing shows the row.
    void onRegistrationStalled();
    void setFallbackShown(bool shown);
    bool onGnomeShell() const { return m_host.kind() == StatusAreaHost::Kind::gnomeShell; }
    // Composes the row at the heights the host shows.
    void offerSizes();
    void noteStatusArea();

    StatusItem* m_item;
    QString m_busAddress;
    QString m_controlName; // the watching connection's, when not the session bus
    // In the order of registration: the first is the row's first, or its
    // last on hosts that show the newest first.
    QList<SniItem*> m_slots;
    // The segment and cache key of the pictures each slot was last given.
    QHash<const SniItem*, std::pair<QString, qint64>> m_shownPictures;
    // GNOME shows a slot added only once it has read it, and the others'
    // pictures 200 ms after their NewIcon: the slots added stay hidden until
    // the watcher announces them, the others' new pictures are held back till
    // then, and all go at once, with their pixels. Xfce shows pictures at
    // once: the others' are held back until a little after it has read the
    // slots added. (It drops withdrawn items one a frame: that cannot be
    // timed.)
    QList<QPointer<SniItem>> m_arriving;
    QHash<SniItem*, SniIconPixmapList> m_held;
    bool m_holding = false;
    QTimer m_arrival;
    QList<QPointer<SniItem>> m_queue;
    QPointer<SniItem> m_inFlight;
    QTimer m_pace;
    QTimer m_verify;
    QTimer m_registerWait; // runs while an item waits to be registered
    int m_verifyDelay = verifyMs;
    std::function<QByteArray(uint pid)> m_commandLineOf;
    bool m_reregistered = false; // since the watcher came
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
    SniTrayFallback m_fallback;
    std::optional<bool> m_statusArea;           // as last told
    bool m_rowSeen = false;                     // as last told
    bool m_seenShown = false;                   // the host read and listed every item
    bool m_connected = false;
    bool m_watcherPresent = false;
    bool m_notShown = false; // the host did not show the items
    StatusAreaHost m_host;
    HostSettingsWatch m_hostSettings; // follows the host's slot height
    QString m_title = QStringLiteral("Gaugelet");
    QString m_status = QStringLiteral("Active");
};

} // namespace gaugelet
