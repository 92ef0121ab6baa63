#pragma once

#include "menubar/Pin.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace gaugelet {

class VisualizerRegistry;

// The ordered list of pins, stored under "pinnedSlots". Within a provider
// the static tiles come before the grouped ones (sprites), and a provider has
// at most one pin per group; providers keep the order of their first pin.
// Main thread only.
class PinManager : public QObject {
    Q_OBJECT
public:
    // The group of a visualizer id, or none (also for an unregistered id).
    using GroupOf = std::function<std::optional<QString>(const QString& visualizerId)>;

    // cpu.total with the fox sprite.
    static QList<Pin> defaultPins();
    // The delegate's group function: the registered visualizer's group.
    static GroupOf groupOf(const VisualizerRegistry* registry);

    // Reads "pinnedSlots": a stored list that decodes becomes the pins (even
    // when empty); anything else gives the default pins. Writes nothing.
    PinManager(QList<Pin> defaultPins, GroupOf groupOf, QObject* parent = nullptr);

    const QList<Pin>& pins() const;
    // Replaces the list and publishes: pinsWillChange(new) before the store,
    // pinsChanged() after. Nothing is saved.
    void setPins(const QList<Pin>& pins);

    // Removes the pair when pinned; otherwise pins it, replacing the
    // provider's pins of the same group and carrying the first replaced pin's
    // label styling over. Then normalises and saves.
    void toggle(const QString& providerId, const QString& visualizerId);
    // Groups the pins by provider (order of first appearance), ungrouped
    // before grouped, each part in its existing order. Always publishes.
    void normalize();
    // Stores the pins as JSON under "pinnedSlots".
    void save();

    // Copies the legacy app-wide tag settings into the tag styling of every
    // stored pin, once ("migration.perPinTagStyling.v1").
    static void migratePerPinTagStyling();

Q_SIGNALS:
    void objectWillChange();
    void pinsWillChange(const QList<gaugelet::Pin>& newPins);
    void pinsChanged();

private:
    QList<Pin> normalized(const QList<Pin>& pins) const;

    QList<Pin> m_pins;
    GroupOf m_groupOf;
};

} // namespace gaugelet
