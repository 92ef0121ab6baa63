#pragma once

#include "menubar/Pin.h"
#include "menubar/Visualizer.h"
#include "menubar/VisualizerRegistry.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"

#include <QDir>
#include <QImage>
#include <memory>
#include <ostream>

namespace gaugelet {
// Readable pins in test failures.
inline void PrintTo(const Pin& pin, std::ostream* os) { *os << pin.id().toStdString(); }
} // namespace gaugelet

namespace gaugelet::test {

// A sprite visualizer as the content store registers them: animated, in the
// "runner" group, with the interface's defaults elsewhere.
class FakeRunnerVisualizer : public Visualizer {
public:
    explicit FakeRunnerVisualizer(QString kind, QString name = QStringLiteral("Runner"))
        : m_id(QStringLiteral("viz.runner.") + kind)
        , m_name(std::move(name))
    {
    }
    QString id() const override { return m_id; }
    QString displayName() const override { return m_name; }
    QSizeF size() const override { return { 22, 22 }; }
    bool isAnimated() const override { return true; }
    std::optional<QString> group() const override { return QStringLiteral("runner"); }
    std::unique_ptr<TileView> makeView(const StatSnapshot&, Theme) override { return nullptr; }
    qint64 renderKey(const StatSnapshot&) override { return 0; }

private:
    QString m_id;
    QString m_name;
};

// A provider with an id and nothing to sample.
class FakeProvider : public StatProvider {
public:
    explicit FakeProvider(QString id, QString shortName = QStringLiteral("X"))
        : m_id(std::move(id))
        , m_shortName(std::move(shortName))
    {
    }
    QString id() const override { return m_id; }
    QString displayName() const override { return m_id; }
    QString shortName() const override { return m_shortName; }
    double refreshInterval() const override { return 1; }
    QColor accentColor(const Palette&) const override { return Qt::green; }
    QCoro::Task<StatSnapshot> sample() override { co_return StatSnapshot {}; }

private:
    QString m_id;
    QString m_shortName;
};

inline std::unique_ptr<StatRegistry> makeRegistry(const QStringList& providerIds)
{
    StatRegistry::Providers providers;
    for (const QString& id : providerIds)
        providers.push_back(std::make_shared<FakeProvider>(id));
    return std::make_unique<StatRegistry>(std::move(providers));
}

inline void addRunners(VisualizerRegistry& registry, const QStringList& kinds)
{
    for (const QString& kind : kinds)
        registry.add(std::make_shared<FakeRunnerVisualizer>(kind));
}

// Tile images go under the build folder, for a person to look at.
inline QString tileImagePath(const QString& name)
{
    const QString dir = QStringLiteral(GAUGELET_BINARY_DIR "/tiles");
    QDir().mkpath(dir);
    return dir + u'/' + name + QStringLiteral(".png");
}

// The colour of one image pixel (device pixels), unpremultiplied.
inline QColor pixelAt(const QImage& image, int x, int y)
{
    return image.convertToFormat(QImage::Format_ARGB32).pixelColor(x, y);
}

} // namespace gaugelet::test
