#pragma once

#include "menubar/Visualizer.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

namespace gaugelet {

// The visualizers that exist in this run, in order, looked up by id. Starts
// with the pie, the number label and the sparkline; the content store adds and
// withdraws one runner visualizer per installed sprite kind. Two visualizers
// with one id never stand in the list together. Main thread only.
class VisualizerRegistry : public QObject {
    Q_OBJECT
public:
    // The three static visualizers: pie, number label, sparkline.
    explicit VisualizerRegistry(QObject* parent = nullptr);
    // A registry with the given list (duplicates by id collapse as in add()).
    explicit VisualizerRegistry(const QList<VisualizerPtr>& visualizers, QObject* parent = nullptr);
    ~VisualizerRegistry() override;

    const QList<VisualizerPtr>& visualizers() const;
    // Replaces the whole list; a later visualizer with an id already seen
    // takes the earlier one's place. Publishes.
    void setVisualizers(const QList<VisualizerPtr>& visualizers);

    // The first visualizer whose id equals id exactly, or nullptr.
    VisualizerPtr visualizer(QStringView id) const;

    // Puts a visualizer in place of the one with the same id, at its index,
    // else appends it. Publishes.
    void add(const VisualizerPtr& visualizer);
    // Withdraws every visualizer with that id; true when one was there.
    // Publishes only when the list changed.
    bool remove(QStringView id);

    // Visualizers that pickers offer only while a pin with them already exists
    // for the provider: "viz.pie" and "viz.sparkline".
    static const QSet<QString>& pinnedOnlyIds();

    // Calls slot with the current list at once, then with every new list
    // after it is stored; the connection ends with either object.
    QMetaObject::Connection subscribe(QObject* context, std::function<void(const QList<VisualizerPtr>&)> slot);

Q_SIGNALS:
    // Before a change: objectWillChange, then visualizersWillChange with the
    // new list (visualizers() still answers the old one); after it is stored,
    // visualizersChanged. A change to an equal list sends nothing.
    void objectWillChange();
    void visualizersWillChange(const QList<VisualizerPtr>& newValue);
    void visualizersChanged();

private:
    void store(QList<VisualizerPtr> list);

    static QList<VisualizerPtr> deduplicated(const QList<VisualizerPtr>& visualizers);

    QList<VisualizerPtr> m_visualizers;
};

} // namespace gaugelet
