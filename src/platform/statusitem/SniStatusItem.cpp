#include "platform/statusitem/SniStatusItem.h"

#include "platform/core/DBusValue.h"
#include "platform/core/MainThread.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/SniClickAnchor.h"
#include "platform/statusitem/SniItem.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/StatusItemLog.h"
#include "platform/style/Appearance.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <optional>
#include <unistd.h>
#include <utility>

namespace gaugelet {

const QString SniStatusItem::watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString SniStatusItem::watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString SniStatusItem::itemPath = QStringLiteral("/StatusNotifierItem");

namespace {

// When an item tells GNOME's extension its Id and Menu again after registering.
constexpr int identityDelaysMs[] = {250, 750};

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

} // namespace

SniStatusItem::SniStatusItem(StatusItem* item, const QString& busAddress)
    : QObject(item), m_item(item), m_busAddress(busAddress), m_fallback(item)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    registerSniTypes();
    m_fallback.setTitle(m_title);
    connect(&m_fallback, &SniTrayFallback::clicked, this, &SniStatusItem::activate);
    connect(&m_fallback, &SniTrayFallback::trayChanged, this, &SniStatusItem::noteStatusArea);
    connect(&m_hostSettings, &HostSettingsWatch::slotHeightChanged, this, [this](int height) {
        logInfo(lcStatusItem, "sni.slotChanged slot=%d", height);
        m_host.setSlotHeight(height);
        offerSizes();
    });
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

    bus.connect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierItemRegistered"),
                QStringLiteral("s"), this, SLOT(onItemRegistered(QString)));

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
    // The signal hooks go while this object is whole, before its connection
    // is closed, as every hook on a connection this object closes: its own,
    // and those the host's settings watch has on it for xfconfd.
    m_hostSettings.stop();
    if (m_connected) {
        QDBusConnection bus = m_controlName.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(m_controlName);
        bus.disconnect(watcherService, watcherPath, watcherService, QStringLiteral("StatusNotifierItemRegistered"),
                       QStringLiteral("s"), this, SLOT(onItemRegistered(QString)));
    }
    if (!m_controlName.isEmpty())
        QDBusConnection::disconnectFromBus(m_controlName);
}

SniItem* SniStatusItem::slotAt(qsizetype position) const
{
    return m_host.showsNewestFirst() ? m_slots[m_slots.size() - 1 - position] : m_slots[position];
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
        const QList<StatusItem::Segment> segments = m_item->publishedSegments();
        const QList<StatusItem::Pictures>& pictures = m_item->pictures();
        resize(segments.size());
        for (qsizetype i = 0; i < segments.size(); ++i) {
            const StatusItem::Segment& segment = segments[i];
            SniItem* slot = slotAt(i);
            slot->setKey(segment.key);
            slot->setTitle(m_host.itemTitle(int(i), segment.name));
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
                slot->setIconPixmap(pixmapsOf(images), moved && onGnomeShell());
        }
        registerNext();
    }
    if (m_fallback.isShown())
        m_fallback.update();
}

SniItem* SniStatusItem::makeItem()
{
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(++g_itemCounter);
    auto* item = new SniItem(this, m_busAddress, name);
    connect(item, &SniItem::registered, this, [this, item] {
        if (onGnomeShell()) {
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
        if (onGnomeShell()) {
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
        if (growing && m_watcherPresent && m_host.showsNewestFirst()) {
            item->setHidden(onGnomeShell());
            m_arriving.append(item);
            m_holding = true;
            m_arrival.start(arrivalMs);
        }
        const int position = int(m_slots.size());
        item->setMenuPath(m_host.menuPath());
        m_slots.append(item);
        // Ids are the slots' own: a slot keeps its Id while it shows other tiles.
        item->setId(m_host.itemId(position));
        if (m_watcherPresent)
            m_queue.append(item);
    }
}

void SniStatusItem::releaseOnArrival()
{
    // GNOME has placed an item when the watcher announces it, Xfce once it
    // has read the item.
    const bool arrived = std::all_of(m_arriving.cbegin(), m_arriving.cend(), [this](const QPointer<SniItem>& slot) {
        return !slot || (onGnomeShell() ? slot->isTakenIn() : slot->isSeenByHost());
    });
    if (!m_arriving.isEmpty() && arrived)
        QTimer::singleShot(onGnomeShell() ? 0 : xfceLagMs, this, &SniStatusItem::releaseHeld);
}

void SniStatusItem::releaseHeld()
{
    m_arrival.stop();
    m_holding = false;
    const QList<QPointer<SniItem>> arriving = std::exchange(m_arriving, {});
    const QHash<SniItem*, SniIconPixmapList> held = std::exchange(m_held, {});
    for (auto it = held.cbegin(); it != held.cend(); ++it)
        it.key()->setIconPixmap(it.value(), onGnomeShell());
    // The extension shows a status and pictures sent with their pixels in
    // the same frame when the status follows the pictures.
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
    const QString menuPath = m_host.menuPath();
    for (qsizetype i = 0; i < m_slots.size(); ++i) {
        SniItem* item = m_slots[i];
        item->resetRegistration();
        item->setMenuPath(menuPath);
        item->setId(m_host.itemId(int(i)));
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
            commandLine = m_commandLineOf ? m_commandLineOf(*pid) : StatusAreaHost::commandLineOf(*pid);
            workingFolder = StatusAreaHost::workingFolderOf(*pid);
        }
        m_host = StatusAreaHost::fromCommandLine(commandLine, workingFolder);
        logInfo(lcStatusItem, "sni.watcher host=%s slot=%d", m_host.name(), m_host.slotHeight());
        Appearance::instance()->setPanelHost(m_host.panelHost());
        m_hostSettings.follow(m_host, m_serviceWatcher->connection());
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
    const QList<int> sizes = m_host.offeredPixelSizes(ScreenInfo::instance()->mainBackingScaleFactor());
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
    m_hostSettings.stop();
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
    m_fallback.retry();
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
        // A list of another type is no answer, as a failed call.
        const std::optional<QStringList> answer =
            reply.isError() ? std::nullopt : DBusValue::as<QStringList>(reply.value().variant());
        const QStringList listed = answer.value_or(QStringList());
        QList<SniItem*> unshown;
        for (SniItem* slot : std::as_const(m_slots)) {
            if (!slot->isSeenByHost() || (answer && !slot->isListedIn(listed)))
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
            // A host may drop an item it met while starting: once more, under
            // its name owned anew, so that a watcher that lists it takes it in
            // as new.
            m_reregistered = true;
            logWarning(lcStatusItem, "sni.unshown items=%lld/%lld listed=%lld reregistering", qlonglong(unshown.size()),
                       qlonglong(m_slots.size()), qlonglong(listed.size()));
            for (SniItem* slot : std::as_const(unshown)) {
                slot->resetRegistration();
                slot->ownNameAgain();
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
    return m_fallback.isShown();
}

bool SniStatusItem::hasStatusArea() const
{
    return (m_watcherPresent && !m_notShown) || m_fallback.isInTray();
}

bool SniStatusItem::isRowSeen() const
{
    return (m_watcherPresent && m_seenShown) || m_fallback.isInTray();
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
                qlonglong(m_fallback.iconCount()));
    m_statusArea = present;
    m_rowSeen = seen;
    Q_EMIT statusAreaChanged(present);
}

void SniStatusItem::setFallbackShown(bool shown)
{
    m_fallback.setShown(shown);
    noteStatusArea();
}

void SniStatusItem::setStatus(const QString& status)
{
    if (status == m_status)
        return;
    m_status = status;
    for (SniItem* slot : std::as_const(m_slots))
        slot->announceStatus();
}

void SniStatusItem::setToolTip(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    m_fallback.setTitle(title);
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
