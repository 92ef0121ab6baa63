#include "menubar/PinManager.h"

#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "schema/SettingsSchema.h"

#include <QPointer>
#include <QSet>

namespace gaugelet {

QList<Pin> PinManager::defaultPins()
{
    return { Pin { QStringLiteral("cpu.total"), QStringLiteral("viz.runner.fox") } };
}

PinManager::GroupOf PinManager::groupOf(const VisualizerRegistry* registry)
{
    QPointer<const VisualizerRegistry> weak(registry);
    return [weak](const QString& visualizerId) -> std::optional<QString> {
        if (!weak)
            return std::nullopt;
        const VisualizerPtr visualizer = weak->visualizer(visualizerId);
        return visualizer ? visualizer->group() : std::nullopt;
    };
}

PinManager::PinManager(QList<Pin> defaultPins, GroupOf groupOf, QObject* parent)
    : QObject(parent)
    , m_groupOf(std::move(groupOf))
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_groupOf)
        m_groupOf = [](const QString&) { return std::optional<QString>(); };
    std::optional<QList<Pin>> stored;
    if (auto data = Defaults::standard()->data(SettingsSchema::pinnedSlots)) {
        if (auto decoded = Pin::decodeList(*data))
            stored = *decoded;
    }
    m_pins = stored ? *stored : std::move(defaultPins);
}

const QList<Pin>& PinManager::pins() const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    return m_pins;
}

void PinManager::setPins(const QList<Pin>& pins)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    publish(this, m_pins, pins, &PinManager::pinsWillChange, &PinManager::pinsChanged);
}

void PinManager::toggle(const QString& providerId, const QString& visualizerId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Pin pin { providerId, visualizerId };
    QList<Pin> pins = m_pins;
    const qsizetype existing = pins.indexOf(pin);
    if (existing >= 0) {
        pins.removeAt(existing);
    } else {
        if (const std::optional<QString> group = m_groupOf(visualizerId)) {
            QList<Pin> replaced;
            for (const Pin& p : pins) {
                if (p.providerId == providerId && p.visualizerId != visualizerId && m_groupOf(p.visualizerId) == group)
                    replaced.append(p);
            }
            if (!replaced.isEmpty()) {
                TagSpec::move(replaced.first().id(), pin.id());
                QSet<QString> replacedIds;
                for (const Pin& p : replaced)
                    replacedIds.insert(p.id());
                pins.removeIf([&](const Pin& p) { return replacedIds.contains(p.id()); });
            }
        }
        pins.append(pin);
    }
    // One publication for the whole edit, in normal order.
    setPins(normalized(pins));
    save();
}

void PinManager::normalize()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setPins(normalized(m_pins));
}

QList<Pin> PinManager::normalized(const QList<Pin>& pins) const
{
    QStringList providers;
    for (const Pin& p : pins) {
        if (!providers.contains(p.providerId))
            providers.append(p.providerId);
    }
    QList<Pin> result;
    result.reserve(pins.size());
    for (const QString& provider : providers) {
        QList<Pin> grouped;
        for (const Pin& p : pins) {
            if (p.providerId != provider)
                continue;
            if (m_groupOf(p.visualizerId))
                grouped.append(p);
            else
                result.append(p);
        }
        result.append(grouped);
    }
    return result;
}

void PinManager::save()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    SettingsSchema::write(SettingsSchema::pinnedSlots, Pin::encodeList(m_pins));
}

void PinManager::migratePerPinTagStyling()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    using S = SettingsSchema;
    Defaults* defaults = Defaults::standard();
    if (S::boolean(S::perPinTagStylingMigrated, *defaults))
        return;

    TagSpec spec;
    spec.shown = S::boolean(S::legacyShowTag, *defaults);
    spec.text = QString();
    const QString position = S::string(S::legacyTagPosition, *defaults);
    spec.position = position == QLatin1String("leading")    ? TagPosition::leading
                    : position == QLatin1String("trailing") ? TagPosition::trailing
                                                            : TagPosition::behind;
    spec.orientation = TagOrientation::horizontal;
    spec.fgHex = S::string(S::legacyTagFgHex, *defaults);
    spec.bgHex = S::string(S::legacyTagBgHex, *defaults);
    spec.showBg = S::boolean(S::legacyTagShowBg, *defaults);
    spec.yOffset = S::real(S::legacyTagYOffset, *defaults);

    if (auto data = defaults->data(SettingsSchema::pinnedSlots)) {
        if (auto pins = Pin::decodeList(*data)) {
            for (const Pin& pin : *pins)
                TagSpec::save(spec, pin.id(), TagSpec::Namespace::tag, true);
        }
    }
    S::write(S::perPinTagStylingMigrated, true, *defaults);
}

} // namespace gaugelet
