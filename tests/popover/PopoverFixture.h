#pragma once

// A small world for the popover's views: four providers (the last one merged
// and without pies, like the network), the three static visualizers plus a
// runner with frames, pins, palette, enablement, alarms and an updater, all
// over an in-memory settings store.

#include "alarms/AlarmManager.h"
#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/MediaClock.h"
#include "schema/SettingsSchema.h"
#include "stats/Palette.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "stats/StatHistoryStore.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "stats/views/StatDetailView.h"
#include "stats/views/StatProviderViews.h"
#include "support/TestSupport.h"
#include "update/SparkleUpdater.h"
#include "views/ViewEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace gaugelet::test::popover {

// A detail view that counts the snapshots it is handed.
class CountingDetailView : public StatDetailView {
public:
    explicit CountingDetailView(QWidget* parent) : StatDetailView(parent) { setFixedHeight(40); }
    void setSnapshot(const StatSnapshot& snapshot) override
    {
        ++updates;
        lastValue = snapshot.value;
        if (growBy != 0)
            setFixedHeight(minimumHeight() + growBy); // as a body whose rows follow the data
    }
    int growBy = 0;
    int updates = 0;
    double lastValue = -1;
};

class FakeProvider : public StatProvider {
public:
    FakeProvider(QString id, QString name, QColor accent, bool merged = false)
        : m_id(std::move(id)), m_name(std::move(name)), m_accent(accent), m_merged(merged)
    {
        StatProviderViews::registerViews(m_id, [this](const StatSnapshot&, const ViewEnvironment&, QWidget* parent) {
            return detailView(parent);
        });
    }
    ~FakeProvider() override { StatProviderViews::unregisterViews(m_id); }
    QString id() const override { return m_id; }
    QString displayName() const override { return m_name; }
    QString shortName() const override { return m_name.left(3).toUpper(); }
    double refreshInterval() const override { return 1.0; }
    QColor accentColor(const Palette&) const override { return m_accent; }
    QSet<QString> excludedVisualizerIds() const override
    {
        return m_merged ? QSet<QString>{QStringLiteral("viz.pie")} : QSet<QString>{};
    }
    bool supportsMergedDisplay() const override { return m_merged; }
    QCoro::Task<StatSnapshot> sample() override
    {
        StatSnapshot s;
        s.value = value;
        s.label = m_merged ? QStringLiteral("%1 KB/s").arg(std::lround(value * 1000))
                           : QStringLiteral("%1%").arg(std::lround(value * 100));
        s.asOf = QDateTime::currentDateTimeUtc();
        co_return s;
    }
    QWidget* detailView(QWidget* parent)
    {
        ++detailRequests;
        if (!withDetail)
            return nullptr;
        lastDetail = new CountingDetailView(parent);
        lastDetail->setFixedHeight(detailHeight);
        return lastDetail;
    }

    double value = 0.25;
    bool withDetail = false;
    int detailHeight = 40;
    int detailRequests = 0;
    CountingDetailView* lastDetail = nullptr;

private:
    QString m_id;
    QString m_name;
    QColor m_accent;
    bool m_merged;
};

// A runner-like visualizer: one orange frame per value.
class FramesVisualizer : public Visualizer {
public:
    explicit FramesVisualizer(QString id) : m_id(std::move(id)) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return QStringLiteral("Fox"); }
    QSizeF size() const override { return {22, 22}; }
    bool isAnimated() const override { return true; }
    std::optional<QString> group() const override { return QStringLiteral("runner"); }
    std::unique_ptr<TileView> makeView(const StatSnapshot&, Theme) override { return nullptr; }
    qint64 renderKey(const StatSnapshot& s) override { return std::lround(s.value * 100); }
    QList<QImage> frames(Theme theme, const StatSnapshot& snapshot) override
    {
        lastTheme = theme;
        lastValue = snapshot.value;
        QImage image(44, 44, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(230, 120, 30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(6, 14, 32, 18));
        p.drawEllipse(QRectF(30, 8, 12, 12));
        p.end();
        image.setDevicePixelRatio(2.0);
        return {image};
    }
    std::optional<Theme> lastTheme;
    double lastValue = -1;

private:
    QString m_id;
};

inline void usePalette(bool dark)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette pal = QApplication::style()->standardPalette();
    if (dark) {
        pal.setColor(QPalette::Window, QColor(40, 40, 44));
        pal.setColor(QPalette::WindowText, QColor(235, 235, 240));
        pal.setColor(QPalette::Base, QColor(30, 30, 33));
        pal.setColor(QPalette::Text, QColor(235, 235, 240));
        pal.setColor(QPalette::Button, QColor(58, 58, 62));
        pal.setColor(QPalette::ButtonText, QColor(235, 235, 240));
        pal.setColor(QPalette::Highlight, QColor(10, 132, 255));
    } else {
        pal.setColor(QPalette::Highlight, QColor(0, 122, 255));
    }
    QApplication::setPalette(pal);
}

class PopoverWorld {
public:
    explicit PopoverWorld(int providerCount = 4)
    {
        const QList<std::tuple<QString, QString, QColor, bool>> all = {
            {QStringLiteral("cpu.total"), QStringLiteral("CPU"), QColor(0, 122, 255), false},
            {QStringLiteral("gpu.total"), QStringLiteral("GPU"), QColor(52, 199, 89), false},
            {QStringLiteral("memory.total"), QStringLiteral("Memory"), QColor(255, 149, 0), false},
            {QStringLiteral("net.total"), QStringLiteral("Network"), QColor(90, 200, 250), true},
            {QStringLiteral("extra.one"), QStringLiteral("Extra"), QColor(175, 82, 222), false},
        };
        StatRegistry::Providers list;
        for (int i = 0; i < providerCount && i < all.size(); ++i) {
            auto [id, name, accent, merged] = all[i];
            auto provider = std::make_shared<FakeProvider>(id, name, accent, merged);
            providers.append(provider.get());
            list.push_back(provider);
        }
        defaults->set(SettingsSchema::sampleAlarmSeeded, true);
        registry = std::make_unique<StatRegistry>(list);
        visualizers = std::make_unique<VisualizerRegistry>();
        fox = std::make_shared<FramesVisualizer>(QStringLiteral("viz.runner.fox"));
        visualizers->add(fox);
        pins = std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(visualizers.get()));
        clock = std::make_unique<RenderClock>();
        alarms = std::make_unique<AlarmManager>();
        history = std::make_unique<StatHistoryStore>();
        theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
        enablement = std::make_unique<ProviderEnablementStore>();
        updater = std::make_unique<SparkleUpdater>();
    }

    ViewEnvironment env() const
    {
        ViewEnvironment e;
        e.registry = registry.get();
        e.visualizers = visualizers.get();
        e.pins = pins.get();
        e.clock = clock.get();
        e.alarms = alarms.get();
        e.updater = updater.get();
        e.theme = theme.get();
        e.enablement = enablement.get();
        e.history = history.get();
        return e;
    }

    // One sample of every provider, published at once.
    void publish()
    {
        media.advance(1.0);
        registry->tick();
        EXPECT_TRUE(waitUntil([&] { return registry->inflight().isEmpty(); }));
        registry->flush();
    }

    // Makes the alarms fire (their statistic past the threshold).
    void fire(const QList<Alarm>& list, const QHash<QString, double>& values)
    {
        alarms->setAlarms(list);
        StatRegistry::Snapshots snapshots;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            StatSnapshot s;
            s.providerId = it.key();
            s.value = it.value();
            snapshots.insert(it.key(), s);
        }
        alarms->evaluate(snapshots);
    }

    ScopedDefaults defaults;
    ManualMediaClock media{1000.0};
    QList<FakeProvider*> providers;
    std::unique_ptr<StatRegistry> registry;
    std::unique_ptr<VisualizerRegistry> visualizers;
    std::shared_ptr<FramesVisualizer> fox;
    std::unique_ptr<PinManager> pins;
    std::unique_ptr<RenderClock> clock;
    std::unique_ptr<AlarmManager> alarms;
    std::unique_ptr<StatHistoryStore> history;
    std::unique_ptr<ThemeStore> theme;
    std::unique_ptr<ProviderEnablementStore> enablement;
    std::unique_ptr<SparkleUpdater> updater;
};

inline Alarm alarmOn(const QString& providerId, double threshold, Alarm::Direction direction, qint64 snooze = 15)
{
    Alarm a;
    a.id = QUuid::createUuid();
    a.providerId = providerId;
    a.threshold = threshold;
    a.direction = direction;
    a.repeatInterval = 30;
    a.notify = false;
    a.notifySnoozeMinutes = snooze;
    return a;
}

inline QString screenshotPath(const QString& name)
{
    const QString dir = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace gaugelet::test::popover
