#include "menubar/MenubarPreset.h"

#include "menubar/PinManager.h"
#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/MainThread.h"
#include "stats/StatRegistry.h"

#include <QCoreApplication>

namespace gaugelet {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("MenubarPreset", text); }

} // namespace

const QList<MenubarPreset>& MenubarPreset::all()
{
    static const QList<MenubarPreset> presets{
        {QStringLiteral("preset.simple"),
         tr("Simple"),
         tr("Fox on CPU"),
         {{QStringLiteral("cpu.total"), QStringLiteral("viz.runner.fox"), false}}},
        {QStringLiteral("preset.enhanced"),
         tr("Enhanced"),
         tr("MEM + CPU, values"),
         {{QStringLiteral("memory.total"), QStringLiteral("viz.runner.piglet"), true},
          {QStringLiteral("cpu.total"), QStringLiteral("viz.runner.hare"), true}}},
        {QStringLiteral("preset.allIn"),
         tr("All-in"),
         tr("3 sprites + number"),
         {{QStringLiteral("memory.total"), QStringLiteral("viz.runner.piglet"), true},
          {QStringLiteral("cpu.total"), QStringLiteral("viz.runner.hare"), true},
          {QStringLiteral("gpu.total"), QStringLiteral("viz.runner.fox"), true},
          {QStringLiteral("net.total"), QStringLiteral("viz.numberLabel"), false}}},
    };
    return presets;
}

QList<MenubarPreset::Slot> MenubarPreset::applicableSlots(const StatRegistry& registry,
                                                          const VisualizerRegistry& visualizers) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QList<Slot> result;
    for (const Slot& slot : slots) {
        if (registry.provider(slot.providerId) && visualizers.visualizer(slot.visualizerId))
            result.append(slot);
    }
    return result;
}

bool MenubarPreset::matches(const QList<Pin>& pins, const StatRegistry& registry,
                            const VisualizerRegistry& visualizers) const
{
    const QList<Slot> applicable = applicableSlots(registry, visualizers);
    if (applicable.size() != pins.size())
        return false;
    for (qsizetype i = 0; i < pins.size(); ++i) {
        if (pins[i].id() != Pin { applicable[i].providerId, applicable[i].visualizerId }.id())
            return false;
    }
    return true;
}

void MenubarPreset::apply(PinManager& pins, const StatRegistry& registry, const VisualizerRegistry& visualizers) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const QList<Slot> applicable = applicableSlots(registry, visualizers);
    QList<Pin> newPins;
    for (const Slot& slot : applicable)
        newPins.append(Pin { slot.providerId, slot.visualizerId });
    pins.setPins(newPins);
    pins.normalize();
    pins.save();

    for (const Slot& slot : applicable) {
        const QString pinId = Pin { slot.providerId, slot.visualizerId }.id();
        // A runner's square slot holds its sprite and one label at digits a
        // panel's square slot keeps legible: the value, under the sprite.
        // With the tag too, the two would cover most of the animal.
        const VisualizerPtr visualizer = visualizers.visualizer(slot.visualizerId);
        const bool runner = visualizer && visualizer->isAnimated();
        for (TagSpec::Namespace ns : { TagSpec::Namespace::tag, TagSpec::Namespace::value }) {
            TagSpec spec;
            spec.shown = slot.showsTagAndValue && !(runner && ns == TagSpec::Namespace::tag);
            spec.position = TagPosition::behind;
            spec.orientation = TagOrientation::horizontal;
            spec.yOffset = ns == TagSpec::Namespace::tag ? -10 : 10;
            TagSpec::save(spec, pinId, ns, true);
        }
    }
}

} // namespace gaugelet
