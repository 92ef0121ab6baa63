#include "menubar/MenubarController.h"

#include "menubar/PinManager.h"
#include "menubar/RenderHasher.h"
#include "menubar/RunnerLayer.h"
#include "menubar/TileView.h"
#include "menubar/Visualizer.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/core/Resources.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "schema/SettingsNotifier.h"
#include "schema/SettingsSchema.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"

#include <QFileInfo>
#include <QIcon>
#include <QSet>
#include <cmath>

namespace gaugelet {

namespace {

// Exact equality, except that a value that is not a number equals itself:
// a provider stuck on NaN would otherwise redraw the row on every flush.
bool sameValue(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

MenubarController::MenubarController(StatusItem* statusItem, StatRegistry* registry, VisualizerRegistry* visualizers,
                                     PinManager* pins, RenderClock* clock, ProviderEnablementStore* enablement,
                                     std::unique_ptr<MenuBarRenderCache> cache, QObject* parent)
    : QObject(parent)
    , m_statusItem(statusItem)
    , m_registry(registry)
    , m_visualizers(visualizers)
    , m_pins(pins)
    , m_clock(clock)
    , m_enablement(enablement)
    , m_cache(cache ? std::move(cache) : std::make_unique<MenuBarRenderCache>())
    , m_runnerBridge(statusItem)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto main = ScreenInfo::instance()->mainScreen();
    m_scale = main ? main->backingScaleFactor : 2.0;
    m_settingsDebounce.setSingleShot(true);
    m_settingsDebounce.setInterval(settingsDebounceMs);
    connect(&m_settingsDebounce, &QTimer::timeout, this, &MenubarController::onSettingsChanged);
    // A new theme or screen emptied the image cache: draw the tiles (and the
    // colours of labels and chip) again now rather than at the next value change.
    connect(m_cache.get(), &MenuBarRenderCache::invalidated, this, [this] { scheduleRefresh(); });
    // Still tiles are drawn for the heights the row is composed at: other
    // heights draw them anew.
    if (statusItem)
        connect(statusItem, &StatusItem::composedPixelSizesChanged, this, [this] { scheduleRefresh(); });
    connect(SettingsNotifier::standard(), &SettingsNotifier::menubarChanged, this, [this] { m_labelStyling.clear(); });
}

MenubarController::~MenubarController()
{
    for (const auto& c : std::as_const(m_subscriptions))
        disconnect(c);
}

void MenubarController::start()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_registry) {
        m_subscriptions.append(connect(m_registry, &StatRegistry::snapshotsPublisher, this,
                                       [this](const StatRegistry::Snapshots& snapshots) {
                                           if (valuesChanged(snapshots)) {
                                               scheduleRefresh();
                                               updateClockRate();
                                           }
                                       }));
    }
    if (m_pins) {
        // The pins publisher delivers the current list at once, then announces
        // each change before the new list is stored.
        onPinsWillChange();
        m_subscriptions.append(connect(m_pins, &PinManager::pinsWillChange, this, [this] { onPinsWillChange(); }));
    }
    m_subscriptions.append(
        connect(SettingsNotifier::standard(), &SettingsNotifier::menubarChanged, this, [this] { m_settingsDebounce.start(); }));
    render();
    updateClockRate();
}

void MenubarController::onPinsWillChange()
{
    m_observedPinnedValues.clear();
    scheduleRefresh();
    updateClockRate();
}

void MenubarController::onSettingsChanged()
{
    scheduleRefresh();
    updateClockRate();
}

QList<Pin> MenubarController::visiblePins() const
{
    QList<Pin> out;
    if (!m_pins)
        return out;
    for (const Pin& pin : m_pins->pins()) {
        if (!m_enablement || m_enablement->isEnabled(pin.providerId))
            out.append(pin);
    }
    return out;
}

bool MenubarController::valuesChanged(const StatRegistry::Snapshots& snapshots)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (snapshots.isEmpty())
        return false;
    bool changed = false;
    for (const Pin& pin : visiblePins()) {
        const auto snapshot = snapshots.constFind(pin.providerId);
        if (snapshot == snapshots.cend())
            continue;
        const auto stored = m_observedPinnedValues.constFind(pin.providerId);
        if (stored == m_observedPinnedValues.cend() || !sameValue(*stored, snapshot->value)) {
            m_observedPinnedValues.insert(pin.providerId, snapshot->value);
            changed = true;
        }
    }
    return changed;
}

void MenubarController::scheduleRefresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            render();
        },
        Qt::QueuedConnection);
}

int MenubarController::fpsLimit()
{
    // The same integer read as FPSLimit's: 20, 20.0 and "20" are all 20.
    const qint64 stored = SettingsSchema::integer(SettingsSchema::fpsLimit);
    if (stored == 0)
        return 15;
    if (stored < 2)
        return 1;
    return int(std::min<qint64>(stored, std::numeric_limits<int>::max()));
}

void MenubarController::updateClockRate()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const int limit = fpsLimit();
    if (m_statusItem)
        m_statusItem->compositor()->setFramesPerSecondLimit(limit);
    double wanted = 0;
    if (m_visualizers && m_registry) {
        for (const Pin& pin : visiblePins()) {
            const VisualizerPtr visualizer = m_visualizers->visualizer(pin.visualizerId);
            if (!visualizer || !visualizer->isAnimated() || m_runnerBridge.layers.contains(pin.id()))
                continue;
            const auto snapshot = m_registry->snapshots().constFind(pin.providerId);
            if (snapshot == m_registry->snapshots().cend())
                continue;
            const double fps = visualizer->framesPerSecond(*snapshot, limit);
            if (std::isfinite(fps)) // a broken rate must not stall or flood the clock
                wanted = std::max(wanted, fps);
        }
    }
    int rate = 1;
    if (wanted > 0)
        rate = int(std::clamp(std::ceil(wanted), 1.0, double(limit)));
    if (m_clock && rate != m_clock->hz())
        m_clock->setHz(rate);
}

void MenubarController::setPaused(bool paused)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_statusItem)
        m_statusItem->compositor()->setPaused(paused);
}

QString MenubarController::defaultTagForeground(const TagSpec& spec, bool dark, bool shadeGuessed)
{
    if (!spec.fgHex.isEmpty())
        return spec.fgHex;
    if (shadeGuessed)
        return dark ? QStringLiteral("#FFFFFF") : QStringLiteral("#000000");
    return dark ? QStringLiteral("#FFFFFFD9") : QStringLiteral("#000000B3");
}

std::optional<QString> MenubarController::defaultTagBackground(const TagSpec& spec, bool dark, bool shadeGuessed)
{
    if (!spec.showBg)
        return std::nullopt;
    if (!spec.bgHex.isEmpty())
        return spec.bgHex;
    if (shadeGuessed)
        return dark ? QStringLiteral("#000000D9") : QStringLiteral("#FFFFFFD9");
    return dark ? QStringLiteral("#00000073") : QStringLiteral("#FFFFFF8C");
}

QImage MenubarController::idleLogo()
{
    static const QImage logo = [] {
        QImage image;
        const QString hiDpi = Resources::path(QStringLiteral("taskbar-idle-logo@2x.png"));
        const QString plain = Resources::path(QStringLiteral("taskbar-idle-logo.png"));
        if (QFileInfo::exists(hiDpi) && image.load(hiDpi)) {
            image.setDevicePixelRatio(image.width() / 18.0);
        } else if (QFileInfo::exists(plain) && image.load(plain)) {
            image.setDevicePixelRatio(image.width() / 18.0);
        } else {
            // The desktop's system-monitor symbol, else nothing.
            const QIcon icon = QIcon::fromTheme(QStringLiteral("utilities-system-monitor"));
            if (!icon.isNull()) {
                image = icon.pixmap(QSize(36, 36)).toImage();
                if (!image.isNull())
                    image.setDevicePixelRatio(image.width() / 18.0);
            }
        }
        if (image.isNull()) {
            image = QImage(36, 36, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            image.setDevicePixelRatio(2.0);
        }
        return image;
    }();
    return logo;
}

QString MenubarController::tileName(const StatProvider& provider, const Visualizer& visualizer)
{
    //: A tile in the panel: the statistic, then how it is drawn ("CPU — Pie").
    return tr("%1 — %2").arg(provider.displayName(), visualizer.displayName());
}

void MenubarController::render()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    ++m_renderCount;
    const Theme theme = m_cache->cachedTheme;
    const QString themeName = rawValue(theme);
    const double spriteYOffset = SettingsSchema::real(SettingsSchema::spriteYOffset);
    QSet<QString> shown;
    QStringList order;

    const StatRegistry::Snapshots snapshots = m_registry ? m_registry->snapshots() : StatRegistry::Snapshots{};
    for (const Pin& pin : visiblePins()) {
        const VisualizerPtr visualizer = m_visualizers ? m_visualizers->visualizer(pin.visualizerId) : nullptr;
        const auto snapshotIt = snapshots.constFind(pin.providerId);
        StatProvider* provider = m_registry ? m_registry->provider(pin.providerId) : nullptr;
        if (!visualizer || snapshotIt == snapshots.cend() || !provider)
            continue;
        const StatSnapshot& snapshot = *snapshotIt;
        const QString key = pin.id();
        // A stored list may name one pin twice; it is one tile.
        if (shown.contains(key))
            continue;

        const auto [tag, value] = pinLabels(key, pin, *provider, *visualizer, snapshot, theme);
        const bool drawn = visualizer->isAnimated()
                               ? renderAnimated(key, *visualizer, snapshot, theme, spriteYOffset, tag, value)
                               : renderStatic(key, *visualizer, snapshot, theme, themeName, tag, value);
        if (!drawn)
            continue;
        shown.insert(key);
        order.append(key);
        m_runnerBridge.describe(key, tileName(*provider, *visualizer), snapshot.label);
    }

    m_runnerBridge.prune(shown);
    bool laidOut = false;
    if (order != m_runnerBridge.pinOrder) {
        m_runnerBridge.pinOrder = order;
        m_runnerBridge.layout();
        laidOut = true;
    }
    // The chip's colour follows the theme; a theme change alone moves no tile.
    if (m_lastRenderedTheme && *m_lastRenderedTheme != theme && !laidOut)
        m_runnerBridge.layout();
    m_lastRenderedTheme = theme;

    showIdleLogoWhenEmpty();
}

std::pair<std::optional<AnimatedTagSpec>, std::optional<AnimatedTagSpec>>
MenubarController::pinLabels(const QString& key, const Pin& pin, const StatProvider& provider, Visualizer& visualizer,
                             const StatSnapshot& snapshot, Theme theme)
{
    const bool dark = isDark(theme);
    const bool guessed = isShadeGuessed(theme);
    auto styling = m_labelStyling.constFind(key);
    if (styling == m_labelStyling.cend()) {
        styling = m_labelStyling.insert(
            key, {TagSpec::load(key, pin.providerId, provider.shortName(), TagSpec::Namespace::tag),
                  TagSpec::load(key, pin.providerId, provider.shortName(), TagSpec::Namespace::value)});
    }
    const TagSpec& tagSpec = styling->first;
    const TagSpec& valueSpec = styling->second;

    // Labels keep to the tile's width, so a panel that fits each tile
    // into a square slot does not shrink it for a label's sake.
    const double tileWidth =
        RunnerLayerBridge::shownStaticSize(visualizer.size(), ScreenInfo::statusBarThickness).width();
    // Both labels of a pin share the colours stored with the tag.
    const auto label = [&](const QString& text, const TagSpec& spec, bool isValue) {
        return AnimatedTagSpec{text,
                               visualizer.tagPosition(snapshot, spec.position),
                               spec.orientation,
                               defaultTagForeground(tagSpec, dark, guessed),
                               defaultTagBackground(tagSpec, dark, guessed),
                               spec.yOffset,
                               isValue,
                               tileWidth,
                               guessed};
    };
    std::optional<AnimatedTagSpec> tag;
    if (tagSpec.shown && !visualizer.bakesOwnNameTag())
        tag = label(tagSpec.text, tagSpec, false);
    std::optional<AnimatedTagSpec> value;
    if (valueSpec.shown)
        value = label(snapshot.label, valueSpec, true);
    return {tag, value};
}

bool MenubarController::renderStatic(const QString& key, Visualizer& visualizer, const StatSnapshot& snapshot,
                                     Theme theme, const QString& themeName, const std::optional<AnimatedTagSpec>& tag,
                                     const std::optional<AnimatedTagSpec>& value)
{
    RenderHasher hasher;
    hasher.combine(visualizer.id()).combine(snapshot.providerId).combine(visualizer.renderKey(snapshot));
    hasher.combine(themeName);
    const QSizeF size = visualizer.size();
    hasher.combine(RenderHasher::toKeyInteger(size.width())).combine(RenderHasher::toKeyInteger(size.height()));
    // Drawn for the heights the row is composed at (every height a host may
    // show, until the host is known), so none is resampled and a 16-pixel
    // slot gets the tile's layout for small slots; a height the host never
    // shows is not drawn each time the value changes.
    const QList<int> heights = m_statusItem
                                   ? m_statusItem->composedPixelSizes()
                                   : QList<int>(StatusItem::pixelSizes.cbegin(), StatusItem::pixelSizes.cend());
    for (const int pixels : heights)
        hasher.combine(pixels);
    const qint64 cacheKey = hasher.finalize();

    QList<QImage> pictures = m_cache->pinImages.value(cacheKey);
    if (pictures.isEmpty()) {
        const auto view = visualizer.makeView(snapshot, theme);
        if (view) {
            QList<QImage> drawn;
            QImage atScreenScale;
            for (const int pixels : heights) {
                const double scale = StatusItem::scaleForPixelSize(pixels);
                drawn.append(view->render(scale));
                if (std::abs(scale - m_scale) < 1e-9)
                    atScreenScale = drawn.constLast();
            }
            // The layer's own contents, drawn at other heights (a tray's odd
            // one): the screen's scale when drawn, else the first height.
            if (atScreenScale.isNull())
                atScreenScale = drawn.isEmpty() ? view->render(m_scale) : drawn.constFirst();
            pictures = QList<QImage>{atScreenScale} + drawn;
            ++m_viewRenderCount;
        }
        if (pictures.isEmpty() || pictures.constFirst().isNull())
            return false;
        m_cache->pinImages.insert(cacheKey, pictures);
        if (m_cache->pinImages.size() > maxCachedImages)
            m_cache->pinImages.clear();
    }
    m_runnerBridge.setStatic(key, pictures, tag, value, size);
    return true;
}

bool MenubarController::renderAnimated(const QString& key, Visualizer& visualizer, const StatSnapshot& snapshot,
                                       Theme theme, double spriteYOffset, const std::optional<AnimatedTagSpec>& tag,
                                       const std::optional<AnimatedTagSpec>& value)
{
    const QList<QImage> frames = visualizer.frames(theme, snapshot);
    if (frames.isEmpty())
        return false;
    const double cycle = visualizer.cycleDuration(snapshot);
    const double s = visualizer.size().width();
    const double bias = visualizer.verticalBias();
    const Layer::Ptr host = m_statusItem && m_statusItem->button() ? m_statusItem->button()->layer() : nullptr;
    if (host) {
        std::shared_ptr<RunnerLayer> layer = m_runnerBridge.layers.value(key);
        if (!layer) {
            layer = RunnerLayer::create();
            m_runnerBridge.layers.insert(key, layer);
            host->addSublayer(layer);
        }
        bool changed = false;
        auto compareAndStore = [&changed, &key](QHash<QString, double>& map, double v) {
            const auto it = map.constFind(key);
            if (it == map.cend() || *it != v) {
                map.insert(key, v);
                changed = true;
            }
        };
        compareAndStore(m_runnerBridge.sizes, s);
        compareAndStore(m_runnerBridge.spriteYOffsets, spriteYOffset);
        compareAndStore(m_runnerBridge.spriteVerticalBiases, bias);
        changed |= m_runnerBridge.updateLabel(key, tag, m_runnerBridge.tagLayers, m_runnerBridge.tagSpecs, host);
        changed |= m_runnerBridge.updateLabel(key, value, m_runnerBridge.valueLayers, m_runnerBridge.valueSpecs, host);
        if (changed)
            m_runnerBridge.layout();
        layer->apply(frames, cycle);
    }
    return true;
}

void MenubarController::showIdleLogoWhenEmpty()
{
    if (!m_statusItem)
        return;
    StatusItemButton* button = m_statusItem->button();
    if (!m_runnerBridge.layers.isEmpty() || !m_runnerBridge.staticLayers.isEmpty()) {
        if (button && !button->image().isNull())
            button->setImage(QImage());
        m_fallbackShown = false;
        return;
    }
    const QImage logo = idleLogo();
    if (m_fallbackShown && button && button->image().cacheKey() == logo.cacheKey())
        return;
    if (button)
        button->setImage(logo, false);
    m_statusItem->setLength(StatusItem::variableLength);
    m_fallbackShown = true;
}

} // namespace gaugelet
