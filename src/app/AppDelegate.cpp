#include "app/AppDelegate.h"

#include "alarms/AlarmManager.h"
#include "alarms/AlarmNotificationDelegate.h"
#include "app/AppLog.h"
#include "app/LazySettings.h"
#include "app/NoStatusAreaNotice.h"
#include "app/SettingsFileNotice.h"
#include "lifecycle/AppLifecycle.h"
#include "menubar/MenubarController.h"
#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/MainThread.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/SessionLockWatch.h"
#include "platform/desktop/ShellOverview.h"
#include "platform/desktop/WorkspaceNotifications.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/SystemSymbol.h"
#include "platform/windows/PopoverWindow.h"
#include "popover/StatsPopover.h"
#include "schema/SettingsSchema.h"
#include "settings/setup/SetupWindowController.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatHistoryStore.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "store/BundleInstaller.h"
#include "store/InstalledBundleRegistry.h"
#include "store/RemoteStoreClient.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SoundStoreAdapter.h"
#include "store/StoreCoordinator.h"
#include "update/SparkleUpdater.h"
#include "update/URLSessionFetcher.h"
#include "update/UserDefaultsCache.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QTimer>
#include <chrono>
#include <utility>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace gaugelet {

AppDelegate::AppDelegate(QObject* parent)
    : AppDelegate(Hooks{}, parent)
{
}

AppDelegate::AppDelegate(Hooks hooks, QObject* parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_hooks.gate)
        m_hooks.gate = [](const KillSwitch::Env& env) { return KillSwitch::checkBlocking(env); };
    if (!m_hooks.runAlert)
        m_hooks.runAlert = [](const Alert& alert) { return alert.runModal(); };
    if (!m_hooks.openURL)
        m_hooks.openURL = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!m_hooks.terminate) {
        m_hooks.terminate = [] {
            Defaults::standard()->flush();
            QCoreApplication::exit(0);
        };
    }
    if (!m_hooks.makeStatusItem)
        m_hooks.makeStatusItem = [] { return std::make_unique<StatusItem>(StatusItem::Presentation::statusNotifier); };
    construct();
}

AppDelegate::~AppDelegate()
{
    // The popover's content reads the services; it goes first.
    m_popover.reset();
    m_settings.reset();
    m_menubar.reset();
}

void AppDelegate::construct()
{
    // 1-8: the stat engine, the visualizers, the clock, the alarms (which load
    // the stored alarms and seed the sample alarm once), the history, the
    // palette, the enablement and the notification delegate.
    m_registry = StatRegistry::makeDefaultRegistry();
    m_visualizers = std::make_unique<VisualizerRegistry>();
    m_clock = std::make_unique<RenderClock>();
    m_alarms = std::make_unique<AlarmManager>();
    m_history = std::make_unique<StatHistoryStore>();
    m_theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
    m_enablement = std::make_unique<ProviderEnablementStore>();
    m_notificationDelegate = std::make_unique<AlarmNotificationDelegate>();
    // 9: the setup window's owner (it makes no window yet).
    m_setupWindow = std::make_unique<SetupWindowController>();
    // 11: the pins, grouped by the registered visualizers.
    m_pins = std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(m_visualizers.get()));
    // 12-16: the content store. The registry starts verifying its folder at
    // once, on a worker thread; the coordinator activates every bundle
    // installed in earlier runs as soon as the scan has listed them, and
    // seeding waits for it.
    m_bundles = std::make_unique<InstalledBundleRegistry>(InstalledBundleRegistry::defaultRootDir(), bundleNewWindow);
    m_bundles->scanInBackground();
    m_installer = std::make_unique<BundleInstaller>(m_bundles.get());
    m_client = RemoteStoreClient::makeDefault();
    m_runnerAdapter = std::make_unique<RunnerStoreAdapter>(
        QSet<BundleManifest::BundleType>{BundleManifest::BundleType::runnerSprite}, m_visualizers.get());
    m_soundAdapter =
        std::make_unique<SoundStoreAdapter>(QSet<BundleManifest::BundleType>{BundleManifest::BundleType::soundPack});
    m_store = std::make_unique<StoreCoordinator>(m_bundles.get(), m_installer.get(), m_client.get(),
                                                 QList<StoreBundleAdapter*>{m_runnerAdapter.get(), m_soundAdapter.get()});
}

void AppDelegate::applicationDidFinishLaunching()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_launched)
        return;
    m_launched = true;
    // Under a test host nothing of the launch runs.
    if (qEnvironmentVariableIsSet(testHostVariable.toLatin1().constData()))
        return;

    KillSwitch::Env env;
    env.channel = KillSwitch::Channel::alpha;
    env.now = QDateTime::currentDateTimeUtc();
    env.currentVersion = KillSwitch::bundleVersion();
    env.fetcher = std::make_shared<URLSessionFetcher>();
    env.cache = std::make_shared<UserDefaultsCache>(Defaults::standard());
    const KillSwitch::Verdict verdict = m_hooks.gate(env);

    switch (verdict.kind) {
    case KillSwitch::Verdict::Kind::terminate:
        presentTerminateAlert(verdict.message, verdict.link);
        return;
    case KillSwitch::Verdict::Kind::forceUpdate:
        m_updater = std::make_unique<SparkleUpdater>();
        presentForceUpdateAlert(verdict.message, verdict.minVersion, verdict.link);
        return;
    case KillSwitch::Verdict::Kind::allow:
        break;
    }

    registerDefaultSettings();
    // The copy reads the legacy keys that the next step removes.
    PinManager::migratePerPinTagStyling();
    dropLegacyGlobalTags();
    // An autostart entry an earlier build wrote starts the program as if by
    // hand; from now on it tells the program it starts at login.
    if (auto updated = LoginItemService::mainAppService().addLoginArgumentToEntry(); !updated)
        logWarning(appLog, "login item: the autostart entry could not be updated: %s", qUtf8Printable(updated.error()));
    // Seeding runs on the main thread, from the next turn of the loop on,
    // overlapping the rest of the launch; nobody awaits it (the task detaches).
    QTimer::singleShot(0, m_store.get(), [store = m_store.get()] { store->seedBuiltInBundles(); });
    installStatusItem();
    m_popover = std::make_unique<PopoverWindow>();
    connect(m_popover.get(), &PopoverWindow::didClose, this, &AppDelegate::popoverDidClose);
    // The popover's grab would keep a screen locker out.
    m_sessionLock = std::make_unique<SessionLockWatch>(WorkspaceNotifications::shared(), QDBusConnection::systemBus(),
                                                       QDBusConnection::sessionBus());
    connect(m_sessionLock.get(), &SessionLockWatch::sessionWillLock, m_popover.get(),
            &PopoverWindow::closeForSessionLock);
    m_overview = std::make_unique<ShellOverview>();
    startServices();
    // A settings file that cannot be read or saved is told to the user once.
    m_settingsNotice = std::make_unique<SettingsFileNotice>(Defaults::standard());
    m_settingsNotice->start();
    m_updater = std::make_unique<SparkleUpdater>();
    ViewEnvironment settingsEnv = sharedEnvironment();
    settingsEnv.store = m_store.get();
    settingsEnv.updater = m_updater.get();
    m_settings = std::make_unique<LazySettings>(settingsEnv);
    installNoStatusAreaNotice();
    m_setupWindow->showIfNeeded();
    m_updater->checkNow();
    releaseLaunchMemory();
    Q_EMIT servicesStarted();
    if (std::exchange(m_showWhenLaunched, false))
        showFromAnotherLaunch();
}

void AppDelegate::releaseLaunchMemory()
{
#ifdef __GLIBC__
    // The launch's work off the main thread (the bundle scan, reading the
    // shipped bundles) runs on a pool thread, which gets a malloc arena of
    // its own; once the thread has gone (30 s idle) the arena keeps the
    // pages it freed, and the main heap those the launch freed between live
    // blocks. One trim after that gives them back: one wake-up, against
    // about half a megabyte kept for the program's life. Capping the arenas
    // instead would make every later pool thread share the main one's lock.
    constexpr auto afterPoolThreadsEnd = std::chrono::seconds(45);
    QTimer::singleShot(afterPoolThreadsEnd, this, [] { malloc_trim(0); });
#endif
}

void AppDelegate::terminate()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_hooks.terminate();
}

void AppDelegate::registerDefaultSettings()
{
    Defaults* defaults = Defaults::standard();
    const qint64 fps = defaults->integerValue(SettingsSchema::fpsLimit).value_or(0);
    if (fps != 10 && fps != 15 && fps != 20)
        defaults->remove(SettingsSchema::fpsLimit);
    SettingsSchema::registerLaunchDefaults(*defaults);
}

void AppDelegate::dropLegacyGlobalTags()
{
    Defaults* defaults = Defaults::standard();
    if (SettingsSchema::boolean(SettingsSchema::legacyGlobalTagsDropped, *defaults))
        return;
    for (const SettingKey* key : {&SettingsSchema::legacyShowTag, &SettingsSchema::legacyTagPosition,
                                  &SettingsSchema::legacyTagShowBg, &SettingsSchema::legacyTagFgHex,
                                  &SettingsSchema::legacyTagBgHex, &SettingsSchema::legacyTagYOffset})
        defaults->remove(*key);
    SettingsSchema::write(SettingsSchema::legacyGlobalTagsDropped, true, *defaults);
}

void AppDelegate::startServices()
{
    m_lifecycle = std::make_unique<AppLifecycle>(m_clock.get());
    m_clock->setHz(1);
    if (!m_clock->isRunning())
        m_clock->start();
    m_registry->start(m_clock.get(), m_history.get(), m_enablement.get());
    m_alarms->attach(m_registry.get(), m_lifecycle.get());
    m_notificationDelegate->attach(m_alarms.get());
    if (m_statusItem) {
        m_menubar = std::make_unique<MenubarController>(m_statusItem.get(), m_registry.get(), m_visualizers.get(),
                                                        m_pins.get(), m_clock.get(), m_enablement.get());
        m_menubar->start();
        // No sprite animates while nobody can see the panel.
        connect(m_lifecycle.get(), &AppLifecycle::pausedChanged, m_menubar.get(), &MenubarController::setPaused);
        m_menubar->setPaused(m_lifecycle->paused());
    }
}

void AppDelegate::installStatusItem()
{
    m_statusItem = m_hooks.makeStatusItem();
    if (!m_statusItem)
        return;
    StatusItemButton* button = m_statusItem->button();
    if (!button)
        return;
    QImage symbol = SystemSymbol::image(QStringLiteral("gauge.with.dots.needle.50percent"), 44);
    if (symbol.isNull())
        symbol = SystemSymbol::image(QStringLiteral("gauge"), 44);
    if (!symbol.isNull())
        symbol.setDevicePixelRatio(2.0);
    button->setImage(symbol, true);
    m_statusItem->setLength(StatusItem::variableLength);
    m_statusItem->setAction([this](const QPoint& position) { togglePopover(position); });
}

std::optional<ScreenFacts> AppDelegate::screenFor(const QPoint& anchor) const
{
    if (auto facts = ScreenInfo::instance()->screenAt(anchor))
        return facts;
    return ScreenInfo::instance()->mainScreen();
}

TwoColumnMode AppDelegate::storedTwoColumnMode()
{
    return gaugelet::storedTwoColumnMode(*Defaults::standard());
}

int AppDelegate::enabledProviderCount() const
{
    int count = 0;
    for (const auto& provider : m_registry->providers()) {
        if (m_enablement->isEnabled(provider->id()))
            ++count;
    }
    return count;
}

void AppDelegate::togglePopover(const QPoint& anchor)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_popover || !m_statusItem || !m_statusItem->button())
        return;
    if (m_popover->isVisible()) {
        m_popover->performClose();
        return;
    }
    // The activation that follows the outside click which just closed the
    // popover is that same click on the item: it must not reopen it.
    if (m_popover->isEchoOfOutsideClose())
        return;
    m_lastAnchor = anchor;
    presentPopover(anchor);
}

void AppDelegate::preparePopover(const QPoint& anchor, bool asWindow)
{
    installPopoverContent(anchor, asWindow);
    const std::optional<ScreenFacts> screen = screenFor(anchor);
    m_lastPopoverSize = PopoverSize::compute(screen ? std::optional<QRectF>(screen->visibleFrame) : std::nullopt,
                                             enabledProviderCount(), int(m_alarms->firing().size()),
                                             storedTwoColumnMode());
}

void AppDelegate::showFromAnotherLaunch()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_popover) {
        m_showWhenLaunched = true;
        return;
    }
    if (m_noStatusAreaNotice && !m_noStatusAreaNotice->hasStatusArea()) {
        showStandInWindow();
        return;
    }
    if (m_popover->isVisible()) {
        m_popover->raise();
        m_popover->activateWindow();
        return;
    }
    presentPopover(m_lastAnchor.value_or(QCursor::pos()));
}

void AppDelegate::presentPopover(const QPoint& anchor)
{
    preparePopover(anchor);
    if (!m_overview || !m_overview->isShown()) {
        m_popover->showAt(anchor);
        return;
    }
    // The shell holds the keyboard and draws no window of ours over it.
    QPointer<AppDelegate> self(this);
    m_overview->leave([self, anchor] {
        if (self && self->m_popover && self->m_popover->content() && !self->m_popover->isVisible())
            self->m_popover->showAt(anchor);
    });
}

void AppDelegate::showStandInWindow()
{
    if (!m_popover)
        return;
    if (!(m_popover->isVisible() && m_popover->isShownAsWindow())) {
        const std::optional<ScreenFacts> main = ScreenInfo::instance()->mainScreen();
        preparePopover(main ? main->visibleFrame.center().toPoint() : QPoint(), true);
    }
    // On a first run the setup window stays in front: it asks first for what
    // the program needs.
    QWidget* setup = m_setupWindow ? m_setupWindow->window() : nullptr;
    const bool behindSetup = setup && setup->isVisible();
    m_popover->showAsWindow(!behindSetup);
    if (behindSetup)
        setup->raise();
}

void AppDelegate::installNoStatusAreaNotice()
{
    SniStatusItem* sni = m_statusItem ? m_statusItem->statusNotifier() : nullptr;
    if (!sni)
        return;
    NoStatusAreaNotice::Actions actions;
    QPointer<AppDelegate> self(this);
    actions.showWindow = [self] {
        if (self)
            self->showStandInWindow();
    };
    // The row is back: the window that stood in for it goes.
    actions.closeWindow = [self] {
        if (self && self->m_popover && self->m_popover->isShownAsWindow())
            self->m_popover->performClose();
    };
    m_noStatusAreaNotice = std::make_unique<NoStatusAreaNotice>(
        sni, LoginItemService::launchedAtLogin(QCoreApplication::arguments()), std::move(actions));
    m_noStatusAreaNotice->start();
}

void AppDelegate::closePopover()
{
    if (m_popover)
        m_popover->performClose();
}

ViewEnvironment AppDelegate::sharedEnvironment() const
{
    ViewEnvironment env;
    env.registry = m_registry.get();
    env.visualizers = m_visualizers.get();
    env.pins = m_pins.get();
    env.clock = m_clock.get();
    env.alarms = m_alarms.get();
    env.theme = m_theme.get();
    env.enablement = m_enablement.get();
    return env;
}

void AppDelegate::installPopoverContent(const QPoint& anchor, bool asWindow)
{
    // Content laid out for the other presentation gives way.
    if (auto* content = qobject_cast<StatsPopover*>(m_popover->content()); content && content->isInWindow() != asWindow)
        m_popover->setContent(nullptr);
    if (m_popover->content())
        return;
    ViewEnvironment env = sharedEnvironment();
    env.history = m_history.get();
    SparkleUpdater* ownUpdater = nullptr;
    if (m_updater) {
        env.updater = m_updater.get();
    } else {
        ownUpdater = new SparkleUpdater;
        env.updater = ownUpdater;
    }
    PopoverActions actions;
    QPointer<AppDelegate> self(this);
    actions.openSettings = [self] {
        if (self)
            self->openSettings();
    };
    actions.presentUpdate = [self] {
        if (self)
            self->presentUserUpdate();
    };
    actions.quit = [self] {
        if (self)
            self->terminate();
    };
    // The content lays itself out for the screen of the click, as the window does.
    const QPoint at = anchor;
    auto* content = new StatsPopover(env, std::move(actions), [self, at]() -> std::optional<ScreenFacts> {
        if (!self)
            return ScreenInfo::instance()->mainScreen();
        return self->screenFor(at);
    });
    if (ownUpdater)
        ownUpdater->setParent(content);
    content->setInWindow(asWindow);
    m_popover->setContent(content);
}

void AppDelegate::popoverDidClose()
{
    if (m_popover)
        m_popover->setContent(nullptr);
}

void AppDelegate::openSettings()
{
    // The stand-in window stays; the popover gives way.
    if (m_popover && !m_popover->isShownAsWindow())
        closePopover();
    if (m_settings)
        m_settings->show();
}

void AppDelegate::presentUserUpdate()
{
    if (m_popover && !m_popover->isShownAsWindow())
        closePopover();
    if (m_updater)
        m_updater->presentUserUpdate();
}

QString AppDelegate::forceUpdateInformativeText(const QString& message, const QString& minVersion)
{
    const QString body = message.isEmpty() ? tr("An update is required to continue.") : message;
    const QString running = InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(tr("this build"));
    return tr("%1\n\nMinimum required: %2. Running: %3.").arg(body, minVersion, running);
}

void AppDelegate::presentForceUpdateAlert(const QString& message, const QString& minVersion,
                                          const std::optional<KillSwitch::ForwardLink>& link)
{
    Alert alert;
    alert.messageText = tr("Gaugelet needs to update");
    alert.informativeText = forceUpdateInformativeText(message, minVersion);
    alert.buttons.append(tr("Update…"));
    if (link)
        alert.buttons.append(link->label);
    alert.buttons.append(tr("Quit"));
    const int response = m_hooks.runAlert(alert);
    if (response == 0) {
        if (!m_updater)
            return;
        QPointer<AppDelegate> self(this);
        m_updater->setOnUpdateCycleEnded([self] {
            if (self)
                self->terminateAfterForcedUpdateCycle();
        });
        m_updater->presentForcedUpdate();
        return;
    }
    if (response == 1 && link)
        m_hooks.openURL(link->url);
    terminate();
}

void AppDelegate::terminateAfterForcedUpdateCycle()
{
    logInfo(appUpdaterLog, "force-update: Sparkle cycle ended without install, terminating per minVersion gate");
    terminate();
}

void AppDelegate::presentTerminateAlert(const QString& message, const std::optional<KillSwitch::ForwardLink>& link)
{
    Alert alert;
    alert.messageText = QStringLiteral("Gaugelet");
    alert.informativeText = message;
    if (link)
        alert.buttons.append(link->label);
    alert.buttons.append(tr("Quit"));
    const int response = m_hooks.runAlert(alert);
    if (link && response == 0)
        m_hooks.openURL(link->url);
    terminate();
}

} // namespace gaugelet
