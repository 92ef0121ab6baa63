#include "menubar/PinManager.h"

#include "menubar/TagSpec.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"

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
    if (auto data = Defaults::standard()->data(storageKey)) {
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
    Defaults::standard()->set(storageKey, Pin::encodeList(m_pins));
}

void PinManager::migratePerPinTagStyling()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    static const QString flag = QStringLiteral("migration.perPinTagStyling.v1");
    Defaults* defaults = Defaults::standard();
    if (defaults->boolean(flag, false))
        return;

    TagSpec spec;
    spec.shown = defaults->boolean(QStringLiteral("global.showTag"), false);
    spec.text = QString();
    const QString position = defaults->string(QStringLiteral("global.tagPosition"), QStringLiteral("behind"));
    spec.position = position == QLatin1String("leading")    ? TagPosition::leading
                    : position == QLatin1String("trailing") ? TagPosition::trailing
                                                            : TagPosition::behind;
    spec.orientation = TagOrientation::horizontal;
    spec.fgHex = defaults->string(QStringLiteral("global.tagFgHex"), QString());
    spec.bgHex = defaults->string(QStringLiteral("global.tagBgHex"), QString());
    spec.showBg = defaults->boolean(QStringLiteral("global.tagShowBg"), false);
    spec.yOffset = defaults->real(QStringLiteral("global.tagYOffset"), 0.0);

    if (auto data = defaults->data(storageKey)) {
        if (auto pins = Pin::decodeList(*data)) {
            for (const Pin& pin : *pins)
                TagSpec::save(spec, pin.id(), TagSpec::Namespace::tag, true);
        }
    }
    defaults->set(flag, true);
}

} // namespace gaugelet
