#include "platform/statusitem/SniStatusItem.h"

#include "platform/core/MainThread.h"
#include "platform/statusitem/SniItemAdaptor.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/StatusItemLog.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <unistd.h>

namespace gaugelet {

const QString SniStatusItem::watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString SniStatusItem::watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString SniStatusItem::itemPath = QStringLiteral("/StatusNotifierItem");

namespace {
int g_itemCounter = 0; // the <n> of the bus name, per process
}

SniStatusItem::SniStatusItem(StatusItem* item, QDBusConnection bus) : QObject(item), m_item(item), m_bus(std::move(bus))
{
    GAUGELET_ASSERT_MAIN_THREAD();
    registerSniTypes();
    connect(m_item, &StatusItem::imageChanged, this, &SniStatusItem::onImageChanged);
    onImageChanged();

    m_serviceName = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(++g_itemCounter);
    if (!m_bus.isConnected()) {
        logWarning(lcStatusItem, "sni.noBus error=%s", qUtf8Printable(m_bus.lastError().message()));
        setFallbackShown(true);
        return;
    }
    m_exportedObject = new QObject(this);
    m_adaptor = new SniItemAdaptor(m_exportedObject, this);
    if (!m_bus.registerObject(itemPath, m_exportedObject, QDBusConnection::ExportAdaptors)) {
        logWarning(lcStatusItem, "sni.registerObject failed path=%s", qUtf8Printable(itemPath));
        setFallbackShown(true);
        return;
    }
    if (!m_bus.registerService(m_serviceName)) {
        logWarning(lcStatusItem, "sni.registerService failed name=%s error=%s", qUtf8Printable(m_serviceName),
                   qUtf8Printable(m_bus.lastError().message()));
        m_bus.unregisterObject(itemPath);
        setFallbackShown(true);
        return;
    }
    m_exported = true;

    m_serviceWatcher = new QDBusServiceWatcher(watcherService, m_bus,
                                               QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration
                                                   | QDBusServiceWatcher::WatchForOwnerChange,
                                               this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        m_registerAttempts = 0;
        registerWithWatcher();
    });
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { onWatcherGone(); });
    // A watcher that takes the name over from a running one (a panel started
    // with "replace") arrives with no registered/unregistered pair: the new
    // owner knows nothing of us until we register again.
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                if (oldOwner.isEmpty() || newOwner.isEmpty())
                    return;
                logInfo(lcStatusItem, "sni.watcherReplaced");
                m_registered = false;
                m_registerAttempts = 0;
                registerWithWatcher();
            });
    checkForWatcher();
}

SniStatusItem::~SniStatusItem()
{
    if (m_exported) {
        m_bus.unregisterService(m_serviceName);
        m_bus.unregisterObject(itemPath);
    }
    delete m_trayIcon;
}

void SniStatusItem::checkForWatcher()
{
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << watcherService;
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(ask, 3000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<bool> reply = *w;
        if (!reply.isError() && reply.value())
            registerWithWatcher();
        else if (!m_registered)
            setFallbackShown(true);
    });
}

void SniStatusItem::registerWithWatcher()
{
    ++m_registerAttempts;
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<> reply = *w;
        if (reply.isError()) {
            logWarning(lcStatusItem, "sni.register failed error=%s attempt=%d", qUtf8Printable(reply.error().message()),
                       m_registerAttempts);
            m_registered = false;
            setFallbackShown(true);
            Q_EMIT registrationFailed(reply.error().message());
            // A watcher that has just taken its name may not serve its object
            // yet: try again a few times, a little later each time.
            if (m_registerAttempts < maxRegisterAttempts) {
                QTimer::singleShot(250 * m_registerAttempts, this, [this] {
                    if (!m_registered)
                        registerWithWatcher();
                });
            }
            return;
        }
        m_registerAttempts = 0;
        logInfo(lcStatusItem, "sni.registered name=%s", qUtf8Printable(m_serviceName));
        m_registered = true;
        setFallbackShown(false);
        Q_EMIT registeredWithWatcher();
    });
}

void SniStatusItem::onWatcherGone()
{
    logInfo(lcStatusItem, "sni.watcherGone");
    m_registered = false;
    m_registerAttempts = 0;
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
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || !QSystemTrayIcon::isSystemTrayAvailable()) {
        logInfo(lcStatusItem, "sni.noTray");
        return;
    }
    if (!m_trayIcon) {
        m_trayIcon = new QSystemTrayIcon();
        connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context || reason == QSystemTrayIcon::MiddleClick)
                activate(QCursor::pos());
        });
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

void SniStatusItem::onImageChanged()
{
    SniIconPixmapList pixmaps;
    if (!m_item->image1x().isNull())
        pixmaps.append(SniIconPixmap::fromImage(m_item->image1x()));
    if (!m_item->image2x().isNull())
        pixmaps.append(SniIconPixmap::fromImage(m_item->image2x()));
    m_pixmaps = std::move(pixmaps);
    if (m_adaptor)
        Q_EMIT m_adaptor->NewIcon();
    if (m_fallbackWanted)
        updateFallbackIcon();
}

void SniStatusItem::setStatus(const QString& status)
{
    if (status == m_status)
        return;
    m_status = status;
    if (m_adaptor)
        Q_EMIT m_adaptor->NewStatus(status);
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
    if (m_adaptor) {
        Q_EMIT m_adaptor->NewTitle();
        Q_EMIT m_adaptor->NewToolTip();
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
