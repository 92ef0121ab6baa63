#include "platform/style/Appearance.h"

#include "platform/core/DBusValue.h"
#include "platform/core/PlatformLog.h"
#include "platform/style/DesignStyle.h"
#include "platform/style/PlasmaPanel.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>

namespace gaugelet {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// The colour scheme, a uint in its variant (Read() wraps it in one more
// than ReadOne()); a value of another type is no preference (0).
uint unwrapScheme(const QVariant& v)
{
    return DBusValue::as<uint>(DBusValue::unwrapped(v)).value_or(0);
}

// Whether XDG_CURRENT_DESKTOP lists `desktop` (case-insensitive).
bool sessionNames(QLatin1String desktop)
{
    const QString desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    const QStringList names = desktops.split(u':', Qt::SkipEmptyParts);
    return std::any_of(names.cbegin(), names.cend(),
                       [desktop](const QString& name) { return name.compare(desktop, Qt::CaseInsensitive) == 0; });
}

} // namespace

Appearance* Appearance::instance()
{
    static Appearance* shared = new Appearance(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return shared;
}

Appearance::Appearance(const QDBusConnection& sessionBus, QObject* parent) : QObject(parent), m_bus(sessionBus)
{
    QDBusConnection bus = sessionBus;
    if (!bus.isConnected())
        return;
    // Matched on path and interface, not on the portal's name: a match that
    // names the service is only delivered once QtDBus has looked its owner
    // up, and a change announced before that would be lost.
    // The slot takes the whole message: QtDBus refuses a slot whose
    // parameters it cannot type-check at connect time (QDBusVariant may not
    // be registered yet), and the connection would be silently missing.
    bus.connect(QString(), portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QDBusMessage)));
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

void Appearance::onSettingChanged(const QDBusMessage& message)
{
    // The portal's arguments are a group, a key and a value (ssv); a signal
    // of other types is not this one.
    if (message.signature() != QLatin1String("ssv"))
        return;
    const QVariantList args = message.arguments();
    if (args.at(0).toString() == appearanceGroup && args.at(1).toString() == colorSchemeKey)
        applyPortalValue(unwrapScheme(args.at(2)));
}

void Appearance::applyPortalValue(uint scheme)
{
    const auto before = answers();
    if (scheme == 1)
        m_portalDark = true;
    else if (scheme == 2)
        m_portalDark = false;
    else
        m_portalDark.reset();
    emitIfChanged(before);
}

void Appearance::emitIfChanged(std::array<bool, 3> before)
{
    if (answers() != before)
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

bool Appearance::isPanelDark() const
{
    if (m_override)
        return *m_override;
    return knownPanelDark().value_or(isDark());
}

bool Appearance::isPanelShadeKnown() const
{
    if (m_override)
        return m_overrideKnown;
    return knownPanelDark().has_value();
}

std::optional<bool> Appearance::knownPanelDark() const
{
    switch (m_panelHost) {
    case PanelHost::gnomeShell: return !sessionNames(QLatin1String("GNOME-Classic"));
    case PanelHost::plasma: return m_plasmaShade;
    case PanelHost::unknown:
    case PanelHost::other: break;
    }
    return std::nullopt;
}

void Appearance::setPanelHost(PanelHost host)
{
    if (host == m_panelHost)
        return;
    const auto before = answers();
    m_panelHost = host;
    // kded may serve the watcher outside Plasma, for another panel.
    followPlasma(host == PanelHost::plasma && isPlasmaSession());
    emitIfChanged(before);
}

void Appearance::followPlasma(bool follow)
{
    if (!follow) {
        delete m_plasma;
        m_plasma = nullptr;
        m_plasmaShade.reset();
        return;
    }
    if (m_plasma)
        return;
    m_plasma = new PlasmaPanel(m_bus, this);
    const auto takeShade = [this] {
        const std::optional<QColor> colour = m_plasma->colour();
        m_plasmaShade = colour ? shadeOf(*colour) : std::nullopt;
    };
    takeShade();
    connect(m_plasma, &PlasmaPanel::changed, this, [this, takeShade] {
        const auto before = answers();
        takeShade();
        emitIfChanged(before);
    });
}

bool Appearance::isGnomeSession()
{
    return sessionNames(QLatin1String("GNOME"));
}

bool Appearance::isPlasmaSession()
{
    return sessionNames(QLatin1String("KDE"));
}

std::optional<bool> Appearance::shadeOf(const QColor& panel)
{
    const qreal l = DesignStyle::relativeLuminance(panel);
    if (l <= DesignStyle::relativeLuminance(assumedPanelBackground(true)))
        return true;
    if (l >= DesignStyle::relativeLuminance(assumedPanelBackground(false)))
        return false;
    return std::nullopt;
}

QColor Appearance::assumedPanelBackground(bool dark)
{
    return dark ? QColor(0x3C, 0x3C, 0x3C) : QColor(0xE0, 0xE0, 0xE0);
}

void Appearance::setOverrideForTesting(std::optional<bool> dark, bool panelShadeKnown)
{
    const auto before = answers();
    m_override = dark;
    m_overrideKnown = panelShadeKnown;
    emitIfChanged(before);
}

} // namespace gaugelet
