#pragma once

#include "platform/statusitem/SniTypes.h"

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
class TrayIcon;

// Publishes a StatusItem as StatusNotifierItems: one item per segment of the
// row (a tile, the "+N" chip), in the row's order, or one item with the whole
// picture when the row has no segments (the idle logo). Most hosts fit every
// item into a square slot, so one wide item would be squeezed unreadable; one
// item per tile keeps each tile legible. Each item carries its own piece of
// the composed picture at the height its host shows (offeredPixelSizes),
// sends NewIcon only when its pixels changed, and names its tile in its title
// and tool tip.
//
// Hosts pick among several pictures in ways of their own, and resample the
// one they pick to their slot: Xfce's status tray and waybar take the
// largest; GNOME's extension the smallest at least as wide and as tall as
// its slot; LXQt's panel (QIcon) the smallest by area at least the slot's
// area, so a tile narrower than high gets a taller picture shrunk. Offered
// one picture of its slot's height, every host shows it as it is (one
// smaller than the slot, Xfce and LXQt at scale 1 show unscaled, GNOME and
// waybar scale up): so the items offer only the picture of the host's slot
// height at the screen's scale (HostSlotSize reads it from the host's
// settings), and a host we do not know gets the three common heights.
//
// The items are slots: a change of the row redraws them in place (pictures,
// title, tool tip under the same bus name) and adds or withdraws items only
// at the end the host's order allows, so the panel never shows fewer items
// than before and after the change. Items register with
// org.kde.StatusNotifierWatcher one after another (each once the host has
// read the one before), in the order the host shows them best:
// - most hosts (LXQt, waybar) append items in the order they register;
// - GNOME Shell's AppIndicator extension and Xfce's status tray show the
//   newest first: the slots register from the row's last to its first, and
//   a slot added or withdrawn is the row's first;
// - Plasma sorts by category, then title: titles begin with the position.
// GNOME's extension drops an item without a Menu property and never draws one
// whose Menu is "/NO_DBUSMENU": there the items publish a menu path with no
// menu behind it (menuPathFor; a left click then calls Activate), elsewhere
// none (a Menu costs the right click). Hosts place items in the order the
// watcher announces them (StatusNotifierItemRegistered), which may differ from
// the order we asked in (GNOME's extension also takes in items it finds on
// the bus): the slots follow the announced order. A registration alone is not
// believed: an item the host has not read, or the watcher does not list, a
// few seconds after it registered is registered once more, and after that the
// row is shown through the system tray as well. Clicks on any item (Activate, SecondaryActivate,
// ContextMenu) run the StatusItem's action at the click. On GNOME, a slot
// withdrawn is hidden at once (its name is dropped 100 ms later) and a row
// change sends the pictures with their pixels, so the change shows in one
// frame. While no watcher exists, the row is shown through the system tray
// (XEmbed, TrayIcon): one icon per segment, in the row's order, each drawn
// for the tray's icon size and named in its tool tip as the items are, its
// clicks the items' clicks. Where neither shows the row, hasStatusArea() says
// so (statusAreaChanged), so that the application can stand in for it.
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
    // When the tray icons' places are read after a change (then 4x and 16x).
    static constexpr int trayCheckMs = 150;
    // The longest a slot added on GNOME stays hidden waiting to be taken in.
    static constexpr int arrivalMs = 1000;
    // How long a slot withdrawn on GNOME keeps its name once hidden.
    static constexpr int retireDelayMs = 100;
    // How long after the pictures of a row change on GNOME the slots added
    // or withdrawn are shown or hidden.
    static constexpr int statusLagMs = 8;
    // How much longer Xfce takes to show an item added after it read it
    // than to show a picture.
    static constexpr int xfceLagMs = 25;

    // The host that serves the watcher, as far as it matters to the items.
    enum class Host {
        other,      // shows the items in the order they registered
        xfce,       // Xfce's status tray: newest first, then its list of Ids
        gnomeShell, // GNOME Shell's AppIndicator extension: newest first, needs a Menu
        plasma,     // Plasma (the watcher in kded): by category, then title
        lxqt,       // LXQt's panel: in the order they registered
        waybar,     // waybar's tray: in the order they registered
    };
    // The host whose process runs this command line (NUL-separated).
    static Host hostOf(const QByteArray& commandLine);
    // Whether the host shows the newest item first (leftmost).
    static bool showsNewestFirst(Host host);
    // The height in pixels at scale 1 of the host's slots, from its settings
    // where it has any (its command line may name them, relative to its
    // working folder); 0 when unknown.
    static int slotHeightFor(Host host, const QByteArray& commandLine, const QString& workingFolder = {});
    // The picture heights items offer a host whose slots are `slotHeight`
    // high (0: unknown) on a screen of `scale`: the tallest height tiles are
    // drawn for that fits the slot, so no host resamples it; 16, 22 and 24
    // (at the scale) for a host not known.
    static QList<int> offeredPixelSizes(Host host, int slotHeight, double scale);
    // The Menu object path items publish for the host; empty for none.
    static QString menuPathFor(Host host);
    // The Id of the item in the row's `position`: the position, zero-padded,
    // so that hosts that sort by Id keep the row's order; "gaugelet" on Xfce
    // (where every Id seen once keeps a place of its own in its list).
    static QString itemId(int position, Host host);
    // The title of the item in the row's `position` that shows `name`: the
    // name, or the program's name without one; on Plasma after the position,
    // zero-padded, so that the titles sort in the row's order.
    static QString itemTitle(int position, const QString& name, Host host);

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
    Host host() const { return m_host; }
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
    // Composes the row at the heights the host shows.
    void offerSizes();
    void updateFallbackIcons();
    QList<TrayIcon*> trayIconsInShownOrder() const;
    void scheduleTrayChecks();
    bool isInTray() const;
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
    // The fallback's tray icons in the row's order, slots as the items, and
    // the cache key of the pictures each was last given.
    QList<TrayIcon*> m_trayIcons;
    QHash<const TrayIcon*, qint64> m_trayPictures;
    QHash<const TrayIcon*, QString> m_trayKeys; // the tile each shows
    std::optional<bool> m_statusArea;           // as last told
    bool m_rowSeen = false;                     // as last told
    bool m_seenShown = false;                   // the host read and listed every item
    QTimer m_trayCheck;
    int m_trayChecks = 0;
    // No tray icon could be made (no tray can exist here): tried again only
    // when the fallback is wanted anew or the watcher goes.
    bool m_noTray = false;
    bool m_connected = false;
    bool m_watcherPresent = false;
    bool m_fallbackWanted = false;
    bool m_notShown = false; // the host did not show the items
    Host m_host = Host::other;
    int m_slotHeight = 0; // of the host's slots, 0 when unknown
    QString m_title = QStringLiteral("Gaugelet");
    QString m_status = QStringLiteral("Active");
};

} // namespace gaugelet
