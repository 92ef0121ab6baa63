#include "platform/desktop/ShellOverview.h"

#include "platform/core/DBusValue.h"
#include "platform/core/PlatformLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <utility>

namespace gaugelet {

namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

} // namespace

ShellOverview::ShellOverview(const QDBusConnection& bus, int leaveTimeout, QObject* parent)
    : QObject(parent), m_bus(bus)
{
    m_leaveTimeout.setSingleShot(true);
    m_leaveTimeout.setInterval(leaveTimeout);
    connect(&m_leaveTimeout, &QTimer::timeout, this, [this] {
        logInfo(lcPlatform, "overview: the shell did not leave its overview within %d ms", m_leaveTimeout.interval());
        runWaiting();
    });
    if (!m_bus.isConnected())
        return;
    // Only a signal of the types it carries is delivered (QtDBus would
    // decode one of other types as these).
    m_bus.connect(shellService, shellPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
                  QStringLiteral("sa{sv}as"), this, SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    // A shell that starts (again) shows its overview: read it anew.
    m_watcher = new QDBusServiceWatcher(shellService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                if (owner.isEmpty())
                    setShown(false);
                else
                    fetch();
            });
    fetch();
}

ShellOverview::~ShellOverview() = default;

void ShellOverview::fetch()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(shellService, shellPath, propertiesInterface, QStringLiteral("Get"));
    call << shellInterface << activeProperty;
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        // A value of another type than the shell's boolean is none: no overview.
        setShown(!reply.isError() && DBusValue::as<bool>(reply.value().variant()).value_or(false));
    });
}

void ShellOverview::leave(std::function<void()> then)
{
    if (!m_shown) {
        then();
        return;
    }
    m_waiting.push_back(std::move(then));
    if (m_leaveTimeout.isActive())
        return;
    logInfo(lcPlatform, "overview: asking GNOME Shell to leave its overview");
    QDBusMessage call =
        QDBusMessage::createMethodCall(shellService, shellPath, propertiesInterface, QStringLiteral("Set"));
    call << shellInterface << activeProperty << QVariant::fromValue(QDBusVariant(false));
    call.setAutoStartService(false);
    m_leaveTimeout.start();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<> reply = *w;
        if (reply.isError()) {
            logInfo(lcPlatform, "overview: the shell refused to leave it (%s)",
                    qUtf8Printable(reply.error().message()));
            runWaiting();
        }
    });
}

void ShellOverview::onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
{
    if (interface != shellInterface)
        return;
    if (const std::optional<bool> shown = DBusValue::as<bool>(changed.value(activeProperty)))
        setShown(*shown);
}

void ShellOverview::setShown(bool shown)
{
    if (shown != m_shown) {
        m_shown = shown;
        Q_EMIT shownChanged(shown);
    }
    if (!shown)
        runWaiting();
}

void ShellOverview::runWaiting()
{
    m_leaveTimeout.stop();
    const std::vector<std::function<void()>> waiting = std::exchange(m_waiting, {});
    for (const auto& then : waiting)
        then();
}

} // namespace gaugelet
