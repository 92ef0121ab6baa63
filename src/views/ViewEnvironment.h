#pragma once

namespace gaugelet {

class StatRegistry;
class VisualizerRegistry;
class PinManager;
class RenderClock;
class AlarmManager;
class StoreCoordinator;
class SparkleUpdater;
class ThemeStore;
class ProviderEnablementStore;
class StatHistoryStore;

// The objects a view reads from its environment, handed to every view's
// constructor. The application delegate owns them all; a pointer a window does
// not receive stays null.
struct ViewEnvironment {
    StatRegistry* registry = nullptr;
    VisualizerRegistry* visualizers = nullptr;
    PinManager* pins = nullptr;
    RenderClock* clock = nullptr;
    AlarmManager* alarms = nullptr;
    StoreCoordinator* store = nullptr;
    SparkleUpdater* updater = nullptr;
    ThemeStore* theme = nullptr;
    ProviderEnablementStore* enablement = nullptr;
    StatHistoryStore* history = nullptr;
};

} // namespace gaugelet
