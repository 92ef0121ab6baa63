#include "platform/style/Appearance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>

namespace gaugelet {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Read() wraps the value in one more variant than ReadOne().
uint unwrapScheme(QVariant v)
{
    while (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    return v.toUInt();
}

} // namespace

Appearance* Appearance::instance()
{
    static Appearance* shared = new Appearance(QCoreApplication::instance());
    return shared;
}

Appearance::Appearance(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    call << appearanceGroup << colorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QVariant> reply = *w;
        if (!reply.isError())
            applyPortalValue(unwrapScheme(reply.value()));
        w->deleteLater();
    });
}

void Appearance::onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value)
{
    if (group == appearanceGroup && key == colorSchemeKey)
        applyPortalValue(unwrapScheme(value.variant()));
}

void Appearance::applyPortalValue(uint scheme)
{
    const bool before = isDark();
    if (scheme == 1)
        m_portalDark = true;
    else if (scheme == 2)
        m_portalDark = false;
    else
        m_portalDark.reset();
    if (isDark() != before)
        Q_EMIT changed();
}

bool Appearance::paletteIsDark() const
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

bool Appearance::isDark() const
{
    if (m_override)
        return *m_override;
    if (m_portalDark)
        return *m_portalDark;
    return paletteIsDark();
}

void Appearance::setOverrideForTesting(std::optional<bool> dark)
{
    const bool before = isDark();
    m_override = dark;
    if (isDark() != before)
        Q_EMIT changed();
}

} // namespace gaugelet
