#include "platform/statusitem/SniStatusItem.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "platform/statusitem/HostSlotSize.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/SniClickAnchor.h"
#include "platform/statusitem/SniItem.h"
#include "platform/statusitem/SniItemAdaptor.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/StatusItemLog.h"
#include "platform/statusitem/TrayIcon.h"
#include "platform/statusitem/TrayTileIconEngine.h"
#include "platform/style/Appearance.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace gaugelet {

const QString SniStatusItem::watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString SniStatusItem::watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString SniStatusItem::itemPath = QStringLiteral("/StatusNotifierItem");

namespace {

// When an item tells GNOME's extension its Id and Menu again after registering.
constexpr int identityDelaysMs[] = {250, 750};

// The panel whose shade the tiles may take as known: GNOME Shell's or Plasma's.
Appearance::PanelHost panelHostOf(SniStatusItem::Host host)
{
    using enum Appearance::PanelHost;
    return host == SniStatusItem::Host::gnomeShell ? gnomeShell : host == SniStatusItem::Host::plasma ? plasma : other;
}

int g_itemCounter = 0;    // the <n> of the items' bus names, per process
int g_controlCounter = 0; // the names of the watching connections

QString controlConnectionName(int n)
{
    return QStringLiteral("gaugelet-sni-control-%1").arg(n);
}

QDBusConnection controlConnection(const QString& busAddress, int n)
{
    if (busAddress.isEmpty())
        return QDBusConnection::sessionBus();
    return QDBusConnection::connectToBus(busAddress, controlConnectionName(n));
}

// Asks the bus daemon a question about the watcher's name (NameHasOwner,
// GetConnectionUnixProcessID) without blocking; then receives the answer, or
// nullopt when the call failed, unless context is gone by then.
template <typename Answer, typename Then>
void askAboutWatcher(const QDBusConnection& bus, const QString& method, QObject* context, Then then)
{
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), method);
    ask << SniStatusItem::watcherService;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(ask, 3000), context);
    QObject::connect(call, &QDBusPendingCallWatcher::finished, context,
                     [then = std::move(then)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         QDBusPendingReply<Answer> reply = *w;
                         then(reply.isError() ? std::nullopt : std::optional<Answer>(reply.value()));
                     });
}

// The command line of the process `pid` (NUL-separated); empty where it
// cannot be read.
QByteArray commandLineOf(uint pid)
{
    constexpr qint64 maxBytes = 64 * 1024;
    auto bytes = FileSystem::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid), maxBytes, FileSystem::Links::follow);
    return bytes ? std::move(bytes).value() : QByteArray();
}

// A segment's pictures, one per height the host shows.
SniIconPixmapList pixmapsOf(const QList<QImage>& images)
{
    SniIconPixmapList pixmaps;
    for (const QImage& image : images) {
        if (!image.isNull())
            pixmaps.append(SniIconPixmap::fromImage(image));
    }
    return pixmaps;
}

// The pieces published one item (and tray icon) each: the row's segments, or
// the whole picture as one.
QList<StatusItem::Segment> rowSegments(const StatusItem& item)
{
    QList<StatusItem::Segment> segments = item.segments();
    if (segments.isEmpty())
        segments.append({QString(), QRectF(QPointF(0, 0), item.size()), QString(), QString()});
    return segments;
}

} // namespace

SniStatusItem::Host SniStatusItem::hostOf(const QByteArray& commandLine)
{
    const QByteArray program = commandLine.left(commandLine.indexOf('\0'));
    const QByteArray base = program.mid(program.lastIndexOf('/') + 1);
    // Xfce's status tray runs as a panel plugin ("…/xfce4/panel/wrapper-2.0
    // …/libsystray.so …", or inside xfce4-panel itself).
    if (commandLine.contains("xfce4") && (commandLine.contains("systray") || commandLine.contains("xfce4-panel")))
        return Host::xfce;
    // GNOME's watcher is the AppIndicator extension, inside the shell.
    if (base == "gnome-shell")
        return Host::gnomeShell;
    // Plasma's watcher is a module of kded.
    if (base == "kded5" || base == "kded6" || base == "plasmashell")
        return Host::plasma;
    if (base == "lxqt-panel")
        return Host::lxqt;
    if (base == "waybar")
        return Host::waybar;
    return Host::other;
}

int SniStatusItem::slotHeightFor(Host host, const QByteArray& commandLine, const QString& workingFolder)
{
    switch (host) {
    case Host::gnomeShell: return 16; // the extension's icon size, the bar's (PANEL_ICON_SIZE)
    case Host::plasma: return 22;     // the tray's small-medium icons
    case Host::xfce: return HostSlotSize::xfceSystray(HostSlotSize::xfcePanelChannel());
    case Host::lxqt: return HostSlotSize::lxqtPanel(HostSlotSize::lxqtPanelConfig(commandLine, workingFolder));
    case Host::waybar: return HostSlotSize::waybar(HostSlotSize::waybarConfig(commandLine, workingFolder));
    case Host::other: break;
    }
    return 0;
}

QList<int> SniStatusItem::offeredPixelSizes(Host host, int slotHeight, double scale)
{
    const QList<int> heights = host == Host::other || slotHeight <= 0 ? QList<int>{16, 22, 24} : QList<int>{slotHeight};
    QList<int> offered;
    for (const int height : heights) {
        const auto pixels = int(std::lround(height * std::max(scale, 1.0)));
        int fits = StatusItem::pixelSizes.front();
        for (const int drawn : StatusItem::pixelSizes) {
            if (drawn <= pixels)
                fits = drawn;
        }
        if (!offered.contains(fits))
            offered.append(fits);
    }
    return offered;
}

bool SniStatusItem::showsNewestFirst(Host host)
{
    return host == Host::xfce || host == Host::gnomeShell;
}

QString SniStatusItem::menuPathFor(Host host)
{
    return host == Host::gnomeShell ? QStringLiteral("/MenuBar") : QString();
}

QString SniStatusItem::itemId(int position, Host host)
{
    if (host == Host::xfce)
        return QStringLiteral("gaugelet");
    return QStringLiteral("gaugelet-%1").arg(position, 3, 10, QLatin1Char('0'));
}

QString SniStatusItem::itemTitle(int position, const QString& name, Host host)
{
    const QString shown = name.isEmpty() ? QStringLiteral("Gaugelet") : name;
    if (host != Host::plasma)
        return shown;
    return QStringLiteral("%1 %2").arg(position + 1, 2, 10, QLatin1Char('0')).arg(shown);
}

SniStatusItem::SniStatusItem(StatusItem* item, const QString& busAddress)
    : QObject(item), m_item(item), m_busAddress(busAddress)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    registerSniTypes();
    m_pace.setSingleShot(true);
    connect(&m_pace, &QTimer::timeout, this, [this] {
        m_inFlight = nullptr;
        registerNext();
    });
    m_verify.setSingleShot(true);
    connect(&m_verify, &QTimer::timeout, this, &SniStatusItem::verifyShown);
    m_registerWait.setSingleShot(true);
    m_registerWait.setInterval(registerWaitMs);
    connect(&m_registerWait, &QTimer::timeout, this, &SniStatusItem::onRegistrationStalled);
    m_trayCheck.setSingleShot(true);
    connect(&m_trayCheck, &QTimer::timeout, this, [this] {
        if (!m_fallbackWanted)
            return;
        updateFallbackIcons();
        noteStatusArea();
        if (++m_trayChecks < 3)
            m_trayCheck.start(m_trayCheck.interval() * 4);
    });
    m_arrival.setSingleShot(true);
    connect(&m_arrival, &QTimer::timeout, this, &SniStatusItem::releaseHeld);
    connect(m_item, &StatusItem::imageChanged, this, &SniStatusItem::publish);
    connect(ScreenInfo::instance(), &ScreenInfo::screensChanged, this, [this] {
        if (m_watcherPresent)
            offerSizes();
    });

    const int control = ++g_controlCounter;
    if (!m_busAddress.isEmpty())
        m_controlName = controlConnectionName(control);
    QDBusConnection bus = controlConnection(m_busAddress, control);
    m_connected = bus.isConnected();
    if (!m_connected) {
        logWarning(lcStatusItem, "sni.noBus error=%s", qUtf8Printable(bus.lastError().message()));
        setFallbackShown(true);
        return;
    }
    publish();

    m_serviceWatcher = new QDBusServiceWatcher(watcherService, bus,
                                               QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration
                                                   | QDBusServiceWatcher::WatchForOwnerChange,
                                               this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { onWatcherPresent(); });
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { onWatcherGone(); });
    // A watcher that takes the name over from a running one (a panel started
    // with "replace") arrives with no registered/unregistered pair: the new
    // owner knows nothing of us until we register again.
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                if (oldOwner.isEmpty() || newOwner.isEmpty())
                    return;
                logInfo(lcStatusItem, "sni.watcherReplaced");
                onWatcherPresent();
            });

    bus.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierItemRegistered"), this,
                SLOT(onItemRegistered(QString)));

    askAboutWatcher<bool>(bus, QStringLiteral("NameHasOwner"), this, [this](std::optional<bool> hasOwner) {
        if (hasOwner.value_or(false))
            onWatcherPresent();
        else if (!m_watcherPresent)
            setFallbackShown(true);
    });
}

SniStatusItem::~SniStatusItem()
{
    qDeleteAll(m_slots); // each gives up its bus name
    m_slots.clear();
    delete m_serviceWatcher;
    if (!m_controlName.isEmpty())
        QDBusConnection::disconnectFromBus(m_controlName);
    qDeleteAll(m_trayIcons);
}

SniItem* SniStatusItem::slotAt(qsizetype position) const
{
    return showsNewestFirst(m_host) ? m_slots[m_slots.size() - 1 - position] : m_slots[position];
}

QList<SniItem*> SniStatusItem::items() const
{
    QList<SniItem*> out;
    for (qsizetype i = 0; i < m_slots.size(); ++i)
        out.append(slotAt(i));
    return out;
}

QString SniStatusItem::serviceName() const
{
    return m_slots.isEmpty() ? QString() : slotAt(0)->serviceName();
}

bool SniStatusItem::isExported() const
{
    return !m_slots.isEmpty()
           && std::all_of(m_slots.cbegin(), m_slots.cend(), [](SniItem* s) { return s->isExported(); });
}

bool SniStatusItem::isRegisteredWithWatcher() const
{
    return !m_slots.isEmpty()
           && std::all_of(m_slots.cbegin(), m_slots.cend(), [](SniItem* s) { return s->isRegistered(); });
}

SniIconPixmapList SniStatusItem::iconPixmap() const
{
    return m_slots.isEmpty() ? SniIconPixmapList{} : slotAt(0)->iconPixmap();
}

void SniStatusItem::publish()
{
    if (m_connected) {
        const QList<StatusItem::Segment> segments = rowSegments(*m_item);
        const QList<StatusItem::Pictures>& pictures = m_item->pictures();
        resize(segments.size());
        for (qsizetype i = 0; i < segments.size(); ++i) {
            const StatusItem::Segment& segment = segments[i];
            SniItem* slot = slotAt(i);
            slot->setKey(segment.key);
            slot->setTitle(itemTitle(int(i), segment.name, m_host));
            slot->setToolTip(segment.name.isEmpty() ? m_title : segment.name, segment.figure);
            // The segment's pictures once composed (before the first
            // composition they are still to come); a segment that was not
            // drawn again is not sent again.
            if (i >= pictures.size() || pictures[i].key != segment.key || pictures[i].frame != segment.frame)
                continue;
            const QList<QImage>& images = pictures[i].images;
            const qint64 shown = images.isEmpty() ? 0 : images.constFirst().cacheKey();
            const auto known = m_shownPictures.constFind(slot);
            if (known != m_shownPictures.cend() && known->second == shown)
                continue;
            // A tile that moved to this slot (its pictures may come a
            // composition after its key).
            const bool moved = known != m_shownPictures.cend() && known->first != segment.key;
            m_shownPictures.insert(slot, {segment.key, shown});
            if (m_holding && !m_arriving.contains(slot))
                m_held.insert(slot, pixmapsOf(images));
            else
                slot->setIconPixmap(pixmapsOf(images), moved && m_host == Host::gnomeShell);
        }
        registerNext();
    }
    if (m_fallbackWanted)
        updateFallbackIcons();
}

SniItem* SniStatusItem::makeItem()
{
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(++g_itemCounter);
    auto* item = new SniItem(this, m_busAddress, name);
    connect(item, &SniItem::registered, this, [this, item] {
        if (m_host == Host::gnomeShell) {
            // The extension forgets Id and Menu when it sees the item's name
            // appear, which may come after it read them; within the second it
            // waits before reading them again, they are set anew.
            for (const int ms : identityDelaysMs)
                QTimer::singleShot(ms, item, &SniItem::announceIdentity);
        }
        // An item registered: the others have their time again.
        if (m_registerWait.isActive())
            m_registerWait.start();
        if (isRegisteredWithWatcher()) {
            m_registerWait.stop();
            if (!m_notShown)
                setFallbackShown(false);
            m_verify.start(m_verifyDelay);
            Q_EMIT registeredWithWatcher();
        }
        if (item != m_inFlight)
            return;
        // Hosts place an item once they have read it: the next waits until
        // the host has, so that the host meets them in order.
        m_pace.start(item->isSeenByHost() ? settleMs : unseenWaitMs);
    });
    connect(item, &SniItem::seenByHost, this, [this, item] {
        releaseOnArrival();
        if (item == m_inFlight && m_pace.isActive())
            m_pace.start(settleMs);
    });
    connect(item, &SniItem::registrationFailed, this, [this, item](const QString& error, bool retrying) {
        setFallbackShown(true);
        Q_EMIT registrationFailed(error);
        if (!retrying && item == m_inFlight) {
            m_inFlight = nullptr;
            registerNext();
        }
    });
    return item;
}

void SniStatusItem::resize(qsizetype count)
{
    // The slot registered last goes first: the row's last on most hosts, its
    // first on hosts that show the newest first, where a new slot also
    // appears first. Either way the others keep their places.
    while (m_slots.size() > count) {
        SniItem* gone = m_slots.takeLast();
        m_shownPictures.remove(gone);
        m_held.remove(gone);
        m_arriving.removeAll(gone);
        m_queue.removeAll(gone);
        if (gone == m_inFlight) {
            m_inFlight = nullptr;
            m_pace.stop();
        }
        if (m_host == Host::gnomeShell) {
            // Hidden at once; the extension ignores a status that comes
            // after the name is gone, and drops the item 500 ms after that.
            QTimer::singleShot(statusLagMs, gone, [gone] { gone->setHidden(true); });
            QTimer::singleShot(retireDelayMs, gone, &SniItem::retire);
            continue;
        }
        gone->retire();
    }
    const bool growing = !m_slots.isEmpty() && m_slots.size() < count;
    while (m_slots.size() < count) {
        SniItem* item = makeItem();
        if (growing && m_watcherPresent && showsNewestFirst(m_host)) {
            item->setHidden(m_host == Host::gnomeShell);
            m_arriving.append(item);
            m_holding = true;
            m_arrival.start(arrivalMs);
        }
        const int position = int(m_slots.size());
        item->setMenuPath(menuPathFor(m_host));
        m_slots.append(item);
        // Ids are the slots' own: a slot keeps its Id while it shows other tiles.
        item->setId(itemId(position, m_host));
        if (m_watcherPresent)
            m_queue.append(item);
    }
}

void SniStatusItem::releaseOnArrival()
{
    // GNOME has placed an item when the watcher announces it, Xfce once it
    // has read the item.
    const bool arrived = std::all_of(m_arriving.cbegin(), m_arriving.cend(), [this](const QPointer<SniItem>& slot) {
        return !slot || (m_host == Host::gnomeShell ? slot->isTakenIn() : slot->isSeenByHost());
    });
    if (!m_arriving.isEmpty() && arrived)
        QTimer::singleShot(m_host == Host::gnomeShell ? 0 : xfceLagMs, this, &SniStatusItem::releaseHeld);
}

void SniStatusItem::releaseHeld()
{
    m_arrival.stop();
    m_holding = false;
    const QList<QPointer<SniItem>> arriving = std::exchange(m_arriving, {});
    const QHash<SniItem*, SniIconPixmapList> held = std::exchange(m_held, {});
    for (auto it = held.cbegin(); it != held.cend(); ++it)
        it.key()->setIconPixmap(it.value(), m_host == Host::gnomeShell);
    // The extension shows a status within a frame, a picture a frame or so
    // later (it converts the pixels in idle steps).
    QTimer::singleShot(statusLagMs, this, [this, arriving] {
        for (const QPointer<SniItem>& slot : arriving) {
            if (slot && m_slots.contains(slot.data()))
                slot->setHidden(false);
        }
    });
}

void SniStatusItem::registerAll()
{
    releaseHeld();
    m_queue.clear();
    m_inFlight = nullptr;
    m_pace.stop();
    m_verify.stop();
    m_registerWait.stop();
    const QString menuPath = menuPathFor(m_host);
    for (qsizetype i = 0; i < m_slots.size(); ++i) {
        SniItem* item = m_slots[i];
        item->resetRegistration();
        item->setMenuPath(menuPath);
        item->setId(itemId(int(i), m_host));
        m_queue.append(item);
    }
    // The host may have changed: the slots show the row in its order.
    publish();
}

void SniStatusItem::registerNext()
{
    // One registration at a time: the items of separate connections would
    // otherwise reach the watcher in any order.
    if (m_inFlight || !m_watcherPresent)
        return;
    while (!m_queue.isEmpty()) {
        QPointer<SniItem> next = m_queue.takeFirst();
        if (!next || !next->isExported())
            continue;
        m_inFlight = next;
        if (!m_registerWait.isActive())
            m_registerWait.start();
        next->registerWithWatcher();
        return;
    }
}

void SniStatusItem::onWatcherPresent()
{
    // Which host serves the watcher decides the order of registration.
    QDBusConnection bus = m_serviceWatcher->connection();
    askAboutWatcher<uint>(bus, QStringLiteral("GetConnectionUnixProcessID"), this, [this](std::optional<uint> pid) {
        QByteArray commandLine;
        QString workingFolder; // where the host's relative paths start
        if (pid) {
            commandLine = m_commandLineOf ? m_commandLineOf(*pid) : commandLineOf(*pid);
            workingFolder = QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(*pid));
        }
        m_host = hostOf(commandLine);
        m_slotHeight = slotHeightFor(m_host, commandLine, workingFolder);
        static const char* const names[] = {"other", "xfce", "gnomeShell", "plasma", "lxqt", "waybar"};
        logInfo(lcStatusItem, "sni.watcher host=%s slot=%d", names[int(m_host)], m_slotHeight);
        Appearance::instance()->setPanelHost(panelHostOf(m_host));
        offerSizes();
        m_watcherPresent = true;
        m_reregistered = false;
        m_notShown = false;
        m_seenShown = false;
        registerAll();
        noteStatusArea();
    });
}

void SniStatusItem::offerSizes()
{
    const QList<int> sizes = offeredPixelSizes(m_host, m_slotHeight, ScreenInfo::instance()->mainBackingScaleFactor());
    if (sizes == m_item->composedPixelSizes())
        return;
    QStringList shown;
    for (const int size : sizes)
        shown.append(QString::number(size));
    logInfo(lcStatusItem, "sni.sizes pixels=%s", qUtf8Printable(shown.join(QLatin1Char(','))));
    m_item->setComposedPixelSizes(sizes);
}

void SniStatusItem::onWatcherGone()
{
    logInfo(lcStatusItem, "sni.watcherGone");
    Appearance::instance()->setPanelHost(Appearance::PanelHost::unknown);
    // A tray icon may take any height: every one is drawn again.
    m_item->setComposedPixelSizes(QList<int>(StatusItem::pixelSizes.cbegin(), StatusItem::pixelSizes.cend()));
    releaseHeld();
    m_watcherPresent = false;
    m_seenShown = false;
    m_queue.clear();
    m_inFlight = nullptr;
    m_pace.stop();
    m_verify.stop();
    m_registerWait.stop();
    for (SniItem* slot : std::as_const(m_slots))
        slot->resetRegistration();
    m_noTray = false;
    setFallbackShown(true);
}

void SniStatusItem::onItemRegistered(const QString& entry)
{
    const QStringList entries{entry};
    const auto it =
        std::find_if(m_slots.begin(), m_slots.end(), [&](SniItem* slot) { return slot->isListedIn(entries); });
    if (it == m_slots.end())
        return;
    // The slot goes after every slot the host took in before it, ahead of
    // those still to register: the slots keep the order in which the host
    // took them in, which need not be the order we asked in (the host found
    // the item by itself, or dropped and took it in again).
    SniItem* taken = *it;
    const qsizetype from = it - m_slots.begin();
    m_slots.erase(it);
    qsizetype to = 0;
    for (qsizetype i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i]->isTakenIn())
            to = i + 1;
    }
    m_slots.insert(to, taken);
    taken->setTakenIn(true);
    releaseOnArrival();
    if (to == from)
        return;
    logInfo(lcStatusItem, "sni.reordered name=%s from=%lld to=%lld", qUtf8Printable(taken->serviceName()),
            qlonglong(from), qlonglong(to));
    publish();
}

void SniStatusItem::verifyShown()
{
    if (!m_watcherPresent || !isRegisteredWithWatcher())
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcherService << QStringLiteral("RegisteredStatusNotifierItems");
    auto* call = new QDBusPendingCallWatcher(m_serviceWatcher->connection().asyncCall(get, 3000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!m_watcherPresent || !isRegisteredWithWatcher())
            return;
        const QDBusPendingReply<QDBusVariant> reply = *w;
        const QStringList listed = reply.isError() ? QStringList() : reply.value().variant().toStringList();
        QList<SniItem*> unshown;
        for (SniItem* slot : std::as_const(m_slots)) {
            if (!slot->isSeenByHost() || (!reply.isError() && !slot->isListedIn(listed)))
                unshown.append(slot);
        }
        if (unshown.isEmpty()) {
            // Shown: a later drop is tried again too, and a fallback for an
            // earlier one goes.
            m_reregistered = false;
            m_seenShown = true;
            if (m_notShown) {
                m_notShown = false;
                setFallbackShown(false);
            }
            noteStatusArea();
            return;
        }
        if (!m_reregistered) {
            // A host may drop an item it met while starting: once more.
            m_reregistered = true;
            logWarning(lcStatusItem, "sni.unshown items=%lld/%lld listed=%lld reregistering", qlonglong(unshown.size()),
                       qlonglong(m_slots.size()), qlonglong(listed.size()));
            for (SniItem* slot : std::as_const(unshown)) {
                slot->resetRegistration();
                m_queue.append(slot);
            }
            registerNext();
            return;
        }
        // The host took the registrations but does not show the items.
        logWarning(lcStatusItem, "sni.notShown items=%lld/%lld fallback", qlonglong(unshown.size()),
                   qlonglong(m_slots.size()));
        m_notShown = true;
        setFallbackShown(true);
    });
}

void SniStatusItem::onRegistrationStalled()
{
    if (!m_watcherPresent || isRegisteredWithWatcher())
        return;
    const auto registered =
        std::count_if(m_slots.cbegin(), m_slots.cend(), [](SniItem* s) { return s->isRegistered(); });
    logWarning(lcStatusItem, "sni.notShown registered=%lld/%lld fallback", qlonglong(registered),
               qlonglong(m_slots.size()));
    m_notShown = true;
    setFallbackShown(true);
}

bool SniStatusItem::isFallbackShown() const
{
    return m_fallbackWanted;
}

bool SniStatusItem::isInTray() const
{
    return m_fallbackWanted && std::any_of(m_trayIcons.cbegin(), m_trayIcons.cend(), [](TrayIcon* icon) {
               return !icon->geometry().isEmpty();
           });
}

bool SniStatusItem::hasStatusArea() const
{
    return (m_watcherPresent && !m_notShown) || isInTray();
}

bool SniStatusItem::isRowSeen() const
{
    return (m_watcherPresent && m_seenShown) || isInTray();
}

void SniStatusItem::noteStatusArea()
{
    const bool present = hasStatusArea();
    const bool seen = isRowSeen();
    if (m_statusArea == present && m_rowSeen == seen)
        return;
    if (m_statusArea != present && present)
        logInfo(lcStatusItem, "sni.statusArea shown");
    else if (m_statusArea != present)
        logInfo(lcStatusItem, "sni.statusArea missing watcher=%d trayIcons=%lld", int(m_watcherPresent),
                qlonglong(m_trayIcons.size()));
    m_statusArea = present;
    m_rowSeen = seen;
    Q_EMIT statusAreaChanged(present);
}

void SniStatusItem::setFallbackShown(bool shown)
{
    if (shown && !m_fallbackWanted)
        m_noTray = false;
    m_fallbackWanted = shown;
    if (shown) {
        updateFallbackIcons();
    } else {
        for (TrayIcon* icon : std::as_const(m_trayIcons))
            icon->hide();
    }
    noteStatusArea();
}

void SniStatusItem::updateFallbackIcons()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QList<StatusItem::Segment> segments = rowSegments(*m_item);
    // Slots as the items: one icon comes or goes at a time and the others
    // keep their places in the tray; each shows the tile of its place.
    while (m_trayIcons.size() > segments.size()) {
        TrayIcon* gone = m_trayIcons.takeLast();
        m_trayPictures.remove(gone);
        m_trayKeys.remove(gone);
        delete gone;
        scheduleTrayChecks();
    }
    while (m_trayIcons.size() < segments.size() && !m_noTray) {
        TrayIcon* icon = TrayIcon::create();
        if (!icon) {
            m_noTray = true;
            logInfo(lcStatusItem, "sni.noTray icons=%lld", qlonglong(m_trayIcons.size()));
            break;
        }
        connect(icon, &TrayIcon::activated, this, [this, icon] {
            const QPoint at = QCursor::pos();
            logInfo(lcStatusItem, "sni.click method=tray item=%s x=%d y=%d", qUtf8Printable(m_trayKeys.value(icon)),
                    at.x(), at.y());
            activate(at);
        });
        connect(icon, &TrayIcon::trayChanged, this, [this] {
            noteStatusArea();
            scheduleTrayChecks();
        });
        m_trayIcons.append(icon);
        scheduleTrayChecks();
    }
    if (m_trayIcons.size() < segments.size())
        return;
    const QList<TrayIcon*> shown = trayIconsInShownOrder();
    const QList<StatusItem::Pictures>& pictures = m_item->pictures();
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const StatusItem::Segment& segment = segments[i];
        TrayIcon* icon = shown[i];
        m_trayKeys.insert(icon, segment.key);
        QString tip = segment.name.isEmpty() ? m_title : segment.name;
        if (!segment.name.isEmpty() && !segment.figure.isEmpty())
            tip += QLatin1Char('\n') + segment.figure;
        icon->setToolTip(tip);
        if (i < pictures.size() && pictures[i].key == segment.key && pictures[i].frame == segment.frame) {
            const QList<QImage> images = pictures[i].images;
            const qint64 picture = images.isEmpty() ? 0 : images.constFirst().cacheKey();
            if (m_trayPictures.value(icon, -1) != picture) {
                m_trayPictures.insert(icon, picture);
                // Drawn for the tray's icon size when the tray paints it: one
                // of the composed pictures where the heights match.
                const QRectF frame = segment.frame;
                icon->setIcon(QIcon(new TrayTileIconEngine(
                    frame.size(), [item = QPointer<StatusItem>(m_item), frame, images](int pixels) -> QImage {
                        for (const QImage& image : images) {
                            if (image.height() == pixels)
                                return image;
                        }
                        return item ? item->render(frame, pixels) : QImage();
                    })));
            }
        }
        // An icon shows once it has a picture.
        if (m_trayPictures.contains(icon))
            icon->show();
    }
}

QList<TrayIcon*> SniStatusItem::trayIconsInShownOrder() const
{
    // Left to right (top to bottom in a vertical tray); icons no tray holds
    // yet after them, in the order they came.
    QList<std::tuple<bool, int, int, qsizetype>> keys;
    for (qsizetype i = 0; i < m_trayIcons.size(); ++i) {
        const QRect place = m_trayIcons[i]->geometry();
        keys.append({place.isEmpty(), place.isEmpty() ? 0 : place.x(), place.isEmpty() ? 0 : place.y(), i});
    }
    std::sort(keys.begin(), keys.end());
    QList<TrayIcon*> out;
    for (const auto& key : std::as_const(keys))
        out.append(m_trayIcons[std::get<3>(key)]);
    return out;
}

void SniStatusItem::scheduleTrayChecks()
{
    // A tray places an icon a moment after it took it in, and tells nobody:
    // where the icons are is read again a few times.
    m_trayChecks = 0;
    m_trayCheck.start(trayCheckMs);
}

void SniStatusItem::setStatus(const QString& status)
{
    if (status == m_status)
        return;
    m_status = status;
    for (SniItem* slot : std::as_const(m_slots))
        if (slot->adaptor() && !slot->isHidden())
            Q_EMIT slot->adaptor()->NewStatus(status);
}

void SniStatusItem::setToolTip(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    publish();
}

void SniStatusItem::activate(const QPoint& position)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // Some hosts send the click's position inside the item; the popover
    // opens by the item all the same.
    QList<ScreenFacts> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens.append(ScreenInfo::factsOf(primary));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(ScreenInfo::factsOf(screen));
    }
    // In a Wayland session the pointer over the panel (a Wayland surface) is
    // not ours to know: XWayland keeps where it last left an X window.
    std::optional<QPoint> pointer;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        pointer = QCursor::pos();
    const SniClickAnchor::Anchor anchor = SniClickAnchor::resolve(position, pointer, screens);
    if (anchor.source != SniClickAnchor::Source::host) {
        const char* source = anchor.source == SniClickAnchor::Source::pointer ? "pointer" : "panel-end";
        logInfo(lcStatusItem, "sni.anchor x=%d y=%d from=%s", anchor.point.x(), anchor.point.y(), source);
    }
    m_item->performAction(anchor.point);
}

} // namespace gaugelet
