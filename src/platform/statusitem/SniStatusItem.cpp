#include "platform/statusitem/SniStatusItem.h"

#include "platform/core/MainThread.h"
#include "platform/statusitem/SniItem.h"
#include "platform/statusitem/SniItemAdaptor.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/StatusItemLog.h"
#include "platform/statusitem/TrayIcon.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cmath>
#include <optional>
#include <unistd.h>

namespace gaugelet {

const QString SniStatusItem::watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString SniStatusItem::watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString SniStatusItem::itemPath = QStringLiteral("/StatusNotifierItem");

namespace {

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

// A segment's pictures, one per pixel height: hosts take the one of their
// slot's height, or resample the nearest.
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

SniStatusItem::HostOrder SniStatusItem::hostOrderOf(const QByteArray& commandLine)
{
    // Xfce's status tray runs as a panel plugin ("…/xfce4/panel/wrapper-2.0
    // …/libsystray.so …", or inside xfce4-panel itself).
    if (commandLine.contains("xfce4") && (commandLine.contains("systray") || commandLine.contains("xfce4-panel")))
        return HostOrder::newestFirst;
    return HostOrder::registration;
}

QString SniStatusItem::itemId(int position, const QString& key, HostOrder order)
{
    if (key.isEmpty() || order == HostOrder::newestFirst)
        return QStringLiteral("gaugelet");
    QString safe = key;
    for (QChar& c : safe) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('.') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return QStringLiteral("gaugelet-%1-%2").arg(position, 3, 10, QLatin1Char('0')).arg(safe);
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
    connect(m_item, &StatusItem::imageChanged, this, &SniStatusItem::publish);

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

    askAboutWatcher<bool>(bus, QStringLiteral("NameHasOwner"), this, [this](std::optional<bool> hasOwner) {
        if (hasOwner.value_or(false))
            onWatcherPresent();
        else if (!m_watcherPresent)
            setFallbackShown(true);
    });
}

SniStatusItem::~SniStatusItem()
{
    for (const Entry& entry : std::as_const(m_entries))
        delete entry.item; // each gives up its bus name
    m_entries.clear();
    delete m_serviceWatcher;
    if (!m_controlName.isEmpty())
        QDBusConnection::disconnectFromBus(m_controlName);
    delete m_trayIcon;
}

QList<SniItem*> SniStatusItem::items() const
{
    QList<SniItem*> out;
    for (const Entry& entry : m_entries)
        out.append(entry.item);
    return out;
}

QString SniStatusItem::serviceName() const
{
    return m_entries.isEmpty() ? QString() : m_entries.first().item->serviceName();
}

bool SniStatusItem::isExported() const
{
    return !m_entries.isEmpty()
           && std::all_of(m_entries.cbegin(), m_entries.cend(), [](const Entry& e) { return e.item->isExported(); });
}

bool SniStatusItem::isRegisteredWithWatcher() const
{
    return !m_entries.isEmpty()
           && std::all_of(m_entries.cbegin(), m_entries.cend(), [](const Entry& e) { return e.item->isRegistered(); });
}

SniIconPixmapList SniStatusItem::iconPixmap() const
{
    return m_entries.isEmpty() ? SniIconPixmapList{} : m_entries.first().item->iconPixmap();
}

void SniStatusItem::publish()
{
    if (m_connected) {
        const QList<StatusItem::Pictures>& pictures = m_item->pictures();
        QStringList keys;
        for (const auto& segment : pictures)
            keys.append(segment.key);
        if (pictures.isEmpty()) {
            // Before the first composition: the items, their pictures to come.
            for (const auto& segment : m_item->segments())
                keys.append(segment.key);
            if (keys.isEmpty())
                keys.append(QString());
        }
        rebuild(keys);
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            // A segment drawn again has new images; one that was not is not sent again.
            const QList<QImage>& images = pictures[i].images;
            const qint64 shown = images.isEmpty() ? 0 : images.constFirst().cacheKey();
            if (m_entries[i].shownPictures == shown && m_entries[i].item->iconPixmap().size() == images.size())
                continue;
            m_entries[i].shownPictures = shown;
            m_entries[i].item->setIconPixmap(pixmapsOf(images));
        }
        registerNext();
    }
    if (m_fallbackWanted)
        updateFallbackIcon();
}

SniItem* SniStatusItem::makeItem()
{
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(++g_itemCounter);
    auto* item = new SniItem(this, m_busAddress, name);
    connect(item, &SniItem::registered, this, [this, item] {
        if (isRegisteredWithWatcher()) {
            setFallbackShown(false);
            Q_EMIT registeredWithWatcher();
        }
        if (item != m_inFlight)
            return;
        // Hosts place an item once they have read it: the next waits until
        // the host has, so that the host meets them in order.
        m_pace.start(item->isSeenByHost() ? settleMs : unseenWaitMs);
    });
    connect(item, &SniItem::seenByHost, this, [this, item] {
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

void SniStatusItem::rebuild(const QStringList& keys)
{
    qsizetype same = 0;
    while (same < m_entries.size() && same < keys.size() && m_entries[same].key == keys[same])
        ++same;
    if (same == m_entries.size() && same == keys.size())
        return;
    // Hosts that show the newest first need every item registered anew.
    if (m_hostOrder == HostOrder::newestFirst)
        same = 0;
    while (m_entries.size() > same) {
        SniItem* gone = m_entries.takeLast().item;
        if (gone == m_inFlight) {
            m_inFlight = nullptr;
            m_pace.stop();
        }
        gone->retire();
    }
    for (qsizetype i = same; i < keys.size(); ++i) {
        SniItem* item = makeItem();
        item->setKey(keys[i]);
        item->setId(itemId(int(i), keys[i], m_hostOrder));
        m_entries.append({keys[i], item});
    }
    if (!m_watcherPresent)
        return;
    if (m_hostOrder == HostOrder::newestFirst) {
        m_queue.clear();
        for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
            m_queue.append(m_entries[i].item);
    } else {
        for (qsizetype i = same; i < m_entries.size(); ++i)
            m_queue.append(m_entries[i].item);
    }
}

void SniStatusItem::registerAll()
{
    m_queue.clear();
    m_inFlight = nullptr;
    m_pace.stop();
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        SniItem* item = m_entries[i].item;
        item->resetRegistration();
        item->setId(itemId(int(i), m_entries[i].key, m_hostOrder));
        if (m_hostOrder == HostOrder::newestFirst)
            m_queue.prepend(item);
        else
            m_queue.append(item);
    }
    registerNext();
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
        if (pid) {
            QFile file(QStringLiteral("/proc/%1/cmdline").arg(*pid));
            if (file.open(QIODevice::ReadOnly))
                commandLine = file.read(4096);
        }
        m_hostOrder = hostOrderOf(commandLine);
        logInfo(lcStatusItem, "sni.watcher order=%s",
                m_hostOrder == HostOrder::newestFirst ? "newestFirst" : "registration");
        m_watcherPresent = true;
        registerAll();
    });
}

void SniStatusItem::onWatcherGone()
{
    logInfo(lcStatusItem, "sni.watcherGone");
    m_watcherPresent = false;
    m_queue.clear();
    m_inFlight = nullptr;
    m_pace.stop();
    for (const Entry& entry : std::as_const(m_entries))
        entry.item->resetRegistration();
    setFallbackShown(true);
}

bool SniStatusItem::isFallbackShown() const
{
    return m_fallbackWanted;
}

void SniStatusItem::setFallbackShown(bool shown)
{
    m_fallbackWanted = shown;
    if (!shown) {
        if (m_trayIcon)
            m_trayIcon->hide();
        return;
    }
    if (!m_trayIcon && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        m_trayIcon = TrayIcon::create();
        if (m_trayIcon)
            connect(m_trayIcon, &TrayIcon::activated, this, [this] { activate(QCursor::pos()); });
    }
    if (!m_trayIcon) {
        logInfo(lcStatusItem, "sni.noTray");
        return;
    }
    updateFallbackIcon();
    m_trayIcon->setToolTip(m_title);
    m_trayIcon->show();
}

void SniStatusItem::updateFallbackIcon()
{
    if (!m_trayIcon)
        return;
    QIcon icon;
    if (!m_item->image1x().isNull())
        icon.addPixmap(QPixmap::fromImage(m_item->image1x()));
    if (!m_item->image2x().isNull())
        icon.addPixmap(QPixmap::fromImage(m_item->image2x()));
    m_trayIcon->setIcon(icon);
}

void SniStatusItem::setStatus(const QString& status)
{
    if (status == m_status)
        return;
    m_status = status;
    for (const Entry& entry : std::as_const(m_entries))
        if (entry.item->adaptor())
            Q_EMIT entry.item->adaptor()->NewStatus(status);
}

SniToolTip SniStatusItem::toolTip() const
{
    SniToolTip tip;
    tip.title = m_title;
    tip.description = m_toolTipDescription;
    return tip;
}

void SniStatusItem::setToolTip(const QString& title, const QString& description)
{
    if (title == m_title && description == m_toolTipDescription)
        return;
    m_title = title;
    m_toolTipDescription = description;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.item->adaptor()) {
            Q_EMIT entry.item->adaptor()->NewTitle();
            Q_EMIT entry.item->adaptor()->NewToolTip();
        }
    }
    if (m_trayIcon)
        m_trayIcon->setToolTip(title);
}

void SniStatusItem::activate(const QPoint& position)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_item->performAction(position);
}

} // namespace gaugelet
