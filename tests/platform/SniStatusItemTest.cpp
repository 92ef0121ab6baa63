#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/HostSettingsWatch.h"
#include "platform/statusitem/HostSlotSize.h"
#include "platform/statusitem/SniItem.h"
#include "platform/statusitem/SniItemAdaptor.h"
#include "platform/statusitem/SniItemMenuAdaptor.h"
#include "platform/statusitem/SniTypes.h"
#include "platform/statusitem/StatusAreaHost.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/TrayIcon.h"
#include "platform/style/Appearance.h"
#include "support/FakeTrayIcon.h"
#include "support/PrivateBus.h"
#include "support/ScopedEnv.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace gaugelet;
using test::FakeTrayIcon;

namespace {

const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// A session bus of the test's own (tests that run side by side must not meet
// each other's watcher under the one well-known name), and a connection to it.
struct PrivateBus : test::PrivateBus {
    const QString address = test::PrivateBus::address();
    const std::unique_ptr<QDBusConnection> bus = std::make_unique<QDBusConnection>(connect());
    bool isUp() const { return bus->isConnected(); }
};

// A small StatusNotifierWatcher and host on its own bus connection: it takes
// registrations, reads the item's properties and counts NewIcon signals.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QVariant RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit FakeWatcher(const PrivateBus& privateBus)
        : m_name(QStringLiteral("fake-watcher-%1").arg(++s_counter)), bus(QDBusConnection::connectToBus(privateBus.address, m_name))
    {
    }
    ~FakeWatcher() override
    {
        // The bus's signal hook goes while this object lives: one left to the
        // object's end is removed on the bus's thread after it is freed.
        if (m_followsOwners)
            bus.disconnect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                           QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                           SLOT(onNameOwnerChanged(QString, QString, QString)));
        bus.unregisterService(SniStatusItem::watcherService);
        bus.unregisterObject(SniStatusItem::watcherPath);
        QDBusConnection::disconnectFromBus(m_name);
    }

    bool start()
    {
        if (missesFirst)
            m_followsOwners =
                bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                            SLOT(onNameOwnerChanged(QString, QString, QString)));
        return bus.isConnected() && bus.registerObject(SniStatusItem::watcherPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
               && bus.registerService(SniStatusItem::watcherService);
    }

    // As a panel started with "replace" does: a watcher that lets itself be
    // replaced, or one that takes the name over from a running watcher.
    bool startReplaceable()
    {
        return bus.isConnected() && bus.registerObject(SniStatusItem::watcherPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
               && bus.interface()->registerService(SniStatusItem::watcherService, QDBusConnectionInterface::DontQueueService,
                                                   QDBusConnectionInterface::AllowReplacement).value()
                      == QDBusConnectionInterface::ServiceRegistered;
    }
    bool startReplacing()
    {
        return bus.isConnected() && bus.registerObject(SniStatusItem::watcherPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
               && bus.interface()->registerService(SniStatusItem::watcherService, QDBusConnectionInterface::ReplaceExistingService,
                                                   QDBusConnectionInterface::AllowReplacement).value()
                      == QDBusConnectionInterface::ServiceRegistered;
    }

    QVariant registeredItems() const
    {
        return wrongTypes ? QVariant(items.join(' ')) : (listsItems ? items : QStringList());
    }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    // Reads one property of the registered item (async, the item answers on
    // this same main thread).
    QVariant readProperty(const QString& service, const QString& name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(service, SniStatusItem::itemPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << itemInterface << name;
        QDBusPendingCall call = bus.asyncCall(get, 3000);
        test::waitUntil([&] { return call.isFinished(); });
        QDBusPendingReply<QDBusVariant> reply = call;
        if (reply.isError())
            return {};
        return reply.value().variant();
    }

    bool callItem(const QString& service, const QString& method, const QVariantList& args)
    {
        return errorOfCall(service, method, args).isEmpty();
    }
    // The name of the error the item answers a call with; empty for none.
    QString errorOfCall(const QString& service, const QString& method, const QVariantList& args)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(service, SniStatusItem::itemPath, itemInterface, method);
        m.setArguments(args);
        QDBusPendingCall call = bus.asyncCall(m, 3000);
        if (!test::waitUntil([&] { return call.isFinished(); }))
            return QStringLiteral("no answer");
        return call.isError() ? call.error().name() : QString();
    }

    // Counts NewIcon, NewIconPixmap and NewStatus per sending connection, from every item.
    void watchItemSignals()
    {
        for (const char* member : {"NewIcon", "NewIconPixmap", "NewStatus"})
            bus.connect(QString(), SniStatusItem::itemPath, itemInterface, QString::fromLatin1(member), this,
                        SLOT(onItemSignal(QDBusMessage)));
    }
    int signalsOf(const QString& service, const char* member) const
    {
        return signalsBySender.value(bus.interface()->serviceOwner(service).value()).value(QString::fromLatin1(member));
    }
    int newIconsOf(const QString& service) const { return signalsOf(service, "NewIcon"); }

    // Keeps what the items' PropertiesChanged signals announce.
    void watchAnnouncements()
    {
        bus.connect(QString(), SniStatusItem::itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                    QStringLiteral("PropertiesChanged"), this, SLOT(onAnnouncement(QDBusMessage)));
    }

    void watchNewIcon(const QString& service)
    {
        bus.connect(service, SniStatusItem::itemPath, itemInterface, QStringLiteral("NewIcon"), this, SLOT(onNewIcon()));
    }

    inline static int s_counter = 0;
    QString m_name;
    bool m_followsOwners = false; // connected to NameOwnerChanged
    QDBusConnection bus;
    QStringList items;
    int newIcons = 0;
    QHash<QString, QHash<QString, int>> signalsBySender; // by the sender's unique name, then the signal
    int refusals = 0; // registrations answered with an error first
    bool readsItems = true; // reads an item's picture once it registers, as hosts do
    bool announces = true;  // sends StatusNotifierItemRegistered
    bool listsItems = true; // RegisteredStatusNotifierItems names them
    bool wrongTypes = false;       // lists the items in one string, announces each with integers first
    bool listsUniqueNames = false; // by the sender's unique name and path, as GNOME's extension does
    // As waybar's: refuses a name it lists, forgets an item whose name goes,
    // and its host misses each item the first time it registers.
    bool missesFirst = false;
    QHash<QString, int> registrations;
    QVariantMap announced;         // the last PropertiesChanged
    int announcements = 0;
    bool holdsReplies = false;
    QList<QDBusMessage> held; // registrations not answered yet
    int answerMs = 0;         // how late each registration is answered

    // Takes an item in, as a host that finds items on the bus by itself does.
    void announce(const QString& service)
    {
        items.append(service);
        if (!announces)
            return;
        if (wrongTypes)
            test::sendSignal(bus, SniStatusItem::watcherPath, SniStatusItem::watcherService,
                             QStringLiteral("StatusNotifierItemRegistered"), {QVariant::fromValue(QList<int>{1})});
        QDBusMessage signal = QDBusMessage::createSignal(SniStatusItem::watcherPath, SniStatusItem::watcherService,
                                                         QStringLiteral("StatusNotifierItemRegistered"));
        signal << service;
        bus.send(signal);
    }

    void answerHeld()
    {
        for (const QDBusMessage& message : std::as_const(held))
            bus.send(message.createReply());
        held.clear();
    }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        if (refusals > 0) {
            --refusals;
            message.setDelayedReply(true);
            bus.send(message.createErrorReply(QDBusError::UnknownObject, QStringLiteral("not ready")));
            return;
        }
        if (missesFirst && items.contains(service)) {
            message.setDelayedReply(true);
            bus.send(message.createErrorReply(QDBusError::Failed, QStringLiteral("already registered")));
            return;
        }
        announce(listsUniqueNames ? message.service() + SniStatusItem::itemPath : service);
        if (missesFirst && ++registrations[service] == 1)
            return;
        if (holdsReplies) {
            message.setDelayedReply(true);
            held.append(message);
        } else if (answerMs > 0) {
            message.setDelayedReply(true);
            QTimer::singleShot(answerMs, this, [this, reply = message.createReply()] { bus.send(reply); });
        }
        if (readsItems) {
            QDBusMessage get = QDBusMessage::createMethodCall(service, SniStatusItem::itemPath,
                                                              QStringLiteral("org.freedesktop.DBus.Properties"),
                                                              QStringLiteral("GetAll"));
            get << itemInterface;
            bus.asyncCall(get, 3000);
        }
    }
    void RegisterStatusNotifierHost(const QString&) {}
    void onNameOwnerChanged(const QString& name, const QString&, const QString& owner)
    {
        if (missesFirst && owner.isEmpty())
            items.removeAll(name);
    }
    void onNewIcon() { ++newIcons; }
    void onItemSignal(const QDBusMessage& message) { ++signalsBySender[message.service()][message.member()]; }
    void onAnnouncement(const QDBusMessage& message)
    {
        ++announcements;
        if (message.arguments().size() > 1)
            announced = qdbus_cast<QVariantMap>(message.arguments().at(1));
    }
};


SniIconPixmapList pixmapsFrom(const QVariant& v)
{
    SniIconPixmapList list;
    if (v.canConvert<QDBusArgument>())
        v.value<QDBusArgument>() >> list;
    return list;
}

QImage asArgb(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    out.setDevicePixelRatio(1.0);
    return out;
}

// xfconfd as Xfce's panel keeps its settings: the channel's properties,
// and a signal when one changes.
class FakeXfconf : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.xfce.Xfconf")
public:
    explicit FakeXfconf(const QDBusConnection& connection) : bus(connection) { }
    bool start()
    {
        return bus.registerObject(HostSettingsWatch::xfconfPath, this, QDBusConnection::ExportAllSlots)
               && bus.registerService(HostSettingsWatch::xfconfService);
    }
    void set(const QString& channel, const QString& property, const QVariant& value)
    {
        properties.insert(property, value);
        QDBusMessage signal = QDBusMessage::createSignal(
            HostSettingsWatch::xfconfPath, HostSettingsWatch::xfconfService, QStringLiteral("PropertyChanged"));
        bus.send(signal << channel << property << QVariant::fromValue(QDBusVariant(value)));
    }

    QDBusConnection bus;
    QVariantMap properties; // of the panel's channel
public Q_SLOTS:
    QVariantMap GetAllProperties(const QString&, const QString&) { return properties; }
};

} // namespace

TEST(SniStatusItem, RegistersWithTheWatcherAndServesTheComposedRow)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    registerSniTypes();
    FakeWatcher watcher(bus);
    ASSERT_TRUE(watcher.start());

    StatusItem item(bus.address);
    SniStatusItem* sni = item.statusNotifier();
    ASSERT_NE(sni, nullptr);
    EXPECT_TRUE(sni->serviceName().startsWith(QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())));
    ASSERT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }));
    ASSERT_EQ(watcher.items, QStringList{sni->serviceName()});
    EXPECT_FALSE(sni->isFallbackShown());

    // A red tile 30 points wide, 22 high.
    auto tile = Layer::create();
    QImage red(60, 44, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(220, 20, 30));
    tile->setContents(red);
    tile->setContentsScale(2.0);
    tile->setFrame(QRectF(0, 0, 30, 22));
    item.button()->layer()->addSublayer(tile);
    item.setLength(30);
    watcher.watchNewIcon(sni->serviceName());
    ASSERT_TRUE(test::waitUntil([&] { return watcher.newIcons > 0; }));

    const SniIconPixmapList pixmaps = pixmapsFrom(watcher.readProperty(sni->serviceName(), QStringLiteral("IconPixmap")));
    // A host not known gets the three common heights, smallest first.
    ASSERT_EQ(pixmaps.size(), 3);
    for (qsizetype i = 0; i < 3; ++i) {
        const int pixels = QList<int>{16, 22, 24}[i];
        EXPECT_EQ(pixmaps[i].height, pixels);
        EXPECT_EQ(pixmaps[i].width, int(std::ceil(30.0 * pixels / 22 - 1e-9)));
    }
    EXPECT_EQ(pixmaps[1].toImage(), asArgb(item.image1x()));
    EXPECT_EQ(pixmaps[2].toImage().pixelColor(32, 23), QColor(220, 20, 30));
    // Network byte order: alpha first.
    EXPECT_EQ(uchar(pixmaps[1].bytes[0]), 0xFF);
    EXPECT_EQ(uchar(pixmaps[1].bytes[1]), 220);

    EXPECT_EQ(watcher.readProperty(sni->serviceName(), QStringLiteral("ItemIsMenu")).toBool(), false);
    EXPECT_EQ(watcher.readProperty(sni->serviceName(), QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    EXPECT_EQ(watcher.readProperty(sni->serviceName(), QStringLiteral("Title")).toString(), QStringLiteral("Gaugelet"));
    EXPECT_FALSE(watcher.readProperty(sni->serviceName(), QStringLiteral("Category")).toString().isEmpty());

    // A hidden slot is "Passive"; the row's status reaches it once shown.
    SniItem* slot = sni->items()[0];
    QStringList statuses;
    QObject listener;
    QObject::connect(slot->adaptor(), &SniItemAdaptor::NewStatus, &listener, [&](const QString& s) { statuses << s; });
    slot->setHidden(true);
    sni->setStatus(QStringLiteral("NeedsAttention"));
    const auto status = [&] {
        return watcher.readProperty(sni->serviceName(), QStringLiteral("Status")).toString().toStdString();
    };
    EXPECT_EQ(status(), "Passive");
    slot->setHidden(false);
    EXPECT_EQ(status(), "NeedsAttention");
    sni->setStatus(QStringLiteral("Active"));
    EXPECT_EQ(statuses.join(QLatin1Char(' ')).toStdString(), "Passive NeedsAttention Active");

    // Hosts rely on the exact signatures.
    QDBusMessage introspect = QDBusMessage::createMethodCall(sni->serviceName(), SniStatusItem::itemPath,
                                                             QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                             QStringLiteral("Introspect"));
    QDBusPendingCall xmlCall = watcher.bus.asyncCall(introspect, 3000);
    ASSERT_TRUE(test::waitUntil([&] { return xmlCall.isFinished(); }));
    const QString xml = QDBusPendingReply<QString>(xmlCall).value();
    EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\""))) << xml.toStdString();
    EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<signal name=\"NewStatus\">")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<method name=\"SecondaryActivate\">")));

    // A redraw sends NewIcon again.
    const int before = watcher.newIcons;
    tile->setHidden(true);
    ASSERT_TRUE(test::waitUntil([&] { return watcher.newIcons > before; }));
    const SniIconPixmapList cleared = pixmapsFrom(watcher.readProperty(sni->serviceName(), QStringLiteral("IconPixmap")));
    ASSERT_EQ(cleared.size(), 3);
    EXPECT_EQ(cleared[1].toImage().pixelColor(15, 11).alpha(), 0);
}

TEST(SniStatusItem, ClicksFromTheHostRunTheActionWithTheirPosition)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    FakeWatcher watcher(bus);
    ASSERT_TRUE(watcher.start());
    StatusItem item(bus.address);
    QList<QPoint> clicks;
    item.setAction([&](QPoint p) { clicks.append(p); });
    const QString service = item.statusNotifier()->serviceName();
    ASSERT_TRUE(test::waitUntil([&] { return item.statusNotifier()->isRegisteredWithWatcher(); }));

    ASSERT_TRUE(watcher.callItem(service, QStringLiteral("Activate"), {12, 3}));
    ASSERT_TRUE(watcher.callItem(service, QStringLiteral("SecondaryActivate"), {40, 5}));
    ASSERT_TRUE(watcher.callItem(service, QStringLiteral("ContextMenu"), {41, 6}));
    ASSERT_TRUE(watcher.callItem(service, QStringLiteral("Scroll"), {120, QStringLiteral("vertical")}));
    // Calls with arguments of other types are refused, and click nothing.
    EXPECT_FALSE(watcher.callItem(service, QStringLiteral("ContextMenu"), {QVariant::fromValue(QList<int>{1}), 6}));
    EXPECT_FALSE(watcher.callItem(service, QStringLiteral("Scroll"), {120, QVariant::fromValue(QList<int>{1})}));
    EXPECT_EQ(clicks, (QList<QPoint>{{12, 3}, {40, 5}, {41, 6}}));
    EXPECT_EQ(item.lastClickPosition(), QPoint(41, 6));
}

TEST(SniStatusItem, FallsBackWithoutAWatcherAndRegistersWhenOneAppears)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    QPointer<FakeTrayIcon> tray;
    TrayIcon::setFactory([&]() -> TrayIcon* { return tray = new FakeTrayIcon(); });
    StatusItem item(bus.address);
    QList<QPoint> clicks;
    item.setAction([&](QPoint p) { clicks.append(p); });
    SniStatusItem* sni = item.statusNotifier();
    ASSERT_TRUE(test::waitUntil([&] { return sni->isFallbackShown() && tray && tray->visible; }));
    EXPECT_FALSE(sni->isRegisteredWithWatcher());
    sni->setToolTip(QStringLiteral("CPU 12%"));
    EXPECT_EQ(tray->toolTip, QStringLiteral("CPU 12%"));
    tray->click();
    EXPECT_EQ(clicks.size(), 1) << "a click on the tray icon runs the item's action";

    // The panel names its settings relative to its working folder (the
    // watcher runs in this process, in this folder).
    QTemporaryDir config;
    const QString panelConf = config.filePath(QStringLiteral("panel.conf"));
    const QString ours = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(config.path()));
    sni->setCommandLineReader([&](uint) { return QByteArrayLiteral("lxqt-panel\0-c\0panel.conf"); });
    {
        FakeWatcher watcher(bus);
        ASSERT_TRUE(watcher.start());
        ASSERT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }));
        EXPECT_EQ(watcher.items, QStringList{sni->serviceName()});
        EXPECT_FALSE(sni->isFallbackShown());
        EXPECT_FALSE(tray->visible);
        EXPECT_EQ(item.composedPixelSizes(), QList<int>{22}); // lxqt-panel's default icon size
        // The panel's icon size changes while it runs: the file is created,
        // written in place, replaced (as QSettings and editors do), written in place.
        const auto iconSize = [&](int size, bool replace) {
            const QByteArray text =
                "[General]\npanels=p\n[p]\nplugins=statusnotifier\niconSize=" + QByteArray::number(size);
            QSaveFile file(panelConf);
            if (replace)
                ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) > 0 && file.commit());
            else
                test::writeFile(panelConf, text);
            EXPECT_TRUE(test::waitUntil([&] { return item.composedPixelSizes() == QList<int>{size}; })) << size;
        };
        for (const auto& [size, replace] : {std::pair{16, false}, {24, false}, {16, true}, {24, false}})
            iconSize(size, replace);
    }
    QDir::setCurrent(ours);
    // The watcher went away: the fallback returns, its icons drawn for any height.
    ASSERT_TRUE(test::waitUntil([&] { return sni->isFallbackShown(); }));
    EXPECT_FALSE(sni->isRegisteredWithWatcher());
    EXPECT_TRUE(tray->visible);
    EXPECT_EQ(item.composedPixelSizes(), QList<int>(StatusItem::pixelSizes.cbegin(), StatusItem::pixelSizes.cend()));
    TrayIcon::setFactory({});

    // And a new watcher gets the item again.
    {
        FakeWatcher again(bus);
        ASSERT_TRUE(again.start());
        ASSERT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }));
        EXPECT_EQ(again.items, QStringList{sni->serviceName()});
    }

    // Where no tray can exist, a tray icon is asked for once, and again only
    // when the watcher came or went, not at every redraw.
    int asked = 0;
    TrayIcon::setFactory([&]() -> TrayIcon* { return ++asked, nullptr; });
    StatusItem bare(bus.address);
    ASSERT_TRUE(test::waitUntil([&] { return bare.statusNotifier()->isFallbackShown() && asked > 0; }));
    const auto redraw = [&] {
        for (int n = 0; n < 5; ++n)
            bare.statusNotifier()->setToolTip(QStringLiteral("CPU %1%").arg(n));
    };
    redraw();
    EXPECT_EQ(asked, 1);
    {
        FakeWatcher watcher(bus);
        ASSERT_TRUE(watcher.start());
        ASSERT_TRUE(test::waitUntil([&] { return bare.statusNotifier()->isRegisteredWithWatcher(); }));
    }
    ASSERT_TRUE(test::waitUntil([&] { return bare.statusNotifier()->isFallbackShown(); }));
    redraw();
    EXPECT_EQ(asked, 2);
    TrayIcon::setFactory({});
}

// On Xfce the tray's icon size is xfconfd's as it is (the panel's, the
// tray's own being 0) and as it changes in the panel's channel.
TEST(SniStatusItem, FollowsXfcesIconSizeThroughXfconfd)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    QTemporaryDir config; // no file of the channel: only xfconfd knows
    const test::ScopedEnv home("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    FakeXfconf xfconf(QDBusConnection::connectToBus(bus.address, QStringLiteral("fake-xfconf")));
    xfconf.properties = {{"/plugins/plugin-3", "systray"},
                         {"/plugins/plugin-3/icon-size", 0},
                         {"/panels/panel-1/plugin-ids", QVariantList{1, 3}},
                         {"/panels/panel-1/icon-size", 16},
                         {"/panels/panel-1/size", 30}};
    ASSERT_TRUE(xfconf.start());
    FakeWatcher watcher(bus);
    ASSERT_TRUE(watcher.start());
    StatusItem item(bus.address);
    item.statusNotifier()->setCommandLineReader([](uint) { return QByteArrayLiteral("xfce4-panel\0"); });
    EXPECT_TRUE(test::waitUntil([&] { return item.composedPixelSizes() == QList<int>{16}; }));
    // Plugin ids and a change's channel of other types are none.
    const QVariant ints = QVariant::fromValue(QList<int>{1, 3});
    xfconf.properties.insert(QStringLiteral("/panels/panel-1/plugin-ids"), ints);
    test::sendSignal(xfconf.bus, HostSettingsWatch::xfconfPath, HostSettingsWatch::xfconfService,
                     QStringLiteral("PropertyChanged"), {ints, QStringLiteral("/panels/panel-1/size")});
    xfconf.set(QStringLiteral("xfce4-panel"), QStringLiteral("/panels/panel-1/icon-size"), 20);
    EXPECT_TRUE(test::waitUntil([&] { return item.composedPixelSizes() == QList<int>{24}; }));
    xfconf.properties.insert(QStringLiteral("/panels/panel-1/plugin-ids"), QVariantList{1, 3});
    xfconf.set(QStringLiteral("xfce4-panel"), QStringLiteral("/panels/panel-1/icon-size"), 16);
    EXPECT_TRUE(test::waitUntil([&] { return item.composedPixelSizes() == QList<int>{16}; }));
    xfconf.set(QStringLiteral("xfce4-panel"), QStringLiteral("/panels/panel-1/icon-size"), 24);
    EXPECT_TRUE(test::waitUntil([&] { return item.composedPixelSizes() == QList<int>{24}; }));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-xfconf"));
}

TEST(SniStatusItem, RegistersAgainWithAWatcherThatTakesTheNameOver)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    FakeWatcher first(bus);
    ASSERT_TRUE(first.startReplaceable());
    StatusItem item(bus.address);
    SniStatusItem* sni = item.statusNotifier();
    item.setSegments({{QStringLiteral("a"), QRectF(0, 0, 20, 22), QStringLiteral("Tile a"), QStringLiteral("1%")},
                      {QStringLiteral("b"), QRectF(26, 0, 20, 22), QStringLiteral("Tile b"), QStringLiteral("2%")}});
    ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 2 && sni->isRegisteredWithWatcher(); }));
    EXPECT_EQ(first.items.size(), 2);

    // The name passes straight from one watcher to the next, GNOME's: the row
    // counts as registered once every item has registered with it, menu path
    // and all.
    sni->setCommandLineReader([](uint) { return QByteArrayLiteral("/usr/bin/gnome-shell\0"); });
    FakeWatcher second(bus);
    qsizetype takenInWhenRegistered = -1;
    QObject::connect(sni, &SniStatusItem::registeredWithWatcher, &second, [&] {
        if (takenInWhenRegistered < 0)
            takenInWhenRegistered = second.items.size();
    });
    ASSERT_TRUE(second.startReplacing());
    ASSERT_TRUE(test::waitUntil([&] { return takenInWhenRegistered >= 0; }));
    EXPECT_EQ(takenInWhenRegistered, 2);
    EXPECT_EQ(second.readProperty(sni->serviceName(), QStringLiteral("Menu")).value<QDBusObjectPath>().path(),
              QStringLiteral("/MenuBar"));
    EXPECT_FALSE(sni->isFallbackShown());
}

TEST(SniStatusItem, RetriesARegistrationTheWatcherRefused)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    FakeWatcher watcher(bus);
    watcher.refusals = 2;
    ASSERT_TRUE(watcher.start());
    StatusItem item(bus.address);
    SniStatusItem* sni = item.statusNotifier();
    ASSERT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }));
    EXPECT_EQ(watcher.refusals, 0);
    EXPECT_EQ(watcher.items, QStringList{sni->serviceName()});
    EXPECT_FALSE(sni->isFallbackShown());
}

TEST(SniStatusItem, ReleasingTheItemGivesUpItsBusName)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    QString service;
    {
        StatusItem item(bus.address);
        service = item.statusNotifier()->serviceName();
        EXPECT_TRUE(bus.bus->interface()->isServiceRegistered(service).value());
    }
    EXPECT_FALSE(bus.bus->interface()->isServiceRegistered(service).value());
}

// The real StatusNotifierWatcher daemon shipped by Debian
// (haskell-status-notifier-item-utils), on the test's private bus.
TEST(SniStatusItem, RegistersWithARealStatusNotifierWatcher)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    const QString program = QStandardPaths::findExecutable(QStringLiteral("status-notifier-watcher"));
    if (program.isEmpty())
        GTEST_SKIP() << "status-notifier-watcher is not installed";
    auto* busIface = bus.bus->interface();

    QProcess daemon;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
    daemon.setProcessEnvironment(env);
    daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon.start(program, {});
    ASSERT_TRUE(daemon.waitForStarted(5000));
    const bool up = test::waitUntil([&] { return busIface->isServiceRegistered(SniStatusItem::watcherService).value(); }, 10000);
    if (!up) {
        daemon.kill();
        daemon.waitForFinished(2000);
        FAIL() << "the watcher did not take its name";
    }

    {
        StatusItem item(bus.address);
        SniStatusItem* sni = item.statusNotifier();
        EXPECT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }, 10000));

        QDBusMessage get = QDBusMessage::createMethodCall(SniStatusItem::watcherService, SniStatusItem::watcherPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << SniStatusItem::watcherService << QStringLiteral("RegisteredStatusNotifierItems");
        QDBusPendingCall call = bus.bus->asyncCall(get, 5000);
        test::waitUntil([&] { return call.isFinished(); }, 6000);
        QDBusPendingReply<QDBusVariant> reply = call;
        ASSERT_FALSE(reply.isError()) << reply.error().message().toStdString();
        const QStringList items = reply.value().variant().toStringList();
        EXPECT_TRUE(items.join(QLatin1Char(' ')).contains(sni->serviceName())) << items.join(QLatin1Char(' ')).toStdString();
    }
    daemon.terminate();
    if (!daemon.waitForFinished(3000)) {
        daemon.kill();
        daemon.waitForFinished(2000);
    }
}

namespace {

Layer::Ptr solidTile(const QColor& color, double x, double width)
{
    auto tile = Layer::create();
    QImage image(int(width * 2), 44, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    tile->setContents(image);
    tile->setContentsScale(2.0);
    tile->setFrame(QRectF(x, 0, width, 22));
    return tile;
}

QStringList serviceNames(const SniStatusItem& sni)
{
    QStringList out;
    for (const SniItem* item : sni.items())
        out.append(item->serviceName());
    return out;
}

} // namespace

// Each segment of the row is an item of its own, registered in the row's
// order, with its own piece of the picture; a change of one tile's pixels
// touches only its item; a change of the row redraws the items in place.
TEST(SniStatusItem, PublishesOneItemPerSegmentInTheRowsOrder)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    FakeWatcher watcher(bus);
    ASSERT_TRUE(watcher.start());
    watcher.watchItemSignals();
    StatusItem item(bus.address);
    SniStatusItem* sni = item.statusNotifier();
    QList<QPoint> clicks;
    item.setAction([&](QPoint p) { clicks.append(p); });

    const QList<QColor> colors{QColor(220, 20, 30), QColor(20, 160, 40), QColor(30, 60, 220)};
    QList<Layer::Ptr> tiles;
    QList<StatusItem::Segment> segments;
    for (int i = 0; i < 3; ++i) {
        tiles.append(solidTile(colors[i], 26 * i, 20));
        item.button()->layer()->addSublayer(tiles[i]);
        segments.append({QStringLiteral("pin%1").arg(i), QRectF(26 * i, 0, 20, 22), QString(), QString()});
    }
    item.setLength(72);
    item.setSegments(segments);
    ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 3 && sni->isRegisteredWithWatcher(); }));
    const QStringList names = serviceNames(*sni);
    // Registered one after another, in the row's order (after the whole
    // picture's item of the first composition, if that came first).
    ASSERT_GE(watcher.items.size(), 3);
    EXPECT_EQ(watcher.items.mid(watcher.items.size() - 3), names);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(watcher.readProperty(names[i], QStringLiteral("Id")).toString(),
                  QStringLiteral("gaugelet-00%1").arg(i));
        const SniIconPixmapList pixmaps = pixmapsFrom(watcher.readProperty(names[i], QStringLiteral("IconPixmap")));
        ASSERT_EQ(pixmaps.size(), 3);
        EXPECT_EQ(QSize(pixmaps[0].width, pixmaps[0].height), QSize(15, 16));
        EXPECT_EQ(QSize(pixmaps[1].width, pixmaps[1].height), QSize(20, 22));
        EXPECT_EQ(QSize(pixmaps[2].width, pixmaps[2].height), QSize(22, 24));
        for (const SniIconPixmap& pixmap : pixmaps)
            EXPECT_EQ(pixmap.toImage().pixelColor(pixmap.width / 2, pixmap.height / 2), colors[i]);
        EXPECT_EQ(pixmaps[2].toImage().pixelColor(21, 23), colors[i]);
        // No menu: hosts call ContextMenu on a right click.
        EXPECT_FALSE(watcher.readProperty(names[i], QStringLiteral("Menu")).isValid());
        EXPECT_FALSE(watcher.readProperty(names[i], QStringLiteral("ItemIsMenu")).toBool());
    }
    ASSERT_TRUE(watcher.callItem(names[2], QStringLiteral("ContextMenu"), {300, 4}));
    ASSERT_TRUE(watcher.callItem(names[1], QStringLiteral("Activate"), {270, 5}));
    EXPECT_EQ(clicks, (QList<QPoint>{{300, 4}, {270, 5}}));

    // The middle tile changes colour: only its item sends NewIcon.
    test::waitUntil([] { return false; }, 100); // earlier signals arrive
    const int before0 = watcher.newIconsOf(names[0]);
    const int before1 = watcher.newIconsOf(names[1]);
    const int before2 = watcher.newIconsOf(names[2]);
    QImage yellow(40, 44, QImage::Format_ARGB32_Premultiplied);
    yellow.fill(QColor(200, 160, 0));
    tiles[1]->setContents(yellow);
    ASSERT_TRUE(test::waitUntil([&] { return watcher.newIconsOf(names[1]) > before1; }));
    test::waitUntil([] { return false; }, 100);
    EXPECT_EQ(watcher.newIconsOf(names[0]), before0);
    EXPECT_EQ(watcher.newIconsOf(names[2]), before2);
    EXPECT_EQ(pixmapsFrom(watcher.readProperty(names[1], QStringLiteral("IconPixmap")))[1].toImage().pixelColor(10, 11),
              QColor(200, 160, 0));
    EXPECT_EQ(serviceNames(*sni), names);

    // The middle tile goes: the slots redraw in place and the last is
    // withdrawn; nothing registers anew.
    const qsizetype registrations = watcher.items.size();
    tiles[1]->removeFromSuperlayer();
    tiles[2]->setFrame(QRectF(26, 0, 20, 22));
    item.setLength(46);
    item.setSegments({segments[0], {QStringLiteral("pin2"), QRectF(26, 0, 20, 22), QString(), QString()}});
    ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 2 && sni->isRegisteredWithWatcher(); }));
    EXPECT_EQ(serviceNames(*sni), names.mid(0, 2));
    EXPECT_EQ(watcher.items.size(), registrations);
    EXPECT_EQ(watcher.readProperty(names[1], QStringLiteral("Id")).toString(), QStringLiteral("gaugelet-001"));
    ASSERT_TRUE(test::waitUntil([&] {
        return pixmapsFrom(watcher.readProperty(names[1], QStringLiteral("IconPixmap")))[1].toImage().pixelColor(10, 11)
               == colors[2];
    }));
    ASSERT_TRUE(test::waitUntil([&] { return !bus.bus->interface()->isServiceRegistered(names[2]).value(); }));

    // No segments: one item with the whole picture.
    item.setSegments({});
    ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 1 && sni->isRegisteredWithWatcher(); }));
    EXPECT_EQ(sni->serviceName(), names[0]);
    EXPECT_EQ(pixmapsFrom(watcher.readProperty(sni->serviceName(), QStringLiteral("IconPixmap")))[1].width, 46);
}

// Between a change of the row and its next composition the items may be
// published again (here by a new tool tip): no item shows another tile's
// picture meanwhile, though on hosts that show the newest first a tile added
// in front moves every tile to another slot's position.
TEST(SniStatusItem, NoItemShowsAnotherTilesPictureBeforeTheRowIsComposedAgain)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    FakeWatcher watcher(bus);
    ASSERT_TRUE(watcher.start());
    StatusItem item(bus.address);
    SniStatusItem* sni = item.statusNotifier();
    sni->setCommandLineReader([](uint) { return QByteArrayLiteral("/usr/bin/gnome-shell\0"); });
    const QList<QColor> colors{QColor(220, 20, 30), QColor(20, 160, 40)};
    QList<StatusItem::Segment> segments;
    for (int i = 0; i < 2; ++i) {
        item.button()->layer()->addSublayer(solidTile(colors[i], 26 * i, 20));
        segments.append({QStringLiteral("pin%1").arg(i), QRectF(26 * i, 0, 20, 22), QString(), QString()});
    }
    item.setLength(46);
    item.setSegments(segments);
    ASSERT_TRUE(test::waitUntil([&] {
        return sni->items().size() == 2 && sni->isRegisteredWithWatcher() && !sni->items()[0]->iconPixmap().isEmpty()
               && !sni->items()[1]->iconPixmap().isEmpty();
    }));

    segments.prepend({QStringLiteral("new"), QRectF(0, 0, 20, 22), QString(), QString()});
    item.setSegments(segments);
    sni->setToolTip(QStringLiteral("Gaugelet 2"));
    ASSERT_EQ(sni->items().size(), 3);
    for (const SniItem* slot : sni->items()) {
        SCOPED_TRACE(slot->key().toStdString());
        if (slot->key() == QStringLiteral("new"))
            EXPECT_TRUE(slot->iconPixmap().isEmpty());
        else // GNOME's 16 pixels
            EXPECT_EQ(slot->iconPixmap().value(0).toImage().pixelColor(7, 8), colors[slot->key().back().digitValue()]);
    }
}

TEST(SniStatusItem, HostsAreToldApartByTheWatchersCommandLine)
{
    using Host = StatusAreaHost::Kind;
    const QString name = QStringLiteral("CPU — Pie");
    const struct {
        QByteArray commandLine;
        Host host;
        bool newestFirst;
        QString menu;
        QString id;    // of the second slot
        QString title; // of the second tile
    } hosts[] = {
        {QByteArrayLiteral("/usr/lib/x86_64-linux-gnu/xfce4/panel/wrapper-2.0\0/usr/lib/x86_64-linux-gnu/xfce4/panel/"
                           "plugins/libsystray.so\0"
                           "1\0systray\0"),
         Host::xfce, true, QString(), QStringLiteral("gaugelet"), name},
        {QByteArrayLiteral("xfce4-panel\0--disable-wm-check\0"), Host::xfce, true, QString(),
         QStringLiteral("gaugelet"), name},
        {QByteArrayLiteral("/usr/bin/gnome-shell\0--x11\0--replace\0"), Host::gnomeShell, true,
         QStringLiteral("/MenuBar"), QStringLiteral("gaugelet-001"), name},
        {QByteArrayLiteral("/usr/bin/kded5\0"), Host::plasma, false, QString(), QStringLiteral("gaugelet-001"),
         QStringLiteral("02 CPU — Pie")},
        {QByteArrayLiteral("/usr/bin/plasmashell\0--no-respawn\0"), Host::plasma, false, QString(),
         QStringLiteral("gaugelet-001"), QStringLiteral("02 CPU — Pie")},
        {QByteArrayLiteral("lxqt-panel\0"), Host::lxqt, false, QString(), QStringLiteral("gaugelet-001"), name},
        {QByteArrayLiteral("waybar\0"), Host::waybar, false, QString(), QStringLiteral("gaugelet-001"), name},
        {QByteArrayLiteral("status-notifier-watcher\0"), Host::other, false, QString(), QStringLiteral("gaugelet-001"),
         name},
        {QByteArrayLiteral("/opt/gnome-shell-tools/watcher\0"), Host::other, false, QString(),
         QStringLiteral("gaugelet-001"), name},
        {QByteArray(), Host::other, false, QString(), QStringLiteral("gaugelet-001"), name},
    };
    for (const auto& h : hosts) {
        SCOPED_TRACE(h.commandLine.constData());
        const StatusAreaHost host = StatusAreaHost::fromCommandLine(h.commandLine);
        EXPECT_EQ(host.kind(), h.host);
        EXPECT_EQ(host.showsNewestFirst(), h.newestFirst);
        EXPECT_EQ(host.menuPath(), h.menu);
        EXPECT_EQ(host.itemId(1), h.id);
        EXPECT_EQ(host.itemTitle(1, name), h.title);
    }
    // A watcher's command line is read up to 64 KiB; a longer one not at all.
    for (const qsizetype length : {qsizetype(64 * 1024), qsizetype(64 * 1024 + 1)}) {
        QByteArray commandLine = QByteArrayLiteral("/bin/sh\0-c\0sleep 60\0sh\0");
        const QString padding(length - commandLine.size() - 1, QLatin1Char('a'));
        QProcess process;
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("sleep 60"), QStringLiteral("sh"), padding});
        ASSERT_TRUE(process.waitForStarted());
        commandLine += padding.toLatin1() + '\0';
        EXPECT_EQ(StatusAreaHost::commandLineOf(uint(process.processId())),
                  length <= 64 * 1024 ? commandLine : QByteArray())
            << length;
        process.kill();
        process.waitForFinished();
    }
    // Plasma compares titles as they are: the position leads, zero-padded.
    const StatusAreaHost plasma(Host::plasma);
    EXPECT_LT(plasma.itemTitle(8, QStringLiteral("a")), plasma.itemTitle(9, QStringLiteral("Z")));
    EXPECT_LT(StatusAreaHost().itemId(9), StatusAreaHost().itemId(10));
    EXPECT_EQ(StatusAreaHost().itemTitle(0, QString()), QStringLiteral("Gaugelet"));

    // The one height offered: the slot's at the screen's scale, from the
    // host's settings (Xfce's status tray's here; LXQt's and waybar's in the
    // host tests); three for a host not known.
    QTemporaryDir config;
    const test::ScopedEnv home("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const test::ScopedEnv system("XDG_CONFIG_DIRS", config.path().toLocal8Bit());
    // The tray sized by its panel, which sizes its icons by its height.
    test::writeFile(
        config.path() + QStringLiteral("/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"),
        "<channel><property name=\"panels\"><property name=\"panel-1\"><property name=\"icon-size\" value=\"24\"/>"
        "</property><property name=\"panel-2\"><property name=\"size\" value=\"26\"/><property "
        "name=\"plugin-ids\"><value value=\"3\"/></property></property></property><property name=\"plugins\">"
        "<property name=\"plugin-3\" value=\"systray\"><property name=\"icon-size\" value=\"0\"/>"
        "</property></property></channel>");
    const std::pair<QByteArray, QList<int>> offered[] = {
        {QByteArrayLiteral("xfce4-panel\0"), {16}},    {QByteArrayLiteral("/usr/bin/gnome-shell\0"), {16}},
        {QByteArrayLiteral("/usr/bin/kded5\0"), {22}}, {QByteArrayLiteral("lxqt-panel\0"), {22}},
        {QByteArrayLiteral("waybar\0"), {16}},         {QByteArrayLiteral("status-notifier-watcher\0"), {16, 22, 24}},
    };
    for (const auto& [commandLine, sizes] : offered) {
        SCOPED_TRACE(commandLine.constData());
        const StatusAreaHost host = StatusAreaHost::fromCommandLine(commandLine);
        EXPECT_EQ(host.offeredPixelSizes(1.0), sizes);
        QList<int> twice = sizes;
        for (int& size : twice)
            size *= 2;
        EXPECT_EQ(host.offeredPixelSizes(2.0), twice);
    }
    // A slot no tile is drawn for gets the tallest picture that fits it,
    // which hosts that keep a smaller picture show unscaled.
    EXPECT_EQ(StatusAreaHost(Host::xfce, 20).offeredPixelSizes(1.0), QList<int>{16});
    EXPECT_EQ(StatusAreaHost(Host::lxqt, 18).offeredPixelSizes(1.5), QList<int>{24});
    // Xfce's tray draws its icons no taller than its panel.
    EXPECT_EQ(HostSlotSize::xfceSystray(QVariantMap{{"/plugins/plugin-3", "systray"},
                                                    {"/plugins/plugin-3/icon-size", 24},
                                                    {"/panels/panel-1/plugin-ids", QVariantList{3}},
                                                    {"/panels/panel-1/size", 20}}),
              20);
}

// A host's settings are read from a regular file no larger than the most
// read, whose opening never waits; anything else named there counts as no
// file. A relative path on the host's command line is the host's.
TEST(HostSlotSize, ReadsOnlyRegularFilesWithoutWaiting)
{
    QTemporaryDir dir;
    const QString at = dir.path();
    const QByteArray lxqt16("[General]\npanels=panel1\n[panel1]\nplugins=clock, statusnotifier\niconSize=16\n");
    const QByteArray xfceTray16("<property name=\"plugins\"><property name=\"plugin-1\" value=\"systray\"><property "
                                "name=\"icon-size\" value=\"16\"/></property></property></channel>");
    // Files made to take long, just below the most read; an element of
    // 60,000 attributes, which xfconfd never writes, makes the file none of its.
    QByteArray attributes;
    for (int i = 0; i < 60'000; ++i)
        attributes += " a" + QByteArray::number(i) + "=''";
    const QByteArray iconSize("[General]\npanels=p\n[p]\nplugins=statusnotifier\niconSize=");
    const struct {
        QByteArray text; // sets a size other than the reader's default
        int (*read)(const QString&);
        int set;
        int unset;
    } readers[] = {
        {lxqt16, HostSlotSize::lxqtPanel, 16, HostSlotSize::lxqtDefault},
        {"[General]\npanels=" + QByteArray("p,").repeated(100'000)
             + "q\n[p]\nplugins=" + QByteArray("x,").repeated(100'000) + "x\n[" + QByteArray(300'000, 'g') + "]\n"
             + QByteArray("k=1\n").repeated(50'000) + "[q]\nplugins=statusnotifier\niconSize=16\n",
         HostSlotSize::lxqtPanel, 16, HostSlotSize::lxqtDefault},
        // Within a panel row less its themes' frame (up to 6 pixels).
        {iconSize + "32\npanelSize=32\n", HostSlotSize::lxqtPanel, 26, HostSlotSize::lxqtDefault},
        {iconSize + "30\npanelSize=64\nlineCount=2\n", HostSlotSize::lxqtPanel, 26, HostSlotSize::lxqtDefault},
        {iconSize + "24\n", HostSlotSize::lxqtPanel, 24, HostSlotSize::lxqtDefault},
        {"{\"tray\": {\"icon-size\": 24}}", HostSlotSize::waybar, 24, HostSlotSize::waybarDefault},
        {"<channel>" + xfceTray16, HostSlotSize::xfceSystray, 16, HostSlotSize::xfceDefault},
        {"<channel><property name=\"panels\" type=\"array\">" + QByteArray("<value/>").repeated(120'000) + "</property>"
             + xfceTray16,
         HostSlotSize::xfceSystray, 16, HostSlotSize::xfceDefault},
        {"<channel a=''" + attributes + ">" + xfceTray16, HostSlotSize::xfceSystray, HostSlotSize::xfceDefault,
         HostSlotSize::xfceDefault},
    };
    ASSERT_EQ(::mkfifo(QFile::encodeName(at + QStringLiteral("/fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(at + QStringLiteral("/fifo"), at + QStringLiteral("/link")));
    ASSERT_TRUE(QDir(at).mkdir(QStringLiteral("folder")));
    for (const auto& r : readers) {
        SCOPED_TRACE(r.text.left(200).constData());
        test::writeFile(at + QStringLiteral("/file"), r.text);
        EXPECT_EQ(r.read(at + QStringLiteral("/file")), r.set);
        // The same, grown past the most read.
        QFile::remove(at + QStringLiteral("/huge"));
        ASSERT_TRUE(QFile::copy(at + QStringLiteral("/file"), at + QStringLiteral("/huge")));
        ASSERT_TRUE(QFile::resize(at + QStringLiteral("/huge"), HostSlotSize::maxFileBytes + 1));
        for (const char* path : {"/fifo", "/link", "/folder", "/huge"})
            EXPECT_EQ(r.read(at + QLatin1String(path)), r.unset) << path;
        EXPECT_EQ(r.read(QStringLiteral("/dev/zero")), r.unset);
    }

    test::writeFile(at + QStringLiteral("/host/panel.conf"), lxqt16);
    test::writeFile(at + QStringLiteral("/host/waybar.jsonc"), "{\"tray\": {\"icon-size\": 24}}");
    test::writeFile(at + QStringLiteral("/ours/panel.conf"), QByteArray(lxqt16).replace("=16", "=24"));
    test::writeFile(at + QStringLiteral("/ours/waybar.jsonc"), "{\"tray\": {\"icon-size\": 22}}");
    const QString ours = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(at + QStringLiteral("/ours")));
    const QByteArray lxqt = QByteArrayLiteral("lxqt-panel\0-c\0panel.conf\0");
    const QByteArray waybar = QByteArrayLiteral("waybar\0--config=waybar.jsonc\0");
    const QString host = at + QStringLiteral("/host");
    EXPECT_EQ(HostSlotSize::lxqtPanel(HostSlotSize::lxqtPanelConfig(lxqt, host)), 16);
    EXPECT_EQ(HostSlotSize::waybar(HostSlotSize::waybarConfig(waybar, host)), 24);
    // Where the host's folder is not known, its defaults.
    EXPECT_EQ(HostSlotSize::lxqtPanel(HostSlotSize::lxqtPanelConfig(lxqt, QString())), HostSlotSize::lxqtDefault);
    EXPECT_EQ(HostSlotSize::waybar(HostSlotSize::waybarConfig(waybar, QString())), HostSlotSize::waybarDefault);
    QDir::setCurrent(ours);
}

namespace {

SniToolTip toolTipFrom(const QVariant& v)
{
    SniToolTip tip;
    if (v.canConvert<QDBusArgument>())
        v.value<QDBusArgument>() >> tip;
    return tip;
}

QList<StatusItem::Segment> namedSegments(const QStringList& keys, const QString& figure = QStringLiteral("1%"))
{
    QList<StatusItem::Segment> out;
    for (qsizetype i = 0; i < keys.size(); ++i)
        out.append({keys[i], QRectF(26.0 * double(i), 0, 20, 22), QStringLiteral("Tile %1").arg(keys[i]), figure});
    return out;
}

} // namespace

// Without a watcher the tray shows the row as the hosts do: one icon per
// tile in the row's order (read from where the tray put each icon: this one
// puts the newest first, as trayer does), each with its tile's tool tip and
// its own drawing for the tray's slot; with no tray holding them there is no
// status area.
TEST(SniStatusItem, TheTrayShowsOneIconPerTileInTheRowsOrder)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    QList<QPointer<FakeTrayIcon>> made;
    TrayIcon::setFactory([&]() -> TrayIcon* {
        auto* icon = new FakeTrayIcon();
        icon->place.moveLeft(100 - 24 * int(made.size()));
        made.append(icon);
        return icon;
    });
    StatusItem item(bus.address);
    QList<QPoint> clicks;
    item.setAction([&](QPoint p) { clicks.append(p); });
    SniStatusItem* sni = item.statusNotifier();
    QList<bool> told;
    QObject::connect(sni, &SniStatusItem::statusAreaChanged, [&](bool present) { told.append(present); });
    const QList<QColor> colors{QColor(220, 20, 30), QColor(20, 160, 40), QColor(30, 60, 220)};
    for (int i = 0; i < 3; ++i)
        item.button()->layer()->addSublayer(solidTile(colors[i], 26 * i, 20));
    item.setLength(72);
    item.setSegments(namedSegments({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    const auto shownLeftToRight = [&] {
        QList<FakeTrayIcon*> out;
        for (const auto& icon : made)
            if (icon && icon->visible)
                out.append(icon);
        std::sort(out.begin(), out.end(), [](auto* l, auto* r) { return l->place.x() < r->place.x(); });
        return out;
    };
    // The tray places the icons a moment after it took them in.
    ASSERT_TRUE(test::waitUntil([&] {
        return shownLeftToRight().size() == 3 && shownLeftToRight()[0]->toolTip == QStringLiteral("Tile a\n1%");
    }));
    EXPECT_TRUE(sni->hasStatusArea());
    QList<FakeTrayIcon*> icons = shownLeftToRight();
    for (int i = 0; i < 3; ++i) {
        const QString key = QString(QChar(u'a' + i));
        EXPECT_EQ(icons[i]->toolTip, QStringLiteral("Tile %1\n1%").arg(key));
        // Its own tile, as high as the slot where the tile fits its width (a
        // 20-point tile 24 pixels high in trayer's 22 x 24), less where not.
        for (const auto& [slot, high] : {std::pair{QSize(22, 24), 24}, {QSize(26, 26), 26}, {QSize(16, 24), 17}}) {
            const QImage shown = icons[i]->icon.pixmap(slot).toImage();
            EXPECT_EQ(shown.pixelColor(slot.width() / 2, slot.height() / 2), colors[i]) << key.toStdString();
            int rows = 0;
            for (int y = 0; y < shown.height(); ++y)
                rows += qAlpha(shown.pixel(slot.width() / 2, y)) > 0 ? 1 : 0;
            EXPECT_EQ(rows, high) << key.toStdString() << " in " << slot.width() << "x" << slot.height();
        }
    }
    icons[1]->click();
    EXPECT_EQ(clicks.size(), 1);

    // One tile fewer: the newest icon goes, the others show the row again.
    item.setSegments(namedSegments({QStringLiteral("a"), QStringLiteral("c")}));
    ASSERT_TRUE(test::waitUntil([&] {
        return made.size() == 3 && !made[2] && shownLeftToRight()[1]->toolTip == QStringLiteral("Tile c\n1%");
    }));
    icons = shownLeftToRight();
    EXPECT_EQ(icons[0]->toolTip, QStringLiteral("Tile a\n1%"));

    // The tray went: nothing shows the row.
    for (FakeTrayIcon* icon : icons)
        icon->setTray(false);
    EXPECT_FALSE(sni->hasStatusArea());
    EXPECT_EQ(told, (QList<bool>{true, false}));
    TrayIcon::setFactory({});
}

// On every host the items show the row in order, and a pin change redraws
// the items in place, registering or withdrawing only at the end the host's
// order allows: an item the panel keeps is never registered again. Once a
// change has landed, every item is active and shows its own tile.
TEST(SniStatusItem, EachHostShowsTheRowInOrderThroughPinChanges)
{
    using Host = StatusAreaHost::Kind;
    const struct {
        QByteArray commandLine;
        Host host;
        int shown; // the one height of the pictures offered (at scale 1)
    } hosts[] = {
        {QByteArrayLiteral("lxqt-panel\0"), Host::lxqt, 22},
        {QByteArrayLiteral("/usr/bin/kded5\0"), Host::plasma, 22},
        {QByteArrayLiteral("/usr/bin/gnome-shell\0--x11\0"), Host::gnomeShell, 16},
        {QByteArrayLiteral("xfce4-panel\0"), Host::xfce, 22},
    };
    // The hosts' settings are their defaults.
    QTemporaryDir config;
    const test::ScopedEnv home("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const test::ScopedEnv system("XDG_CONFIG_DIRS", config.path().toLocal8Bit());
    for (const auto& h : hosts) {
        SCOPED_TRACE(h.commandLine.constData());
        PrivateBus bus;
        if (!bus.isUp())
            GTEST_SKIP() << "no dbus-daemon";
        FakeWatcher watcher(bus);
        ASSERT_TRUE(watcher.start());
        watcher.watchAnnouncements();
        watcher.watchItemSignals();
        StatusItem item(bus.address);
        SniStatusItem* sni = item.statusNotifier();
        sni->setCommandLineReader([&](uint) { return h.commandLine; });
        const StatusAreaHost rules(h.host);
        const bool newestFirst = rules.showsNewestFirst();

        // The row shows these tiles, each of a colour of its own.
        QList<Layer::Ptr> tiles;
        const auto colorOf = [](const QString& key) {
            return QColor(QColor::fromHsv(key[0].unicode() * 47 % 360, 220, 200).rgb());
        };
        const auto show = [&](const QStringList& keys) {
            for (const Layer::Ptr& tile : std::as_const(tiles))
                tile->removeFromSuperlayer();
            tiles.clear();
            for (qsizetype i = 0; i < keys.size(); ++i) {
                tiles.append(solidTile(colorOf(keys[i]), 26.0 * double(i), 20));
                item.button()->layer()->addSublayer(tiles.last());
            }
            item.setLength(26.0 * double(keys.size()));
            item.setSegments(namedSegments(keys));
        };
        // The items as the host shows them, and what each names.
        // The colour in the middle of the one picture an item shows.
        const auto shownColour = [&](const QString& name) {
            const SniIconPixmapList pixmaps = pixmapsFrom(watcher.readProperty(name, QStringLiteral("IconPixmap")));
            return pixmaps.size() == 1 ? pixmaps[0].toImage().pixelColor(pixmaps[0].width / 2, pixmaps[0].height / 2)
                                       : QColor();
        };
        const auto check = [&](const QStringList& keys) {
            const QStringList names = serviceNames(*sni);
            ASSERT_EQ(names.size(), keys.size());
            const auto landed = [&] {
                for (qsizetype i = 0; i < keys.size(); ++i) {
                    if (shownColour(names[i]) != colorOf(keys[i])
                        || watcher.readProperty(names[i], QStringLiteral("Status")).toString()
                               != QLatin1String("Active"))
                        return false;
                }
                return true;
            };
            ASSERT_TRUE(test::waitUntil(landed)) << keys.join(QLatin1Char(' ')).toStdString();
            for (qsizetype i = 0; i < keys.size(); ++i) {
                const QString tile = QStringLiteral("Tile %1").arg(keys[i]);
                EXPECT_EQ(watcher.readProperty(names[i], QStringLiteral("Title")).toString(),
                          rules.itemTitle(int(i), tile));
                const SniToolTip tip = toolTipFrom(watcher.readProperty(names[i], QStringLiteral("ToolTip")));
                EXPECT_EQ(tip.title, tile);
                EXPECT_EQ(tip.description, QStringLiteral("1%"));
                EXPECT_EQ(watcher.readProperty(names[i], QStringLiteral("IconAccessibleDesc")).toString(), tile);
                EXPECT_EQ(watcher.readProperty(names[i], QStringLiteral("AttentionAccessibleDesc")).toString(), tile);
                const SniIconPixmapList pixmaps =
                    pixmapsFrom(watcher.readProperty(names[i], QStringLiteral("IconPixmap")));
                ASSERT_EQ(pixmaps.size(), 1);
                EXPECT_EQ(pixmaps[0].height, h.shown);
                const QVariant menu = watcher.readProperty(names[i], QStringLiteral("Menu"));
                EXPECT_EQ(menu.isValid(), h.host == Host::gnomeShell);
                if (menu.isValid()) {
                    EXPECT_EQ(menu.value<QDBusObjectPath>().path(), rules.menuPath());
                }
            }
            // The order the host shows them in: registration, newest first, or by title.
            // (An item registered twice has the place of its last registration.)
            QStringList shown;
            for (auto it = watcher.items.crbegin(); it != watcher.items.crend(); ++it)
                if (names.contains(*it) && !shown.contains(*it))
                    shown.append(*it);
            if (!newestFirst)
                std::reverse(shown.begin(), shown.end());
            if (h.host == Host::plasma) {
                QStringList titles;
                for (const QString& name : names)
                    titles.append(watcher.readProperty(name, QStringLiteral("Title")).toString());
                EXPECT_TRUE(std::is_sorted(titles.cbegin(), titles.cend()))
                    << titles.join(QLatin1Char('|')).toStdString();
            } else {
                EXPECT_EQ(shown, names);
            }
        };

        show({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 3 && sni->isRegisteredWithWatcher(); }));
        EXPECT_EQ(sni->host().kind(), h.host);
        // The panel whose shade is known: GNOME Shell's or Plasma's.
        EXPECT_EQ(int(Appearance::instance()->panelHost()),
                  int(h.host == Host::gnomeShell ? Appearance::PanelHost::gnomeShell
                      : h.host == Host::plasma   ? Appearance::PanelHost::plasma
                                                 : Appearance::PanelHost::other));
        check({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});

        // GNOME's extension: Activate is answered with GLib's "cancelled", the second of a double click ignored.
        int clicks = 0;
        item.setAction([&](QPoint) { ++clicks; });
        const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(60000);
        for (int n = 0; n < 2; ++n)
            EXPECT_EQ(watcher.errorOfCall(sni->items()[0]->serviceName(), QStringLiteral("Activate"), {4, 5}),
                      h.host == Host::gnomeShell ? SniItemMenuAdaptor::cancelledError : QString());
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(interval);
        EXPECT_EQ(clicks, h.host == Host::gnomeShell ? 1 : 2);
        // GNOME's extension is told the Id and Menu again after registering.
        if (h.host == Host::gnomeShell) {
            ASSERT_TRUE(test::waitUntil([&] { return watcher.announced.contains(QStringLiteral("Menu")); }));
            EXPECT_EQ(watcher.announced.value(QStringLiteral("Menu")).value<QDBusObjectPath>().path(),
                      rules.menuPath());
            EXPECT_TRUE(watcher.announced.contains(QStringLiteral("Id")));
        }

        // The host takes the item it placed first in again (it dropped it, or
        // found it by itself): the items show the row in the host's new order.
        const QStringList before = serviceNames(*sni);
        watcher.announce(newestFirst ? before.last() : before.first());
        ASSERT_TRUE(test::waitUntil([&] { return serviceNames(*sni) != before; }));
        check({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        const QStringList three = serviceNames(*sni);
        qsizetype registrations = watcher.items.size();

        // A tile added at the row's end: one item more, the others kept.
        // Where the newest shows first, every kept item shows another tile:
        // GNOME's extension is sent their pixels (NewIconPixmap) and the added
        // item's status (it waits hidden until taken in), Xfce NewIcon.
        watcher.signalsBySender.clear();
        show({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 4 && sni->isRegisteredWithWatcher(); }));
        check({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        EXPECT_EQ(watcher.items.size(), registrations + 1);
        for (const QString& name : serviceNames(*sni)) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(three.contains(name) && watcher.signalsOf(name, "NewIconPixmap") > 0,
                      three.contains(name) && h.host == Host::gnomeShell);
            EXPECT_EQ(three.contains(name) && watcher.newIconsOf(name) > 0,
                      three.contains(name) && h.host == Host::xfce);
            EXPECT_EQ(watcher.signalsOf(name, "NewStatus") > 0, !three.contains(name) && h.host == Host::gnomeShell);
        }
        registrations = watcher.items.size();

        // Two tiles go from the middle: two items withdrawn, nothing registers.
        const QStringList four = serviceNames(*sni);
        show({QStringLiteral("a"), QStringLiteral("d")});
        ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 2; }));
        check({QStringLiteral("a"), QStringLiteral("d")});
        EXPECT_EQ(watcher.items.size(), registrations);
        for (const QString& name : four) {
            if (!serviceNames(*sni).contains(name)) {
                EXPECT_TRUE(test::waitUntil([&] { return !bus.bus->interface()->isServiceRegistered(name).value(); }));
            }
        }

        // The figure changes: NewToolTip from that item alone, once; the same
        // texts again send nothing.
        int toolTips = 0;
        QObject counter;
        QObject::connect(sni->items()[1]->adaptor(), &SniItemAdaptor::NewToolTip, &counter, [&] { ++toolTips; });
        auto segments = namedSegments({QStringLiteral("a"), QStringLiteral("d")});
        item.setSegments(segments);
        segments[1].figure = QStringLiteral("2%");
        item.setSegments(segments);
        ASSERT_TRUE(test::waitUntil([&] {
            return toolTipFrom(watcher.readProperty(sni->items()[1]->serviceName(), QStringLiteral("ToolTip")))
                       .description
                   == QStringLiteral("2%");
        }));
        item.setSegments(segments);
        test::waitUntil([] { return false; }, 100);
        EXPECT_EQ(toolTips, 1);
        if (h.host != Host::gnomeShell) {
            EXPECT_EQ(watcher.announcements, 0);
        }

        // A tile added where the newest shows first and, while the others'
        // new pictures wait for the panel to take in its item, that item and
        // the one before it withdrawn: neither is touched again (the
        // sanitizers would see it), and the row shows once the wait is over.
        if (newestFirst) {
            watcher.readsItems = watcher.announces = false;
            const QStringList kept = serviceNames(*sni);
            show({QStringLiteral("a"), QStringLiteral("d"), QStringLiteral("e")});
            ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 3; }));
            // Until the panel takes the new item in, the others keep their pictures.
            EXPECT_EQ(shownColour(kept.value(0)), colorOf(QStringLiteral("a")));
            EXPECT_EQ(shownColour(kept.value(1)), colorOf(QStringLiteral("d")));
            ASSERT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }));
            show({QStringLiteral("a")});
            watcher.readsItems = watcher.announces = true;
            ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 1; }));
            check({QStringLiteral("a")});
        }
    }
}

// The watcher answers a registration late: an item withdrawn meanwhile keeps
// its name until the answer (else the watcher would keep a name that is gone
// in its list), and gives it up then.
TEST(SniStatusItem, AnItemWithdrawnWhileItRegistersGoesOnceTheWatcherAnswers)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "no dbus-daemon";
    FakeWatcher watcher(bus);
    ASSERT_TRUE(watcher.start());
    StatusItem item(bus.address);
    SniStatusItem* sni = item.statusNotifier();
    ASSERT_TRUE(test::waitUntil([&] { return sni->isRegisteredWithWatcher(); }));

    watcher.holdsReplies = true;
    item.setSegments(namedSegments({QStringLiteral("a"), QStringLiteral("b")}));
    ASSERT_TRUE(test::waitUntil([&] { return watcher.held.size() == 1; }));
    const QString pending = serviceNames(*sni)[1];
    EXPECT_EQ(watcher.items.last(), pending);

    item.setSegments(namedSegments({QStringLiteral("a")}));
    ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 1; }));
    test::waitUntil([] { return false; }, 200);
    EXPECT_TRUE(bus.bus->interface()->isServiceRegistered(pending).value()) << "gone before the watcher answered";

    watcher.answerHeld();
    EXPECT_TRUE(test::waitUntil([&] { return !bus.bus->interface()->isServiceRegistered(pending).value(); }))
        << "kept after the watcher answered";
    EXPECT_TRUE(sni->isRegisteredWithWatcher());
}

// A registration alone is not believed: when the host does not read the
// items or the watcher does not list them, they register once more, then the
// row shows through the tray icon as well; a watcher that refuses every
// registration or never answers one shows nothing either. Where no tray
// holds that icon, nothing shows the row, and the application is told so.
TEST(SniStatusItem, FallsBackWhenTheHostDoesNotShowTheItems)
{
    const struct {
        bool reads;
        bool lists;
        bool shown;
        bool byUniqueName = false;
        int refusals = 0;
        bool answers = true;
        int answerMs = 0; // each answer within the wait for it, both past it
        bool missesFirst = false;
        bool wrongTypes = false; // the list of another type is no answer: shown as read
    } cases[] = {{true, true, true},
                 {false, true, false},
                 {true, false, false},
                 {true, true, true, true},
                 {true, true, false, false, 1000},
                 {true, true, false, false, 0, false},
                 {true, true, true, false, 0, true, 1200},
                 {true, true, true, false, 0, true, 0, true},
                 {true, true, true, false, 0, true, 0, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "reads " << c.reads << " lists " << c.lists << " by unique name "
                                        << c.byUniqueName << " refusals " << c.refusals << " answers " << c.answers
                                        << " after " << c.answerMs << " misses each item at first " << c.missesFirst
                                        << " wrong types " << c.wrongTypes);
        PrivateBus bus;
        if (!bus.isUp())
            GTEST_SKIP() << "no dbus-daemon";
        QPointer<FakeTrayIcon> tray;
        TrayIcon::setFactory([&]() -> TrayIcon* { return tray = new FakeTrayIcon(false); });
        const auto noFactory = qScopeGuard([] { TrayIcon::setFactory({}); });
        FakeWatcher watcher(bus);
        watcher.readsItems = c.reads;
        watcher.listsItems = c.lists;
        watcher.listsUniqueNames = c.byUniqueName;
        watcher.refusals = c.refusals;
        watcher.holdsReplies = !c.answers;
        watcher.answerMs = c.answerMs;
        watcher.missesFirst = c.missesFirst;
        watcher.wrongTypes = c.wrongTypes;
        ASSERT_TRUE(watcher.start());
        {
            StatusItem item(bus.address);
            SniStatusItem* sni = item.statusNotifier();
            QList<bool> told;
            QObject::connect(sni, &SniStatusItem::statusAreaChanged, [&](bool present) { told.append(present); });
            sni->setVerifyDelay(50);
            if (c.refusals > 0 || !c.answers)
                sni->setRegisterWait(300);
            if (c.answerMs > 0)
                sni->setRegisterWait(c.answerMs * 5 / 3);
            item.setSegments(namedSegments({QStringLiteral("a"), QStringLiteral("b")}));
            if (c.refusals > 0 || !c.answers) {
                ASSERT_TRUE(test::waitUntil([&] { return !told.isEmpty() && !told.last(); }));
                EXPECT_FALSE(sni->hasStatusArea());
                EXPECT_FALSE(sni->isRowSeen());
                EXPECT_TRUE(sni->isFallbackShown() && tray && tray->visible);
                continue;
            }
            ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 2 && sni->isRegisteredWithWatcher(); }));
            const QStringList names = serviceNames(*sni);
            if (c.missesFirst) {
                // Registered once more under its name owned anew, each is met as new and shown.
                ASSERT_TRUE(test::waitUntil([&] { return watcher.registrations.value(names.last()) == 2; }));
                EXPECT_EQ(watcher.registrations.value(names.first()), 2);
            }
            if (c.shown) {
                ASSERT_TRUE(test::waitUntil([&] { return sni->isRowSeen(); }));
                EXPECT_TRUE(sni->hasStatusArea());
                EXPECT_FALSE(told.contains(false));
                EXPECT_FALSE(sni->isFallbackShown());
                EXPECT_FALSE(tray && tray->visible);
            } else {
                ASSERT_TRUE(test::waitUntil([&] { return sni->isFallbackShown() && tray && tray->visible; }));
                EXPECT_FALSE(sni->hasStatusArea());
                EXPECT_FALSE(sni->isRowSeen());
                EXPECT_EQ(told.value(told.size() - 1, true), false);
                // Each item registered once more before that.
                for (const QString& name : names)
                    EXPECT_EQ(watcher.items.count(name), 2) << name.toStdString();
            }
            if (c.reads && !c.lists) {
                // Listed from then on: the fallback goes once the next check finds every item.
                watcher.listsItems = true;
                item.setSegments(namedSegments({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
                EXPECT_TRUE(test::waitUntil([&] { return sni->items().size() == 3 && !sni->isFallbackShown(); }));
                EXPECT_TRUE(sni->hasStatusArea() && sni->isRowSeen());
                // A later drop is registered once more again before the fallback shows.
                watcher.listsItems = false;
                item.setSegments(namedSegments(
                    {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
                ASSERT_TRUE(test::waitUntil([&] { return sni->items().size() == 4 && sni->isFallbackShown(); }));
                EXPECT_EQ(watcher.items.count(serviceNames(*sni).last()), 2);
            }
        }
    }
}

#include "SniStatusItemTest.moc"
