#pragma once

#include "menubar/AnimatedTagSpec.h"
#include "menubar/MenuBarRenderCache.h"
#include "menubar/Pin.h"
#include "menubar/PinManager.h"
#include "menubar/RunnerLayerBridge.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/statusitem/StatusItem.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatRegistry.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

namespace gaugelet {

// Draws every visible pin into the program's one status item. Listens to new
// snapshots, pin changes and settings changes, collapses them into at most one
// redraw per main-loop turn, and on each redraw turns every visible pin into a
// cached static image layer or an animated sprite layer, with its tag and value
// labels. Shows the idle logo when no tile is shown, and sets the render
// clock's rate from the animated pins that have no sprite layer yet.
// Main thread only.
class MenubarController : public QObject {
    Q_OBJECT
public:
    static constexpr int settingsDebounceMs = 50;
    // Tiles kept drawn, each at every height a host shows (about 26 kB).
    static constexpr int maxCachedImages = 12;

    MenubarController(StatusItem* statusItem, StatRegistry* registry, VisualizerRegistry* visualizers, PinManager* pins,
                      RenderClock* clock, ProviderEnablementStore* enablement,
                      std::unique_ptr<MenuBarRenderCache> cache = nullptr, QObject* parent = nullptr);
    ~MenubarController() override;

    void start();
    QList<Pin> visiblePins() const;
    bool valuesChanged(const StatRegistry::Snapshots& snapshots);
    void scheduleRefresh();
    void updateClockRate();
    void render();

    // While paused the status item's sprites stand still (no animation timer).
    void setPaused(bool paused);

    // The image shown when no tile is shown, made once.
    static QImage idleLogo();
    // What a tile shows, for its item's title and tool tip: the statistic and
    // the tile's kind ("CPU — Pie").
    static QString tileName(const StatProvider& provider, const Visualizer& visualizer);
    // A label's colours unless the user chose them: for a panel of that shade,
    // and, when the shade is only guessed, opaque (the text then stands on its
    // contour, or on a plate that hides the panel).
    static QString defaultTagForeground(const TagSpec& spec, bool dark, bool shadeGuessed = false);
    static std::optional<QString> defaultTagBackground(const TagSpec& spec, bool dark, bool shadeGuessed = false);
    // "global.fpsLimit": 0 or absent gives 15, other values below 2 give 1.
    static int fpsLimit();

    // State, for tests and diagnostics.
    StatusItem* statusItem() const { return m_statusItem.data(); }
    MenuBarRenderCache& cache() { return *m_cache; }
    RunnerLayerBridge& runnerBridge() { return m_runnerBridge; }
    const QHash<QString, double>& observedPinnedValues() const { return m_observedPinnedValues; }
    bool isRefreshPending() const { return m_refreshPending; }
    bool isFallbackShown() const { return m_fallbackShown; }
    double scale() const { return m_scale; }
    int renderCount() const { return m_renderCount; }
    int viewRenderCount() const { return m_viewRenderCount; }

private:
    // A pin's name tag and value label, from its stored styling (loaded once).
    std::pair<std::optional<AnimatedTagSpec>, std::optional<AnimatedTagSpec>>
    pinLabels(const QString& key, const Pin& pin, const StatProvider& provider, Visualizer& visualizer,
              const StatSnapshot& snapshot, Theme theme);
    // One tile as a still image (cached by its look) or as a running sprite;
    // false when there is nothing to show for it.
    bool renderStatic(const QString& key, Visualizer& visualizer, const StatSnapshot& snapshot, Theme theme,
                      const QString& themeName, const std::optional<AnimatedTagSpec>& tag,
                      const std::optional<AnimatedTagSpec>& value);
    bool renderAnimated(const QString& key, Visualizer& visualizer, const StatSnapshot& snapshot, Theme theme,
                        double spriteYOffset, const std::optional<AnimatedTagSpec>& tag,
                        const std::optional<AnimatedTagSpec>& value);
    // The program's logo stands in while no tile is shown.
    void showIdleLogoWhenEmpty();
    void onPinsWillChange();
    void onSettingsChanged();

    QPointer<StatusItem> m_statusItem;
    QPointer<StatRegistry> m_registry;
    QPointer<VisualizerRegistry> m_visualizers;
    QPointer<PinManager> m_pins;
    QPointer<RenderClock> m_clock;
    QPointer<ProviderEnablementStore> m_enablement;
    std::unique_ptr<MenuBarRenderCache> m_cache;
    QList<QMetaObject::Connection> m_subscriptions;
    bool m_refreshPending = false;
    double m_scale = 2.0;
    RunnerLayerBridge m_runnerBridge;
    QHash<QString, double> m_observedPinnedValues;
    bool m_fallbackShown = false;

    QTimer m_settingsDebounce;
    // Both label stylings of each pin as last loaded; any change of the user
    // defaults forgets them, so a redraw never draws stale styling.
    QHash<QString, std::pair<TagSpec, TagSpec>> m_labelStyling;
    std::optional<Theme> m_lastRenderedTheme;
    int m_renderCount = 0;
    int m_viewRenderCount = 0;
};

} // namespace gaugelet
