#include "platform/statusitem/SniItem.h"

#include "platform/statusitem/SniItemAdaptor.h"
#include "platform/statusitem/SniItemMenuAdaptor.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/StatusItemLog.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>
#include <algorithm>

namespace gaugelet {

namespace {

QDBusConnection connectionNamed(const QString& busAddress, const QString& name)
{
    return busAddress.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                                : QDBusConnection::connectToBus(busAddress, name);
}

} // namespace

bool operator==(const SniIconPixmap& a, const SniIconPixmap& b)
{
    return a.width == b.width && a.height == b.height && a.bytes == b.bytes;
}

SniItem::SniItem(SniStatusItem* owner, const QString& busAddress, const QString& serviceName)
    : QObject(owner), m_owner(owner), m_serviceName(serviceName), m_bus(connectionNamed(busAddress, serviceName))
{
    if (!m_bus.isConnected()) {
        logWarning(lcStatusItem, "sni.noBus error=%s", qUtf8Printable(m_bus.lastError().message()));
        return;
    }
    if (!exportObject())
        return;
    if (!m_bus.registerService(m_serviceName)) {
        logWarning(lcStatusItem, "sni.registerService failed name=%s error=%s", qUtf8Printable(m_serviceName),
                   qUtf8Printable(m_bus.lastError().message()));
        m_bus.unregisterObject(SniStatusItem::itemPath);
        return;
    }
    m_exported = true;
}

bool SniItem::exportObject()
{
    if (m_exportedObject) {
        m_bus.unregisterObject(SniStatusItem::itemPath);
        delete m_exportedObject;
    }
    m_exportedObject = new QObject(this);
    m_adaptor = m_menuPath.isEmpty() ? new SniItemAdaptor(m_exportedObject, this)
                                     : new SniItemMenuAdaptor(m_exportedObject, this);
    if (!m_bus.registerObject(SniStatusItem::itemPath, m_exportedObject, QDBusConnection::ExportAdaptors)) {
        logWarning(lcStatusItem, "sni.registerObject failed path=%s", qUtf8Printable(SniStatusItem::itemPath));
        return false;
    }
    return true;
}

void SniItem::setMenuPath(const QString& path)
{
    if (path == m_menuPath)
        return;
    m_menuPath = path;
    if (m_exportedObject && !exportObject()) {
        m_bus.unregisterService(m_serviceName);
        m_exported = false;
    }
}

void SniItem::ownNameAgain()
{
    if (!m_exported)
        return;
    m_bus.unregisterService(m_serviceName);
    if (!m_bus.registerService(m_serviceName)) {
        logWarning(lcStatusItem, "sni.registerService failed name=%s error=%s", qUtf8Printable(m_serviceName),
                   qUtf8Printable(m_bus.lastError().message()));
        m_exported = false;
    }
}

void SniItem::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (m_adaptor)
        Q_EMIT m_adaptor->NewTitle();
}

SniToolTip SniItem::toolTip() const
{
    SniToolTip tip;
    tip.title = m_toolTipTitle;
    tip.description = m_toolTipDescription;
    return tip;
}

void SniItem::setToolTip(const QString& title, const QString& description)
{
    if (title == m_toolTipTitle && description == m_toolTipDescription)
        return;
    m_toolTipTitle = title;
    m_toolTipDescription = description;
    if (m_adaptor)
        Q_EMIT m_adaptor->NewToolTip();
}

void SniItem::announceIdentity()
{
    if (!m_exported)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(SniStatusItem::itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    QVariantMap changed{{QStringLiteral("Id"), m_id}};
    if (!m_menuPath.isEmpty())
        changed.insert(QStringLiteral("Menu"), QVariant::fromValue(QDBusObjectPath(m_menuPath)));
    signal << QStringLiteral("org.kde.StatusNotifierItem") << changed << QStringList();
    m_bus.send(signal);
}

bool SniItem::isListedIn(const QStringList& registered) const
{
    const QString unique = m_bus.baseService();
    return std::any_of(registered.cbegin(), registered.cend(), [&](const QString& entry) {
        const QString name = entry.section(QLatin1Char('/'), 0, 0);
        return name == m_serviceName || (!unique.isEmpty() && name == unique);
    });
}

SniItem::~SniItem()
{
    if (m_exported) {
        m_bus.unregisterService(m_serviceName);
        m_bus.unregisterObject(SniStatusItem::itemPath);
    }
    // The connection closes once no copy of it is left.
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(m_serviceName);
}

bool SniItem::setIconPixmap(const SniIconPixmapList& pixmaps, bool withPixels)
{
    if (pixmaps == m_pixmaps)
        return false;
    m_pixmaps = pixmaps;
    if (m_adaptor && withPixels) {
        QDBusMessage signal = QDBusMessage::createSignal(
            SniStatusItem::itemPath, QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("NewIconPixmap"));
        signal << QVariant::fromValue(m_pixmaps);
        m_bus.send(signal);
    } else if (m_adaptor) {
        Q_EMIT m_adaptor->NewIcon();
    }
    return true;
}

void SniItem::setHidden(bool hidden)
{
    if (hidden == m_hidden)
        return;
    m_hidden = hidden;
    if (m_adaptor)
        Q_EMIT m_adaptor->NewStatus(status());
}

void SniItem::announceStatus()
{
    if (m_adaptor && !m_hidden)
        Q_EMIT m_adaptor->NewStatus(status());
}

QString SniItem::status() const
{
    return m_hidden ? QStringLiteral("Passive") : m_owner->status();
}

void SniItem::click(const char* method, const QPoint& position)
{
    logInfo(lcStatusItem, "sni.click method=%s item=%s x=%d y=%d", method, qUtf8Printable(m_key), position.x(), position.y());
    m_owner->activate(position);
}

void SniItem::noteRead()
{
    // A host may read the item before the watcher's answer reaches us, or
    // before we ask it at all (GNOME's extension looks for items on the bus
    // when it starts); it need not read it again when it registers again.
    if (m_seen)
        return;
    m_seen = true;
    Q_EMIT seenByHost();
}

void SniItem::retire()
{
    if (m_pending) {
        m_retiring = true;
        return;
    }
    delete this;
}

void SniItem::registerWithWatcher()
{
    if (!m_exported || m_retiring)
        return;
    m_pending = true;
    ++m_registerAttempts;
    QDBusMessage call = QDBusMessage::createMethodCall(SniStatusItem::watcherService, SniStatusItem::watcherPath,
                                                       SniStatusItem::watcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        m_pending = false;
        if (m_retiring) {
            deleteLater();
            return;
        }
        QDBusPendingReply<> reply = *w;
        if (reply.isError()) {
            logWarning(lcStatusItem, "sni.register failed error=%s attempt=%d", qUtf8Printable(reply.error().message()),
                       m_registerAttempts);
            m_registered = false;
            // A watcher that has just taken its name may not serve its object
            // yet: try again a few times, a little later each time.
            const bool retrying = m_registerAttempts < SniStatusItem::maxRegisterAttempts;
            Q_EMIT registrationFailed(reply.error().message(), retrying);
            if (retrying) {
                QTimer::singleShot(250 * m_registerAttempts, this, [this] {
                    if (!m_registered && !m_pending)
                        registerWithWatcher();
                });
            }
            return;
        }
        m_registerAttempts = 0;
        logInfo(lcStatusItem, "sni.registered name=%s id=%s", qUtf8Printable(m_serviceName), qUtf8Printable(m_id));
        m_registered = true;
        Q_EMIT registered();
    });
}

} // namespace gaugelet
