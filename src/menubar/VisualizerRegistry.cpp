#include "menubar/VisualizerRegistry.h"

#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"

#include <QCoreApplication>

namespace gaugelet {

VisualizerRegistry::VisualizerRegistry(QObject* parent)
    : VisualizerRegistry(
          QList<VisualizerPtr> {
              std::make_shared<PieVisualizer>(),
              std::make_shared<NumberLabelVisualizer>(),
              std::make_shared<SparklineVisualizer>(QStringLiteral("viz.sparkline"),
                                                    QCoreApplication::translate("SparklineVisualizer", "Sparkline")),
          },
          parent)
{
}

VisualizerRegistry::VisualizerRegistry(const QList<VisualizerPtr>& visualizers, QObject* parent)
    : QObject(parent)
    , m_visualizers(deduplicated(visualizers))
{
}

VisualizerRegistry::~VisualizerRegistry() = default;

const QList<VisualizerPtr>& VisualizerRegistry::visualizers() const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    return m_visualizers;
}

void VisualizerRegistry::setVisualizers(const QList<VisualizerPtr>& visualizers)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    store(deduplicated(visualizers));
}

void VisualizerRegistry::store(QList<VisualizerPtr> list)
{
    publishIfChanged(this, m_visualizers, std::move(list), &VisualizerRegistry::visualizersWillChange,
                     &VisualizerRegistry::visualizersChanged);
}

QMetaObject::Connection VisualizerRegistry::subscribe(QObject* context,
                                                      std::function<void(const QList<VisualizerPtr>&)> slot)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    slot(m_visualizers);
    return connect(this, &VisualizerRegistry::visualizersChanged, context, [this, slot] { slot(m_visualizers); });
}

VisualizerPtr VisualizerRegistry::visualizer(QStringView id) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    for (const VisualizerPtr& v : m_visualizers) {
        if (v->id() == id)
            return v;
    }
    return nullptr;
}

void VisualizerRegistry::add(const VisualizerPtr& visualizer)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!visualizer)
        return;
    QList<VisualizerPtr> list = m_visualizers;
    const QString id = visualizer->id();
    bool replaced = false;
    for (VisualizerPtr& v : list) {
        if (v->id() == id) {
            v = visualizer;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        list.append(visualizer);
    store(std::move(list));
}

bool VisualizerRegistry::remove(QStringView id)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const bool present = std::any_of(m_visualizers.cbegin(), m_visualizers.cend(),
                                     [&](const VisualizerPtr& v) { return v->id() == id; });
    if (!present)
        return false;
    QList<VisualizerPtr> list = m_visualizers;
    list.removeIf([&](const VisualizerPtr& v) { return v->id() == id; });
    store(std::move(list));
    return true;
}

const QSet<QString>& VisualizerRegistry::pinnedOnlyIds()
{
    static const QSet<QString> ids { QStringLiteral("viz.pie"), QStringLiteral("viz.sparkline") };
    return ids;
}

QList<VisualizerPtr> VisualizerRegistry::deduplicated(const QList<VisualizerPtr>& visualizers)
{
    QList<VisualizerPtr> result;
    for (const VisualizerPtr& v : visualizers) {
        if (!v)
            continue;
        const QString id = v->id();
        auto it = std::find_if(result.begin(), result.end(), [&](const VisualizerPtr& r) { return r->id() == id; });
        if (it != result.end())
            *it = v;
        else
            result.append(v);
    }
    return result;
}

} // namespace gaugelet
