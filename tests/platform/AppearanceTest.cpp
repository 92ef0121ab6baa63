#include "platform/style/Appearance.h"
#include "support/PrivateBus.h"
#include "support/ScopedEnv.h"
#include "support/TestSupport.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// A Plasma account's files as its settings write them: the global theme's
// style and scheme name in kdedefaults, the installed scheme's colours in
// kdeglobals (`applied`; not at a first login), a style picked in plasmarc;
// written before the shell started, or after (`sinceShell`).
struct PlasmaConfig {
    const char* theme = "default";
    const char* scheme = "BreezeLight";
    bool applied = true;
    const char* picked = nullptr;
    bool sinceShell = false;
    static bool installed() { return QFile::exists(QStringLiteral("/usr/share/plasma/desktoptheme/breeze-dark")); }
};

// Another PlasmaConfig written while the shell runs (the user's plasmarc
// only where `userWritten`: its entry taken back), or the user's plasmarc
// removed, then a palette notice or a new shell.
struct PlasmaSwitch {
    PlasmaConfig then;
    bool userWritten = false;
    bool notice = false;
    bool restart = false;
    bool userRemoved = false;
};

// A PlasmaConfig in folders the environment names (kdedefaults listed as
// Plasma's session does), for the length of a scope.
class ScopedPlasmaConfig {
    QTemporaryDir m_root;

public:
    explicit ScopedPlasmaConfig(const PlasmaConfig& c)
        : config(m_root.path() + "/config"), data(m_root.path() + "/data")
    {
        write(c, false);
    }
    void write(const PlasmaConfig& c, bool userWritten)
    {
        const auto put = [&](const QString& path, const QByteArray& contents) {
            writeFile(path, contents);
            QFile file(path); // the test process stands for the shell: it started before
            if (!c.sinceShell && file.open(QIODevice::ReadWrite))
                file.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
        };
        if (c.theme)
            put(config + "/kdedefaults/plasmarc", QByteArray("[Theme]\nname=") + c.theme);
        if (c.scheme)
            put(config + "/kdedefaults/kdeglobals", QByteArray("[General]\nColorScheme=") + c.scheme);
        if (c.scheme && c.applied)
            put(config + "/kdeglobals", readFile(QLatin1String("/usr/share/color-schemes/") + c.scheme + ".colors"));
        if (c.picked || userWritten)
            put(config + "/plasmarc", c.picked ? QByteArray("[Theme]\nname=") + c.picked : QByteArray("[Theme]\n"));
    }
    const QString config, data; // XDG_CONFIG_HOME, XDG_DATA_HOME

private:
    ScopedEnv m_env[4] = {{"XDG_CONFIG_HOME", config.toUtf8()},
                          {"XDG_CONFIG_DIRS", (config + "/kdedefaults:" + m_root.path()).toUtf8()},
                          {"XDG_DATA_HOME", data.toUtf8()},
                          {"XDG_DATA_DIRS", QByteArray("/usr/share")}};
};

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
        announce(QStringLiteral("color-scheme"), QVariant::fromValue(QDBusVariant(scheme)));
    }

    // A change of any key of the appearance group, as the portal announces it.
    void announce(const QString& key, const QVariant& value)
    {
        QDBusMessage signal = QDBusMessage::createSignal(portalPath, settingsInterface, QStringLiteral("SettingChanged"));
        signal << QStringLiteral("org.freedesktop.appearance") << key << value;
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
    appearance.setPanelHost(Appearance::PanelHost::gnomeShell);
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

// The panel's shade is known for sure only where the watcher's owner says
// which panel shows the items and that panel's look is known: GNOME Shell's
// bar (dark; light in GNOME Classic), and Plasma's panel in a Plasma session,
// by its Plasma style's colours (the global theme's in kdedefaults, or one
// picked apart; Breeze follows the colour scheme) as the running shell has
// read them; elsewhere the portal's preference is a guess about the panel.
TEST(Appearance, ThePanelsShadeIsKnownOnlyOnGnomeAndOnPlasmaWithItsScheme)
{
    if (!PlasmaConfig::installed())
        GTEST_SKIP() << "Plasma's styles are not installed (scripts/deps.sh --test)";
    const bool palette = paletteIsDark();
    using enum Appearance::PanelHost;
    const PlasmaConfig twilight{"breeze-dark", "BreezeLight"};
    const struct {
        const char* desktop;
        std::optional<uint> scheme; // none: no portal on the bus
        Appearance::PanelHost host;
        bool panelDark;
        bool known;
        std::optional<PlasmaConfig> plasma = std::nullopt;
        std::optional<PlasmaSwitch> change = std::nullopt; // then the answers
    } cases[] = {
        {"LXQt", 2u, other, false, false},
        {"XFCE", 1u, other, true, false},
        {"sway", std::nullopt, unknown, palette, false},
        {"ubuntu:GNOME", 2u, gnomeShell, true, true},
        {"GNOME", std::nullopt, gnomeShell, true, true},
        {"GNOME-Classic:GNOME", 1u, gnomeShell, false, true},
        {"GNOME", 2u, other, false, false}, // another panel shows the items
        {"KDE", 2u, plasma, false, true, PlasmaConfig{}},
        {"KDE", 1u, plasma, true, true, PlasmaConfig{"default", "BreezeDark"}},
        {"KDE", 2u, plasma, true, true, twilight},
        {"KDE", 1u, plasma, false, true, PlasmaConfig{"default", "BreezeDark", true, "breeze-light"}},
        {"KDE", 1u, plasma, false, true, PlasmaConfig{"default", "BreezeDark", false}}, // a name, no colours
        {"KDE", std::nullopt, plasma, false, true, PlasmaConfig{nullptr, nullptr}},     // nothing written yet
        {"KDE", 1u, plasma, true, true, PlasmaConfig{"gone", "BreezeDark"}},            // not installed: Breeze
        {"KDE", 1u, plasma, true, false, PlasmaConfig{"own", "BreezeLight"}},           // colours of its own
        {"KDE", 2u, other, false, false, twilight},
        {"XFCE", 2u, plasma, false, false, twilight}, // kded's watcher, for another panel
        // A style of a middle grey (#808080) is not known.
        {"KDE", 1u, plasma, true, false, PlasmaConfig{"grey", "BreezeLight"}},
        // A global theme applied while the shell runs is drawn once it reads
        // the user's plasmarc, or starts again; a scheme, at a palette notice.
        {"KDE", 2u, plasma, false, false, PlasmaConfig{}, PlasmaSwitch{twilight}},
        {"KDE", 2u, plasma, false, false, twilight, PlasmaSwitch{PlasmaConfig{}}},
        {"KDE", 2u, plasma, true, true, PlasmaConfig{}, PlasmaSwitch{twilight, true}},
        {"KDE", 2u, plasma, true, true, PlasmaConfig{}, PlasmaSwitch{twilight, false, false, true}},
        {"KDE", 2u, plasma, true, true, PlasmaConfig{}, PlasmaSwitch{{"default", "BreezeDark"}, false, true}},
        {"KDE", 2u, plasma, false, false, PlasmaConfig{}, PlasmaSwitch{{"default", "BreezeDark"}}},
        {"KDE", 2u, plasma, false, false, PlasmaConfig{"breeze-dark", "BreezeLight", true, nullptr, true}},
        // The shell does not read its plasmarc again when it is removed.
        {"KDE", 2u, plasma, false, false, PlasmaConfig{"default", "BreezeLight", true, "breeze-dark"},
         PlasmaSwitch{{}, false, false, false, true}},
    };
    for (const auto& c : cases) {
        const std::string where = "row " + std::to_string(&c - cases);
        ScopedEnv env("XDG_CURRENT_DESKTOP", QByteArray(c.desktop));
        std::optional<ScopedPlasmaConfig> files;
        if (c.plasma) {
            files.emplace(*c.plasma);
            // A style of its own: metadata and pictures, no colours; one of
            // a middle grey.
            writeFile(files->data + QStringLiteral("/plasma/desktoptheme/own/metadata.json"), "{}");
            writeFile(files->data + QStringLiteral("/plasma/desktoptheme/grey/metadata.json"), "{}");
            writeFile(files->data + QStringLiteral("/plasma/desktoptheme/grey/colors"),
                      "[Colors:Window]\nBackgroundNormal=128,128,128\n");
        }
        PrivateBus bus;
        ASSERT_TRUE(bus.isValid());
        QDBusConnection shell = bus.connect();
        ASSERT_TRUE(!c.plasma || shell.registerService(QStringLiteral("org.kde.plasmashell"))) << where;
        std::optional<FakePortal> portal;
        if (c.scheme) {
            portal.emplace(bus, *c.scheme);
            ASSERT_TRUE(portal->registered) << where;
        }
        Appearance appearance(bus.connect());
        appearance.setPanelHost(c.host);
        if (portal) {
            ASSERT_TRUE(waitUntil([&] { return portal->reads == 1; })) << where;
        }
        spinFor(100); // the answer (or the failed call) delivered
        if (c.change) {
            PlasmaConfig then = c.change->then;
            then.sinceShell = true;
            if (c.change->userRemoved)
                QFile::remove(files->config + QStringLiteral("/plasmarc"));
            else
                files->write(then, c.change->userWritten);
            QDBusMessage notice =
                QDBusMessage::createSignal("/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange");
            if (c.change->notice)
                shell.send(notice << 0 << 0);
            else if (sendSignal(shell, "/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange", {"0", 0}))
                spinFor(100); // a notice of other types than notifyChange's (ii) is none: nothing to see
            if (c.change->restart && shell.unregisterService(QStringLiteral("org.kde.plasmashell")))
                bus.connect().registerService(QStringLiteral("org.kde.plasmashell"));
        }
        waitUntil([&] { return appearance.isPanelDark() == c.panelDark && appearance.isPanelShadeKnown() == c.known; });
        EXPECT_EQ(appearance.isPanelDark(), c.panelDark) << where;
        EXPECT_EQ(appearance.isPanelShadeKnown(), c.known) << where;
    }
}

// Plasma's panel is followed as its files change: replaced (as KConfig
// writes) or rewritten in place; with another host the shade is a guess.
TEST(Appearance, FollowsThePlasmaStyleAsItsFilesChange)
{
    if (!PlasmaConfig::installed())
        GTEST_SKIP() << "Plasma's styles are not installed (scripts/deps.sh --test)";
    const ScopedEnv env("XDG_CURRENT_DESKTOP", QByteArray("KDE"));
    const ScopedPlasmaConfig files(PlasmaConfig{});
    const QString plasmarc = files.config + QStringLiteral("/plasmarc");
    Appearance appearance(QDBusConnection(QStringLiteral("no bus")));
    appearance.setPanelHost(Appearance::PanelHost::plasma);
    EXPECT_TRUE(appearance.isPanelShadeKnown() && !appearance.isPanelDark());
    QSignalSpy changed(&appearance, &Appearance::changed);
    writeFile(plasmarc + QStringLiteral(".new"), "[Theme]\nname=breeze-dark\n");
    ASSERT_TRUE(QFile::rename(plasmarc + QStringLiteral(".new"), plasmarc));
    EXPECT_TRUE(waitUntil([&] { return appearance.isPanelDark(); }));
    writeFile(plasmarc, "[Theme]\nname=breeze-light\n");
    EXPECT_TRUE(waitUntil([&] { return !appearance.isPanelDark(); }));
    EXPECT_EQ(changed.count(), 2);
    appearance.setPanelHost(Appearance::PanelHost::other);
    EXPECT_FALSE(appearance.isPanelShadeKnown());
}

// The appearance group holds other keys (contrast, accent colour); a change
// of one of them leaves the colour scheme as it was.
TEST(Appearance, OtherKeysOfTheAppearanceGroupAreNotTheColourScheme)
{
    PortalSession session("LXQt", 2); // prefer light
    ASSERT_TRUE(session.portal.registered);
    Appearance appearance(session.bus.connect());
    ASSERT_TRUE(waitUntil([&] { return appearance.portalDark() == std::optional<bool>(false); }));
    QSignalSpy changed(&appearance, &Appearance::changed);

    session.portal.announce(QStringLiteral("contrast"), QVariant::fromValue(QDBusVariant(uint(1)))); // high contrast
    session.portal.announce(QStringLiteral("accent-color"), QVariant::fromValue(QDBusVariant(uint(1))));
    // Signals arrive in order: once this one is read, the two above were too.
    session.portal.announce(QStringLiteral("reduced-motion"), QVariant::fromValue(QDBusVariant(uint(0))));
    session.portal.change(2); // the same scheme again: no change
    spinFor(200);
    EXPECT_EQ(appearance.portalDark(), std::optional<bool>(false));
    EXPECT_FALSE(appearance.isDark());
    EXPECT_EQ(changed.count(), 0);

    session.portal.change(1); // and the scheme itself is still followed
    ASSERT_TRUE(waitUntil([&] { return appearance.portalDark() == std::optional<bool>(true); }));
    EXPECT_EQ(changed.count(), 1);

    // A scheme of another type or wrapped deeper than Read wraps it is no
    // preference; a signal of other types is not the portal's.
    QList<std::optional<bool>> seen;
    QObject::connect(&appearance, &Appearance::changed, [&] { seen.append(appearance.portalDark()); });
    const auto wrap = [](const QVariant& v) { return QVariant::fromValue(QDBusVariant(v)); };
    session.portal.announce(QStringLiteral("color-scheme"), wrap(QStringLiteral("2")));
    session.portal.announce(QStringLiteral("color-scheme"), wrap(wrap(wrap(2u))));
    sendSignal(session.portal.connection, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
               {QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"), 2u});
    session.portal.change(2);
    ASSERT_TRUE(waitUntil([&] { return appearance.portalDark() == std::optional<bool>(false); }));
    // The preference went (a change with a light palette), then came back light.
    const std::optional<bool> first = paletteIsDark() ? std::optional<bool>(false) : std::nullopt;
    EXPECT_EQ(seen, QList<std::optional<bool>>{first});
}
