#pragma once

// Stand-ins shared by the menu-bar tests: a provider whose value the test
// sets, and static and sprite visualizers that count their work.

#include "menubar/TileView.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/style/Appearance.h"
#include "menubar/Visualizer.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <QSignalSpy>
#include <cmath>
#include <memory>

namespace gaugelet::test::statusrow {

class SettableProvider : public StatProvider {
public:
    SettableProvider(QString id, QString shortName) : m_id(std::move(id)), m_short(std::move(shortName)) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_short; }
    QString shortName() const override { return m_short; }
    double refreshInterval() const override { return 1.0; }
    QColor accentColor(const Palette&) const override { return Qt::red; }
    QCoro::Task<StatSnapshot> sample() override
    {
        StatSnapshot s;
        s.value = value;
        s.label = QStringLiteral("%1%").arg(std::lround(value * 100));
        co_return s;
    }

    double value = 0;

private:
    QString m_id;
    QString m_short;
};

// A plain coloured tile whose picture follows the value in percent.
class PlainTileView : public TileView {
public:
    PlainTileView(QSizeF size, QColor colour) : m_size(size), m_colour(colour) {}
    QSizeF size() const override { return m_size; }
    void paint(QPainter& p) const override { p.fillRect(QRectF(QPointF(0, 0), m_size), m_colour); }

private:
    QSizeF m_size;
    QColor m_colour;
};

class CountingTileVisualizer : public Visualizer {
public:
    CountingTileVisualizer(QString id, QSizeF size, bool bakesTag = false) : m_id(std::move(id)), m_size(size), m_bakes(bakesTag) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_id; }
    QSizeF size() const override { return m_size; }
    bool bakesOwnNameTag() const override { return m_bakes; }
    std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) override
    {
        ++views;
        const int shade = int(std::clamp(snapshot.value, 0.0, 1.0) * 200);
        return std::make_unique<PlainTileView>(m_size, theme == Theme::dark ? QColor(40, 200 - shade / 2, 255) : QColor(shade, 90, 40));
    }
    qint64 renderKey(const StatSnapshot& snapshot) override { return std::lround(snapshot.value * 100); }

    int views = 0;

private:
    QString m_id;
    QSizeF m_size;
    bool m_bakes;
};

class CountingSpriteVisualizer : public Visualizer {
public:
    explicit CountingSpriteVisualizer(QString id, double side = 18) : m_id(std::move(id)), m_side(side)
    {
        for (int i = 0; i < 4; ++i) {
            QImage frame(int(side * 2), int(side * 2), QImage::Format_ARGB32_Premultiplied);
            frame.fill(Qt::transparent);
            QPainter p(&frame);
            p.fillRect(QRectF(i * side / 2, side, side, side * 0.8), QColor(250, 160, 40));
            p.fillRect(QRectF(side * 0.4, side * 0.4, side * 1.2, side * 0.7), QColor(200, 110, 30));
            p.end();
            m_frames.append(frame);
        }
    }
    QString id() const override { return m_id; }
    QString displayName() const override { return m_id; }
    QSizeF size() const override { return {m_side, m_side}; }
    bool isAnimated() const override { return true; }
    std::optional<QString> group() const override { return QStringLiteral("runner"); }
    std::unique_ptr<TileView> makeView(const StatSnapshot&, Theme) override { return nullptr; }
    qint64 renderKey(const StatSnapshot& snapshot) override { return std::lround(snapshot.value * 100); }
    double framesPerSecond(const StatSnapshot&, int) override { return fps; }
    QList<QImage> frames(Theme, const StatSnapshot&) override { return m_frames; }
    double cycleDuration(const StatSnapshot& snapshot) override { return 1.0 / std::max(0.1, snapshot.value * 4); }
    double verticalBias() const override { return bias; }

    double fps = 7.2;
    double bias = 0;

private:
    QString m_id;
    double m_side;
    QList<QImage> m_frames;
};

// A 1920 x 1080 main screen at 2x and a light panel, for a whole test's row
// (the test resets both when it ends).
inline void useWideLightScreen()
{
    ScreenFacts facts;
    facts.frame = QRectF(0, 0, 1920, 1080);
    facts.visibleFrame = facts.frame;
    facts.backingScaleFactor = 2.0;
    ScreenInfo::instance()->setMainScreenForTesting(facts);
    Appearance::instance()->setOverrideForTesting(false);
}

// Sets the providers' values, samples them on a manual clock and waits for
// the registry's next flush.
inline bool publish(StatRegistry& registry, ManualMediaClock& clock)
{
    QSignalSpy flushed(&registry, &StatRegistry::snapshotsPublisher);
    clock.advance(2.0);
    registry.tick();
    return waitUntil([&] { return flushed.count() > 0; });
}

} // namespace gaugelet::test::statusrow
