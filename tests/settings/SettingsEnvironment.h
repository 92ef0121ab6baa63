#pragma once

// Every service the settings window reads, built as the application builds
// them, over temporary folders and the test's in-memory settings store. The
// notification centre is on a private bus with no notification server, and
// goes with the test: a question to the session's server (activated, and
// failing, where no display is) would be answered as the program exits.

#include "PrivateBus.h"
#include "alarms/AlarmManager.h"
#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "store/BundleInstaller.h"
#include "store/InstalledBundleRegistry.h"
#include "store/MockStoreClient.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SoundStoreAdapter.h"
#include "store/StoreCoordinator.h"
#include "update/SparkleUpdater.h"
#include "views/ViewEnvironment.h"

#include <QTemporaryDir>
#include <memory>

namespace gaugelet::test {

struct SettingsEnvironment {
    SettingsEnvironment() : center(bus.connect())
    {
        UserNotificationCenter::setCurrent(&center);
        registry = StatRegistry::makeDefaultRegistry();
        visualizers = std::make_unique<VisualizerRegistry>();
        pins = std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(visualizers.get()));
        clock = std::make_unique<RenderClock>();
        alarms = std::make_unique<AlarmManager>();
        theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
        enablement = std::make_unique<ProviderEnablementStore>();
        bundles = std::make_unique<InstalledBundleRegistry>(folder.path() + QStringLiteral("/Bundles"));
        installer = std::make_unique<BundleInstaller>(bundles.get());
        client = std::make_unique<MockStoreClient>(std::nullopt);
        runnerAdapter = std::make_unique<RunnerStoreAdapter>(
            QSet<BundleManifest::BundleType>{BundleManifest::BundleType::runnerSprite}, visualizers.get());
        soundAdapter =
            std::make_unique<SoundStoreAdapter>(QSet<BundleManifest::BundleType>{BundleManifest::BundleType::soundPack});
        store = std::make_unique<StoreCoordinator>(bundles.get(), installer.get(), client.get(),
                                                   QList<StoreBundleAdapter*>{runnerAdapter.get(), soundAdapter.get()});
        updater = std::make_unique<SparkleUpdater>();
        loginItems = std::make_unique<LoginItemService>(LoginItemService::Paths{
            folder.path() + QStringLiteral("/config"), {folder.path() + QStringLiteral("/xdg")},
            folder.path() + QStringLiteral("/bin/gaugelet")});
        LoginItemService::setMainAppService(loginItems.get());
    }
    ~SettingsEnvironment()
    {
        LoginItemService::setMainAppService(nullptr);
        UserNotificationCenter::setCurrent(nullptr);
    }

    ViewEnvironment env() const
    {
        ViewEnvironment e;
        e.registry = registry.get();
        e.visualizers = visualizers.get();
        e.pins = pins.get();
        e.clock = clock.get();
        e.alarms = alarms.get();
        e.store = store.get();
        e.updater = updater.get();
        e.theme = theme.get();
        e.enablement = enablement.get();
        return e;
    }

    QTemporaryDir folder;
    PrivateBus bus;
    UserNotificationCenter center;
    std::unique_ptr<StatRegistry> registry;
    std::unique_ptr<VisualizerRegistry> visualizers;
    std::unique_ptr<PinManager> pins;
    std::unique_ptr<RenderClock> clock;
    std::unique_ptr<AlarmManager> alarms;
    std::unique_ptr<ThemeStore> theme;
    std::unique_ptr<ProviderEnablementStore> enablement;
    std::unique_ptr<InstalledBundleRegistry> bundles;
    std::unique_ptr<BundleInstaller> installer;
    std::unique_ptr<MockStoreClient> client;
    std::unique_ptr<RunnerStoreAdapter> runnerAdapter;
    std::unique_ptr<SoundStoreAdapter> soundAdapter;
    std::unique_ptr<StoreCoordinator> store;
    std::unique_ptr<SparkleUpdater> updater;
    std::unique_ptr<LoginItemService> loginItems;
};

} // namespace gaugelet::test
