#include "app/AppDelegate.h"

#include "FakeTrayIcon.h"
#include "LogCapture.h"
#include "PrivateBus.h"
#include "ScopedEnv.h"
#include "TestSupport.h"
#include "alarms/AlarmManager.h"
#include "lifecycle/AppLifecycle.h"
#include "menubar/MenubarController.h"
#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "platform/core/InfoDictionary.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "platform/statusitem/LayerCompositor.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/windows/PopoverWindow.h"
#include "popover/PopoverFooter.h"
#include "popover/StatsPopover.h"
#include "popover/ValueChip.h"
#include "schema/SettingsSchema.h"
#include "settings/setup/SetupWindowController.h"
#include "settings/setup/SetupWindowView.h"
#include "stats/RenderClock.h"
#include "stats/StatRegistry.h"
#include "store/InstalledBundleRegistry.h"
#include "update/SparkleUpdater.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// The notification centre of every test here is on a private bus with no
// notification server, and goes before the program ends: a question to the
// session's server (activated, and failing, where no display is) was
// answered as the program exited, into objects Qt no longer had.
class PrivateNotifications : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_bus = std::make_unique<PrivateBus>();
        m_center = std::make_unique<UserNotificationCenter>(m_bus->connect());
        UserNotificationCenter::setCurrent(m_center.get());
    }
    void TearDown() override
    {
        UserNotificationCenter::setCurrent(nullptr);
        m_center.reset();
        m_bus.reset();
    }

private:
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<UserNotificationCenter> m_center;
};
const ::testing::Environment* const privateNotifications =
    ::testing::AddGlobalTestEnvironment(new PrivateNotifications);

// A delegate whose outside world the test plays: the gate's verdict, the
// alert's answers, the links opened and the terminations.
class LaunchWorld {
public:
    LaunchWorld()
    {
        const QByteArray root = dir.path().toUtf8();
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", root + "/data");
        cache = std::make_unique<ScopedEnv>("XDG_CACHE_HOME", root + "/cache");
        config = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", root + "/config");
        // As the program starts: connected to the session bus, with a turn
        // of the loop before the delegate exists, in which Qt lets the new
        // connection deliver (a test that never turns the loop would leave
        // that step's object behind at exit).
        (void)QDBusConnection::sessionBus();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ~LaunchWorld() { InfoDictionary::clearOverridesForTesting(); }

    AppDelegate::Hooks hooks()
    {
        AppDelegate::Hooks h;
        h.gate = [this](const KillSwitch::Env& env) {
            ++gateCalls;
            gateEnv = env;
            return verdict;
        };
        h.runAlert = [this](const Alert& alert) {
            alerts.append(alert);
            return responses.isEmpty() ? -1 : responses.takeFirst();
        };
        h.openURL = [this](const QUrl& url) { opened.append(url); };
        h.terminate = [this] {
            ++terminations;
            if (loop)
                loop->quit();
        };
        h.makeStatusItem = [] { return std::make_unique<StatusItem>(StatusItem::Presentation::none); };
        return h;
    }

    std::unique_ptr<AppDelegate> launch()
    {
        auto delegate = std::make_unique<AppDelegate>(hooks());
        delegate->applicationDidFinishLaunching();
        return delegate;
    }

    QTemporaryDir dir;
    std::unique_ptr<ScopedEnv> data, cache, config;
    ScopedEnv testHost{"XCTestConfigurationFilePath", std::nullopt};
    ScopedDefaults defaults;
    KillSwitch::Verdict verdict = KillSwitch::Verdict::allow();
    QList<int> responses;
    int gateCalls = 0;
    std::optional<KillSwitch::Env> gateEnv;
    QList<Alert> alerts;
    QList<QUrl> opened;
    int terminations = 0;
    QEventLoop* loop = nullptr;
};

KillSwitch::ForwardLink link()
{
    return KillSwitch::ForwardLink{QUrl(QStringLiteral("https://example.invalid/get")), QStringLiteral("Download")};
}

} // namespace

TEST(AppDelegate, UnderATestHostTheLaunchDoesNothing)
{
    LaunchWorld world;
    ScopedEnv host("XCTestConfigurationFilePath", QByteArray());
    world.defaults->set(SettingsSchema::fpsLimit, qint64(12));
    auto delegate = world.launch();
    EXPECT_EQ(world.gateCalls, 0);
    EXPECT_EQ(delegate->statusItem(), nullptr);
    EXPECT_EQ(delegate->popover(), nullptr);
    EXPECT_EQ(delegate->menubar(), nullptr);
    EXPECT_EQ(delegate->updater(), nullptr);
    EXPECT_EQ(world.defaults->integer(SettingsSchema::fpsLimit), 12) << "no defaults, no migration";
    EXPECT_FALSE(world.defaults->object(SettingsSchema::popupTwoColumn).isValid());
    EXPECT_FALSE(world.defaults->object(SettingsSchema::legacyGlobalTagsDropped).isValid());
    EXPECT_FALSE(delegate->clock()->isRunning());
}

TEST(AppDelegate, TheGateGetsTheAlphaChannelThisVersionAFetcherAndACache)
{
    LaunchWorld world;
    world.verdict = KillSwitch::Verdict::terminate(QStringLiteral("stop"), std::nullopt);
    auto delegate = world.launch();
    ASSERT_TRUE(world.gateEnv);
    EXPECT_EQ(world.gateEnv->channel, KillSwitch::Channel::alpha);
    EXPECT_EQ(world.gateEnv->currentVersion, KillSwitch::bundleVersion());
    EXPECT_TRUE(world.gateEnv->fetcher);
    EXPECT_TRUE(world.gateEnv->cache);
    EXPECT_LT(std::abs(world.gateEnv->now.secsTo(QDateTime::currentDateTimeUtc())), 5);
}

TEST(AppDelegate, TerminateVerdictShowsItsAlertAndAlwaysEnds)
{
    struct Case {
        const char* name;
        std::optional<KillSwitch::ForwardLink> link;
        int response;
        QStringList buttons;
        bool opens;
    };
    const Case cases[] = {
        {"no link, Quit", std::nullopt, 0, {QStringLiteral("Quit")}, false},
        {"no link, closed", std::nullopt, -1, {QStringLiteral("Quit")}, false},
        {"link chosen", link(), 0, {QStringLiteral("Download"), QStringLiteral("Quit")}, true},
        {"link, Quit", link(), 1, {QStringLiteral("Download"), QStringLiteral("Quit")}, false},
        {"link, closed", link(), -1, {QStringLiteral("Download"), QStringLiteral("Quit")}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LaunchWorld world;
        world.verdict = KillSwitch::Verdict::terminate(QStringLiteral("This build has expired.\nThanks!"), c.link);
        world.responses = {c.response};
        auto delegate = world.launch();
        ASSERT_EQ(world.alerts.size(), 1);
        EXPECT_EQ(world.alerts[0].messageText, QStringLiteral("Gaugelet"));
        EXPECT_EQ(world.alerts[0].informativeText, QStringLiteral("This build has expired.\nThanks!"));
        EXPECT_EQ(world.alerts[0].buttons, c.buttons);
        EXPECT_EQ(world.opened, c.opens ? QList<QUrl>{link().url} : QList<QUrl>{});
        EXPECT_EQ(world.terminations, 1);
        EXPECT_EQ(delegate->statusItem(), nullptr);
        EXPECT_EQ(delegate->updater(), nullptr);
        EXPECT_FALSE(world.defaults->object(SettingsSchema::popupTwoColumn).isValid());
    }
}

TEST(AppDelegate, ForceUpdateAlertTextsButtonsAndOutcomes)
{
    struct Case {
        const char* name;
        QString message;
        std::optional<QString> running;
        std::optional<KillSwitch::ForwardLink> link;
        int response;
        QString informative;
        QStringList buttons;
        bool opens;
        bool terminatesNow;
    };
    const QStringList withLink = {QStringLiteral("Update…"), QStringLiteral("Download"), QStringLiteral("Quit")};
    const QStringList noLink = {QStringLiteral("Update…"), QStringLiteral("Quit")};
    const Case cases[] = {
        {"message, quit", QStringLiteral("Please update."), QStringLiteral("1.0.0"), std::nullopt, 1,
         QStringLiteral("Please update.\n\nMinimum required: 2.0.0. Running: 1.0.0."), noLink, false, true},
        {"empty message", QString(), QStringLiteral("1.0.0"), std::nullopt, 1,
         QStringLiteral("An update is required to continue.\n\nMinimum required: 2.0.0. Running: 1.0.0."), noLink,
         false, true},
        {"missing version", QStringLiteral("Update."), std::nullopt, std::nullopt, -1,
         QStringLiteral("Update.\n\nMinimum required: 2.0.0. Running: this build."), noLink, false, true},
        {"link opened", QStringLiteral("Update."), QStringLiteral("1.0.0"), link(), 1,
         QStringLiteral("Update.\n\nMinimum required: 2.0.0. Running: 1.0.0."), withLink, true, true},
        {"link, quit", QStringLiteral("Update."), QStringLiteral("1.0.0"), link(), 2,
         QStringLiteral("Update.\n\nMinimum required: 2.0.0. Running: 1.0.0."), withLink, false, true},
        {"link, closed", QStringLiteral("Update."), QStringLiteral("1.0.0"), link(), -1,
         QStringLiteral("Update.\n\nMinimum required: 2.0.0. Running: 1.0.0."), withLink, false, true},
        {"update chosen", QStringLiteral("Update."), QStringLiteral("1.0.0"), link(), 0,
         QStringLiteral("Update.\n\nMinimum required: 2.0.0. Running: 1.0.0."), withLink, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LaunchWorld world;
        InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, c.running);
        world.verdict = KillSwitch::Verdict::forceUpdate(c.message, QStringLiteral("2.0.0"), c.link);
        world.responses = {c.response};
        LogCapture log(QStringLiteral("dev.gaugelet.app-updater"));
        auto delegate = world.launch();
        ASSERT_EQ(world.alerts.size(), 1);
        EXPECT_EQ(world.alerts[0].messageText, QStringLiteral("Gaugelet needs to update"));
        EXPECT_EQ(world.alerts[0].informativeText, c.informative);
        EXPECT_EQ(world.alerts[0].buttons, c.buttons);
        EXPECT_EQ(world.opened, c.opens ? QList<QUrl>{link().url} : QList<QUrl>{});
        EXPECT_EQ(world.terminations, c.terminatesNow ? 1 : 0);
        EXPECT_EQ(delegate->statusItem(), nullptr) << "no status item, no services";
        EXPECT_FALSE(delegate->clock()->isRunning());
        ASSERT_NE(delegate->updater(), nullptr);
        if (c.terminatesNow)
            continue;
        // "Update…" keeps the program until the update cycle ends.
        ASSERT_TRUE(bool(delegate->updater()->onUpdateCycleEnded()));
        spinFor(50);
        EXPECT_EQ(world.terminations, 0);
        delegate->updater()->takeOnUpdateCycleEnded()();
        EXPECT_EQ(world.terminations, 1);
        EXPECT_EQ(log.count(QStringLiteral(
                      "force-update: Sparkle cycle ended without install, terminating per minVersion gate")),
                  1);
    }
}

TEST(AppDelegate, ATerminateVerdictEndsTheLoopAtOnce)
{
    LaunchWorld world;
    world.verdict = KillSwitch::Verdict::terminate(QStringLiteral("stop"), std::nullopt);
    AppDelegate delegate(world.hooks());
    QEventLoop loop;
    world.loop = &loop;
    QTimer::singleShot(5000, &loop, [&] { loop.exit(1); });
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching, Qt::QueuedConnection);
    // The terminate hook ends it (0), not the fallback (1).
    EXPECT_EQ(loop.exec(), 0);
    EXPECT_EQ(world.terminations, 1);
}

TEST(AppDelegate, FpsLimitOutsideTenFifteenTwentyIsRemoved)
{
    const QList<std::pair<QVariant, std::optional<qint64>>> cases = {
        {qint64(12), std::nullopt}, {qint64(0), std::nullopt},  {qint64(-5), std::nullopt},
        {qint64(30), std::nullopt}, {QStringLiteral("fast"), std::nullopt}, {qint64(10), 10},
        {qint64(15), 15},           {qint64(20), 20},           {10.0, 10},
        {QStringLiteral("20"), 20},
    };
    for (const auto& [stored, kept] : cases) {
        SCOPED_TRACE(stored.toString().toStdString());
        ScopedDefaults defaults;
        defaults->set(SettingsSchema::fpsLimit, stored);
        AppDelegate::registerDefaultSettings();
        EXPECT_EQ(defaults->hasUserValue(SettingsSchema::fpsLimit), kept.has_value());
        EXPECT_EQ(defaults->integerValue(SettingsSchema::fpsLimit), kept.value_or(15));
        if (kept) {
            EXPECT_EQ(defaults->object(SettingsSchema::fpsLimit), stored) << "the stored value stays as it was";
        }
    }
    ScopedDefaults defaults;
    AppDelegate::registerDefaultSettings();
    EXPECT_EQ(defaults->string(SettingsSchema::popupTwoColumn), QStringLiteral("auto"));
    EXPECT_EQ(defaults->real(SettingsSchema::runnerTintThreshold), 0.8);
    EXPECT_EQ(defaults->boolean(SettingsSchema::statShowMerged), true);
    EXPECT_TRUE(defaults->userValues().isEmpty()) << "registered defaults are never written";
}

TEST(AppDelegate, MigrationsRunOnceAndInOrder)
{
    LaunchWorld world;
    world.defaults->set(SettingsSchema::pinnedSlots, Pin::encodeList({Pin{QStringLiteral("cpu.total"), QStringLiteral("viz.numberLabel")}}));
    // Legacy values unlike every default, so the copy shows where each came from.
    world.defaults->set(SettingsSchema::legacyShowTag, true);
    world.defaults->set(SettingsSchema::legacyTagPosition, QStringLiteral("leading"));
    world.defaults->set(SettingsSchema::legacyTagFgHex, QStringLiteral("#FF0000"));
    world.defaults->set(SettingsSchema::legacyTagBgHex, QStringLiteral("#00FF00"));
    world.defaults->set(SettingsSchema::legacyTagShowBg, true);
    world.defaults->set(SettingsSchema::legacyTagYOffset, 3.0);
    // An autostart entry an earlier build wrote, without the login argument.
    const QString program = QCoreApplication::applicationFilePath();
    LoginItemService login({world.dir.path() + QStringLiteral("/config"), {}, program});
    LoginItemService::setMainAppService(&login);
    const auto restore = qScopeGuard([] { LoginItemService::setMainAppService(nullptr); });
    writeFile(login.userEntryPath(), "[Desktop Entry]\nExec=" + program.toUtf8() + "\n");
    {
        auto delegate = world.launch();
        EXPECT_EQ(readFile(login.userEntryPath()), "[Desktop Entry]\nExec=" + program.toUtf8() + " --at-login\n");
        // Copied before the legacy keys were dropped: the pin's tag has their values.
        TagSpec expected;
        expected.shown = true;
        expected.text = QStringLiteral("CPU");
        expected.position = TagPosition::leading;
        expected.orientation = TagOrientation::horizontal;
        expected.fgHex = QStringLiteral("#FF0000");
        expected.bgHex = QStringLiteral("#00FF00");
        expected.showBg = true;
        expected.yOffset = 3.0;
        EXPECT_EQ(TagSpec::load(QStringLiteral("cpu.total::viz.numberLabel"), QStringLiteral("cpu.total"),
                                QStringLiteral("CPU"), TagSpec::Namespace::tag),
                  expected);
        // The legacy values were copied into the pin before they were removed.
        const QVariantMap user = world.defaults->userValues();
        EXPECT_FALSE(user.contains(SettingsSchema::legacyShowTag));
        EXPECT_FALSE(user.contains(SettingsSchema::legacyTagFgHex));
        EXPECT_FALSE(user.contains(SettingsSchema::legacyTagYOffset));
        EXPECT_EQ(world.defaults->boolean(SettingsSchema::legacyGlobalTagsDropped), true);
        EXPECT_EQ(world.defaults->boolean(SettingsSchema::perPinTagStylingMigrated), true);
        bool copied = false;
        for (auto it = user.cbegin(); it != user.cend(); ++it)
            copied = copied || (SettingsSchema::pinLabel.matches(it.key()) && it.key().contains(QStringLiteral("cpu.total")));
        EXPECT_TRUE(copied) << "the pin holds its own label styling";
    }
    // A second launch changes nothing: a legacy key written again stays.
    world.defaults->set(SettingsSchema::legacyShowTag, true);
    const QVariantMap before = world.defaults->userValues();
    auto again = world.launch();
    EXPECT_EQ(world.defaults->userValues().value(SettingsSchema::legacyShowTag), true);
    EXPECT_EQ(world.defaults->userValues().size(), before.size());
}

TEST(AppDelegate, TheSetupWindowOpensAtAFirstStart)
{
    LaunchWorld world;
    auto delegate = world.launch();
    ASSERT_NE(delegate->setupWindow(), nullptr);
    ASSERT_TRUE(waitUntil([&] {
        const SetupWindowView* window = delegate->setupWindow()->window();
        return window && window->isVisible();
    }, 10000)) << "nothing was allowed yet, so the checklist opens";
    EXPECT_EQ(delegate->setupWindow()->window()->windowTitle(), QStringLiteral("Set up Gaugelet"));
}

TEST(AppDelegate, AllowStartsEverythingInOrder)
{
    LaunchWorld world;
    auto delegate = world.launch();
    EXPECT_EQ(world.gateCalls, 1);
    EXPECT_TRUE(world.alerts.isEmpty());
    ASSERT_NE(delegate->statusItem(), nullptr);
    ASSERT_NE(delegate->popover(), nullptr);
    ASSERT_NE(delegate->lifecycle(), nullptr);
    ASSERT_NE(delegate->menubar(), nullptr);
    ASSERT_NE(delegate->updater(), nullptr);
    ASSERT_NE(delegate->settings(), nullptr);
    EXPECT_TRUE(delegate->clock()->isRunning());
    EXPECT_TRUE(delegate->alarms()->isAttached());
    EXPECT_EQ(delegate->popover()->windowTitle(), QStringLiteral("Gaugelet"));
    EXPECT_EQ(world.terminations, 0);
    // The seeding was started, not awaited: the shipped bundles arrive later.
    ASSERT_TRUE(waitUntil([&] { return delegate->bundles()->installed().size() == 4; }, 10000));
    // Samples arrive once a second and the tiles follow.
    ASSERT_TRUE(waitUntil([&] { return !delegate->registry()->snapshots().isEmpty(); }, 5000));
    EXPECT_EQ(world.defaults->boolean(SettingsSchema::sampleAlarmSeeded), true);
    EXPECT_EQ(delegate->alarms()->alarms().size(), 1) << "the sample alarm";
}

TEST(AppDelegate, ThePausedFlagPausesTheMenuBarToo)
{
    LaunchWorld world;
    auto delegate = world.launch();
    ASSERT_NE(delegate->lifecycle(), nullptr);
    delegate->lifecycle()->pause();
    EXPECT_TRUE(delegate->clock()->isSuspended());
    EXPECT_TRUE(delegate->statusItem()->compositor()->isPaused()) << "no sprite animates";
    delegate->lifecycle()->resume();
    EXPECT_FALSE(delegate->statusItem()->compositor()->isPaused());
}

TEST(AppDelegate, TogglePopoverOpensClosesAndIgnoresTheEchoOfAnOutsideClick)
{
    LaunchWorld world;
    auto delegate = world.launch();
    PopoverWindow* popover = delegate->popover();
    const QPoint click(300, 5);

    delegate->togglePopover(click);
    ASSERT_TRUE(popover->isVisible());
    auto* content = qobject_cast<StatsPopover*>(popover->content());
    ASSERT_NE(content, nullptr);
    ASSERT_TRUE(delegate->lastPopoverSize());
    EXPECT_EQ(popover->width(), int(delegate->lastPopoverSize()->width)) << "window and content agree";
    EXPECT_GT(popover->height(), 0);

    // The item's click closes it; the content goes (later).
    delegate->togglePopover(click);
    EXPECT_FALSE(popover->isVisible());
    QPointer<QWidget> old(content);
    ASSERT_TRUE(waitUntil([&] { return popover->content() == nullptr && old.isNull(); }));

    // A fresh opening builds fresh content.
    delegate->togglePopover(click);
    ASSERT_TRUE(popover->isVisible());
    EXPECT_NE(popover->content(), nullptr);

    // A press outside closes it, and the item's activation for the same click does not reopen it.
    QTest::mousePress(popover, Qt::LeftButton, Qt::NoModifier, QPoint(-20, -20));
    ASSERT_TRUE(waitUntil([&] { return !popover->isVisible(); }));
    delegate->togglePopover(click);
    EXPECT_FALSE(popover->isVisible());
    spinFor(PopoverWindow::outsideCloseEchoMs + 50);
    delegate->togglePopover(click);
    EXPECT_TRUE(popover->isVisible());

    // Escape closes it too.
    QTest::keyClick(popover, Qt::Key_Escape);
    EXPECT_FALSE(popover->isVisible());
    delegate->togglePopover(click);
    EXPECT_TRUE(popover->isVisible()) << "Escape is not an outside click";

    // As the stand-in window it is an ordinary window; the item's click
    // closes it, the next opens the popup again.
    popover->showAsWindow();
    EXPECT_FALSE(popover->windowFlags().testFlag(Qt::BypassWindowManagerHint))
        << "framed, placed by the window manager";
    delegate->togglePopover(click);
    EXPECT_FALSE(popover->isVisible());
    delegate->togglePopover(click);
    EXPECT_TRUE(popover->windowFlags().testFlag(Qt::BypassWindowManagerHint));
    EXPECT_TRUE(LoginItemService::launchedAtLogin({QStringLiteral("gaugelet"), QStringLiteral("--at-login")}));
}

// Where nothing shows the row, another launch shows the stand-in window: at
// 14 and 18 pt it fits the screen with its frame, can be resized, and its rows
// scroll with the footer in sight. Screenshots: build/screenshots/stand-in-window-*.png.
TEST(AppDelegate, TheStandInWindowFitsTheScreenAtALargeFontAndScrolls)
{
    PrivateBus bus;
    TrayIcon::setFactory([] { return new FakeTrayIcon(false); });
    for (const int points : {14, 18}) {
        SCOPED_TRACE(points);
        ScopedAppFont font(points);
        LaunchWorld world;
        AppDelegate::Hooks hooks = world.hooks();
        hooks.makeStatusItem = [&] { return std::make_unique<StatusItem>(bus.address()); };
        AppDelegate delegate(hooks);
        delegate.applicationDidFinishLaunching();
        delegate.togglePopover(QPoint(300, 5)); // open from a click while the row still showed
        delegate.showFromAnotherLaunch();
        PopoverWindow* window = delegate.popover();
        ASSERT_TRUE(window->isVisible() && window->isShownAsWindow());
        const QRect available = window->screen()->availableGeometry();
        EXPECT_TRUE(available.contains(window->frameGeometry()));
        EXPECT_NE(window->minimumSize(), window->maximumSize()) << "resizable";
        auto* content = qobject_cast<StatsPopover*>(window->content());
        ASSERT_TRUE(content && content->scrollArea());
        const QString shot = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/stand-in-window-%1pt-%2x%3%4.png")
                                 .arg(points)
                                 .arg(available.width())
                                 .arg(available.height());
        QDir().mkpath(QFileInfo(shot).path());
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().save(shot.arg(QString())));
        window->resize(window->width(), window->minimumHeight());
        QApplication::processEvents();
        const QRect footer(content->footer()->mapTo(window, QPoint()), content->footer()->size());
        EXPECT_TRUE(window->rect().contains(footer));
        EXPECT_LT(content->scrollArea()->viewport()->height(), content->scrollArea()->widget()->height());
        EXPECT_TRUE(window->grab().save(shot.arg(QStringLiteral("-low"))));
    }
    TrayIcon::setFactory({});
}

// At 18 pt, with an alarm firing, the popover is as wide as its figures and
// buttons need, within the screen: none is cut at its end. Screenshots:
// build/screenshots/popover-18pt-WxH.png (on a laptop's 1366x768 screen too).
TEST(AppDelegate, ThePopoverCutsNoFigureAtALargeFont)
{
    ScopedAppFont font(18);
    LaunchWorld world;
    auto delegate = world.launch();
    Alarm alarm;
    alarm.id = QUuid::createUuid();
    alarm.providerId = QStringLiteral("cpu.total");
    alarm.threshold = 2; // the load is always below
    alarm.direction = Alarm::Direction::below;
    alarm.notify = false;
    alarm.notifySnoozeMinutes = 15;
    delegate->alarms()->setAlarms({alarm});
    StatRegistry* registry = delegate->registry();
    ASSERT_TRUE(waitUntil(
        [&] {
            return size_t(registry->snapshots().size()) == registry->providers().size()
                   && !delegate->alarms()->firing().isEmpty();
        },
        10000));
    delegate->togglePopover(QPoint(300, 5));
    PopoverWindow* popover = delegate->popover();
    ASSERT_TRUE(popover->isVisible());
    QApplication::processEvents();
    const QRect available = popover->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(popover->geometry()));
    const QString shot = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/popover-18pt-%1x%2.png")
                             .arg(available.width())
                             .arg(available.height());
    QDir().mkpath(QFileInfo(shot).path());
    EXPECT_TRUE(popover->grab().save(shot));
    for (QWidget* widget : popover->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(widget);
        auto* button = qobject_cast<QAbstractButton*>(widget);
        auto* chip = qobject_cast<ValueChip*>(widget);
        const QString text = label ? label->text() : button ? button->text() : chip ? chip->text() : QString();
        if (text.isEmpty() || !widget->isVisibleTo(popover) || (label && label->wordWrap()))
            continue;
        // Whole across, inside every widget around it (rows below may scroll).
        const int left = widget->mapTo(popover, QPoint()).x();
        bool inside =
            widget->sizeHint().width() <= widget->width() && left >= 0 && left + widget->width() <= popover->width();
        for (QWidget* around = widget->parentWidget(); around != popover; around = around->parentWidget()) {
            const int aroundLeft = around->mapTo(popover, QPoint()).x();
            inside = inside && aroundLeft <= left && left + widget->width() <= aroundLeft + around->width();
        }
        EXPECT_TRUE(inside) << text.toStdString();
    }
}

TEST(AppDelegate, QuitFromThePopoverTerminates)
{
    LaunchWorld world;
    auto delegate = world.launch();
    delegate->togglePopover(QPoint(300, 5));
    auto* content = qobject_cast<StatsPopover*>(delegate->popover()->content());
    ASSERT_NE(content, nullptr);
    content->footer()->quitButton()->click();
    ASSERT_TRUE(waitUntil([&] { return world.terminations == 1; }));
}

TEST(AppDelegate, AnotherLaunchShowsThePopoverAtTheLastClickAndNeverClosesIt)
{
    LaunchWorld world;
    auto delegate = std::make_unique<AppDelegate>(world.hooks());
    delegate->showFromAnotherLaunch(); // before the launch has put up the popover
    delegate->applicationDidFinishLaunching();
    PopoverWindow* popover = delegate->popover();
    EXPECT_TRUE(popover->isVisible()) << "shown once the launch has put it up";
    delegate->showFromAnotherLaunch();
    EXPECT_TRUE(popover->isVisible()) << "a hand-over does not toggle";

    const QPoint click(300, 5);
    for (int i = 0; i < 3; ++i)
        delegate->togglePopover(click); // closes, opens at the click, closes
    ASSERT_FALSE(popover->isVisible());
    delegate->showFromAnotherLaunch();
    EXPECT_TRUE(popover->isVisible());
    EXPECT_EQ(popover->anchor(), click);
}
