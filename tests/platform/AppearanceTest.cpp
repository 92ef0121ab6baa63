#include "platform/style/Appearance.h"
#include "support/PrivateBus.h"
#include "support/ScopedEnv.h"
#include "support/TestSupport.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");

// A settings portal that answers Read and ReadOne for the colour scheme and
// announces changes with SettingChanged, as xdg-desktop-portal does.
struct FakePortal {
    explicit FakePortal(PrivateBus& bus, uint initialScheme) : scheme(initialScheme), connection(bus.connect())
    {
        object = std::make_unique<FakeDBusObject>(QString(), [this](const QDBusMessage& call) {
            const QVariantList args = call.arguments();
            const bool ours = call.interface() == settingsInterface && args.size() == 2
                              && args.at(0).toString() == QLatin1String("org.freedesktop.appearance")
                              && args.at(1).toString() == QLatin1String("color-scheme");
            if (!ours)
                return call.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), QStringLiteral("no"));
            ++reads;
            const QVariant value = QVariant::fromValue(QDBusVariant(scheme));
            // Read wraps the value in one more variant than ReadOne.
            if (call.member() == QLatin1String("Read"))
                return call.createReply(QVariant::fromValue(QDBusVariant(value)));
            if (call.member() == QLatin1String("ReadOne"))
                return call.createReply(value);
            return QDBusMessage();
        });
        registered = connection.registerVirtualObject(portalPath, object.get())
                     && connection.registerService(portalService);
    }
    ~FakePortal() { connection.unregisterObject(portalPath); }

    void change(uint newScheme)
    {
        scheme = newScheme;
        QDBusMessage signal = QDBusMessage::createSignal(portalPath, settingsInterface, QStringLiteral("SettingChanged"));
        signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
               << QVariant::fromValue(QDBusVariant(scheme));
        connection.send(signal);
    }

    uint scheme;
    int reads = 0;
    QDBusConnection connection;
    std::unique_ptr<FakeDBusObject> object;
    bool registered = false;
};

// A desktop session of the given name with a settings portal on a bus of
// its own, answering `scheme` at first.
struct PortalSession {
    PortalSession(const char* desktop, uint scheme) : env("XDG_CURRENT_DESKTOP", QByteArray(desktop)), portal(bus, scheme) { }
    ScopedEnv env;
    PrivateBus bus;
    FakePortal portal;
};

bool paletteIsDark() { return QGuiApplication::palette().color(QPalette::Window).lightness() < 128; }

} // namespace

TEST(Appearance, FollowsThePortalsColourSchemeAndItsChanges)
{
    PortalSession session("LXQt", 1); // prefer dark
    FakePortal& portal = session.portal;
    ASSERT_TRUE(portal.registered);
    const bool palette = paletteIsDark();

    Appearance appearance(session.bus.connect());
    QSignalSpy changed(&appearance, &Appearance::changed);
    ASSERT_TRUE(waitUntil([&] { return appearance.portalDark().has_value(); }));
    EXPECT_EQ(portal.reads, 1);
    EXPECT_TRUE(appearance.isDark());
    EXPECT_TRUE(appearance.isPanelDark());

    portal.change(2); // prefer light
    ASSERT_TRUE(waitUntil([&] { return appearance.portalDark() == std::optional<bool>(false); }));
    EXPECT_FALSE(appearance.isDark());
    EXPECT_FALSE(appearance.isPanelDark());
    EXPECT_GE(changed.count(), 1);

    portal.change(0); // no preference: the palette decides again
    ASSERT_TRUE(waitUntil([&] { return !appearance.portalDark().has_value(); }));
    EXPECT_EQ(appearance.isDark(), palette);
    EXPECT_EQ(appearance.isPanelDark(), palette);
}

TEST(Appearance, GnomesTopBarIsDarkWhateverTheScheme)
{
    PortalSession session("ubuntu:GNOME", 2); // prefer light
    ASSERT_TRUE(session.portal.registered);

    Appearance appearance(session.bus.connect());
    ASSERT_TRUE(waitUntil([&] { return appearance.portalDark().has_value(); }));
    EXPECT_FALSE(appearance.isDark());     // windows follow the scheme
    EXPECT_TRUE(appearance.isPanelDark()); // the top bar stays dark
    EXPECT_TRUE(Appearance::isGnomeSession());
}

TEST(Appearance, WithoutAPortalThePaletteDecides)
{
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", QByteArray("XFCE"));
    PrivateBus bus;
    ASSERT_TRUE(bus.isValid());
    Appearance appearance(bus.connect());
    spinFor(200); // the Read call fails: no portal on this bus
    EXPECT_FALSE(appearance.portalDark().has_value());
    EXPECT_EQ(appearance.isPanelDark(), paletteIsDark());
    EXPECT_FALSE(Appearance::isGnomeSession());

    QPalette dark = QGuiApplication::palette();
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    const QPalette saved = QGuiApplication::palette();
    QGuiApplication::setPalette(dark);
    EXPECT_TRUE(appearance.isPanelDark());
    QGuiApplication::setPalette(saved);
}
