#pragma once

#include "platform/statusitem/ScreenInfo.h"
#include "platform/windows/Alert.h"
#include "popover/PopoverSize.h"
#include "update/KillSwitch.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace gaugelet {

class AlarmManager;
class AlarmNotificationDelegate;
class AppLifecycle;
class BundleInstaller;
class InstalledBundleRegistry;
class LazySettings;
class MenubarController;
class NoStatusAreaNotice;
class PinManager;
class PopoverWindow;
class SessionLockWatch;
class ProviderEnablementStore;
class RemoteStoreClient;
class RenderClock;
class RunnerStoreAdapter;
class SettingsFileNotice;
class ShellOverview;
class SetupWindowController;
class SoundStoreAdapter;
class SparkleUpdater;
class StatHistoryStore;
class StatRegistry;
class StatusItem;
class StoreCoordinator;
class ThemeStore;
class VisualizerRegistry;
struct ViewEnvironment;

// The program's one owner of every long-lived object. The constructor builds
// the services in a fixed order; applicationDidFinishLaunching() (queued into
// the event loop's first turn by main) runs the version gate before any
// window exists and then either stops the program, forces an update, or
// registers the default settings, migrates, starts seeding the built-in
// bundles, puts up the status item and the popover and starts the services.
// Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // What the launch asks of the outside world; tests replace them.
    struct Hooks {
        // The version gate (default: KillSwitch::checkBlocking).
        std::function<KillSwitch::Verdict(const KillSwitch::Env&)> gate;
        // Runs a modal alert and answers the chosen button's index (default: Alert::runModal).
        std::function<int(const Alert&)> runAlert;
        // Opens a link with the desktop (default: QDesktopServices).
        std::function<void(const QUrl&)> openURL;
        // Ends the program (default: flush the settings store, quit the event loop with 0).
        std::function<void()> terminate;
        // The status item (default: one published as a StatusNotifierItem).
        std::function<std::unique_ptr<StatusItem>()> makeStatusItem;
    };

    static inline const QString testHostVariable = QStringLiteral("XCTestConfigurationFilePath");
    static constexpr double bundleNewWindow = 1'209'600.0; // 14 days

    explicit AppDelegate(QObject* parent = nullptr);
    explicit AppDelegate(Hooks hooks, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence; runs once.
    void applicationDidFinishLaunching();
    // Flushes the settings store and ends the program (the hook's way).
    void terminate();

    // The status item's action: opens the popover at the click position, or
    // closes an open one.
    void togglePopover(const QPoint& anchor);
    void closePopover();
    // The program was started again while it runs (it hands over to this
    // copy): shows the window where nothing shows the row, else opens the
    // popover at the last click's place (else at the pointer). Either is
    // only brought forward when open; before the launch has put the
    // popover up, it opens then.
    void showFromAnotherLaunch();

    // The steps of the allow path, public for tests.
    static void registerDefaultSettings();
    static void dropLegacyGlobalTags();
    // The force-update alert's informative text.
    static QString forceUpdateInformativeText(const QString& message, const QString& minVersion);
    // "global.popupTwoColumn" as the delegate reads it.
    static TwoColumnMode storedTwoColumnMode();

    // The services, for the views and for tests.
    StatRegistry* registry() const { return m_registry.get(); }
    VisualizerRegistry* visualizers() const { return m_visualizers.get(); }
    RenderClock* clock() const { return m_clock.get(); }
    AlarmManager* alarms() const { return m_alarms.get(); }
    StatHistoryStore* history() const { return m_history.get(); }
    ThemeStore* theme() const { return m_theme.get(); }
    ProviderEnablementStore* enablement() const { return m_enablement.get(); }
    AlarmNotificationDelegate* notificationDelegate() const { return m_notificationDelegate.get(); }
    SetupWindowController* setupWindow() const { return m_setupWindow.get(); }
    PinManager* pins() const { return m_pins.get(); }
    InstalledBundleRegistry* bundles() const { return m_bundles.get(); }
    StoreCoordinator* store() const { return m_store.get(); }
    AppLifecycle* lifecycle() const { return m_lifecycle.get(); }
    MenubarController* menubar() const { return m_menubar.get(); }
    SparkleUpdater* updater() const { return m_updater.get(); }
    StatusItem* statusItem() const { return m_statusItem.get(); }
    PopoverWindow* popover() const { return m_popover.get(); }
    LazySettings* settings() const { return m_settings.get(); }
    bool hasLaunched() const { return m_launched; }
    // The width the size rule gave at the last opening.
    std::optional<PopoverSize> lastPopoverSize() const { return m_lastPopoverSize; }

Q_SIGNALS:
    // The allow path has put up the status item and started the services.
    void servicesStarted();

private:
    void construct();
    void startServices();
    // Gives back, once the launch's pool threads have ended, the memory they and the launch freed.
    void releaseLaunchMemory();
    void installStatusItem();
    void installPopoverContent(const QPoint& anchor, bool asWindow);
    // The popover's content and size for an opening at `anchor`, or for the
    // window that stands in for the row.
    void preparePopover(const QPoint& anchor, bool asWindow = false);
    // Opens the popover at `anchor`; while GNOME Shell's overview shows, once
    // the shell has left it.
    void presentPopover(const QPoint& anchor);
    // The popover as an ordinary window, where no status area shows the row;
    // behind the setup window while that is open.
    void showStandInWindow();
    void installNoStatusAreaNotice();
    // The services every window's views are handed; each window adds its own.
    ViewEnvironment sharedEnvironment() const;
    void popoverDidClose();
    int enabledProviderCount() const;
    void presentForceUpdateAlert(const QString& message, const QString& minVersion,
                                 const std::optional<KillSwitch::ForwardLink>& link);
    void presentTerminateAlert(const QString& message, const std::optional<KillSwitch::ForwardLink>& link);
    void terminateAfterForcedUpdateCycle();
    void openSettings();
    void presentUserUpdate();
    std::optional<ScreenFacts> screenFor(const QPoint& anchor) const;

    Hooks m_hooks;
    // Declared in construction order, so they are destroyed in reverse: every
    // consumer goes before what it consumes.
    std::unique_ptr<StatRegistry> m_registry;
    std::unique_ptr<VisualizerRegistry> m_visualizers;
    std::unique_ptr<RenderClock> m_clock;
    std::unique_ptr<AlarmManager> m_alarms;
    std::unique_ptr<StatHistoryStore> m_history;
    std::unique_ptr<ThemeStore> m_theme;
    std::unique_ptr<ProviderEnablementStore> m_enablement;
    std::unique_ptr<AlarmNotificationDelegate> m_notificationDelegate;
    std::unique_ptr<SetupWindowController> m_setupWindow;
    std::unique_ptr<PinManager> m_pins;
    std::unique_ptr<InstalledBundleRegistry> m_bundles;
    std::unique_ptr<BundleInstaller> m_installer;
    std::unique_ptr<RemoteStoreClient> m_client;
    std::unique_ptr<RunnerStoreAdapter> m_runnerAdapter;
    std::unique_ptr<SoundStoreAdapter> m_soundAdapter;
    std::unique_ptr<StoreCoordinator> m_store;
    std::unique_ptr<AppLifecycle> m_lifecycle;
    std::unique_ptr<SparkleUpdater> m_updater;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<MenubarController> m_menubar;
    std::unique_ptr<LazySettings> m_settings;
    std::unique_ptr<PopoverWindow> m_popover;
    std::unique_ptr<SessionLockWatch> m_sessionLock;
    std::unique_ptr<ShellOverview> m_overview;
    std::unique_ptr<SettingsFileNotice> m_settingsNotice;
    std::unique_ptr<NoStatusAreaNotice> m_noStatusAreaNotice;
    std::optional<PopoverSize> m_lastPopoverSize;
    // Where the last click on the row opened the popover (none yet: the pointer).
    std::optional<QPoint> m_lastAnchor;
    bool m_launched = false;
    bool m_showWhenLaunched = false;
};

} // namespace gaugelet
