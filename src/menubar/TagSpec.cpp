#include "menubar/TagSpec.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"

#include <cmath>

namespace gaugelet {

namespace {

const QString kShown = QStringLiteral("shown");
const QString kText = QStringLiteral("text");
const QString kPosition = QStringLiteral("position");
const QString kOrientation = QStringLiteral("orientation");
const QString kFgHex = QStringLiteral("fgHex");
const QString kBgHex = QStringLiteral("bgHex");
const QString kShowBg = QStringLiteral("showBg");
const QString kYOffset = QStringLiteral("yOffset");

void writeOffset(Defaults* defaults, const QString& key, double offset)
{
    // A non-finite offset has no stored form; without a key, load gives the default.
    if (std::isfinite(offset))
        defaults->set(key, offset);
    else
        defaults->remove(key);
}

} // namespace

const QStringList& TagSpec::fieldNames()
{
    static const QStringList names { kShown, kText, kPosition, kOrientation, kFgHex, kBgHex, kShowBg, kYOffset };
    return names;
}

QString TagSpec::key(const QString& pinId, Namespace ns, QStringView field)
{
    return SettingsSchema::pinLabel.key(QString(pinId + u'.' + rawValue(ns) + u'.' + field));
}

double TagSpec::defaultYOffset(TagPosition position, Namespace ns, TagOrientation orientation)
{
    if (position != TagPosition::behind)
        return 0;
    const double d = orientation == TagOrientation::vertical ? 20 : 10;
    return ns == Namespace::value ? d : -d;
}

TagSpec TagSpec::load(const QString& pinId, const QString& statKey, const QString& defaultText, Namespace ns)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    TagSpec spec;
    spec.shown = defaults->boolean(key(pinId, ns, kShown), false);

    spec.text = defaultText;
    if (ns == Namespace::tag) {
        // An empty override counts as none here: the label always has a text.
        const QString override = defaults->string(SettingsSchema::tagOverride.key(statKey), QString());
        if (!override.isEmpty())
            spec.text = override;
    }

    if (auto raw = defaults->string(key(pinId, ns, kPosition)))
        spec.position = tagPositionFromRaw(*raw).value_or(TagPosition::behind);
    if (auto raw = defaults->string(key(pinId, ns, kOrientation)))
        spec.orientation = tagOrientationFromRaw(*raw).value_or(TagOrientation::horizontal);
    spec.fgHex = defaults->string(key(pinId, ns, kFgHex), QString());
    spec.bgHex = defaults->string(key(pinId, ns, kBgHex), QString());
    spec.showBg = defaults->boolean(key(pinId, ns, kShowBg), false);
    // Defaults::real counts NaN and infinities as absent, so a damaged stored
    // offset reads as the default.
    spec.yOffset = defaults->real(key(pinId, ns, kYOffset))
                       .value_or(defaultYOffset(spec.position, ns, spec.orientation));
    return spec;
}

void TagSpec::save(const TagSpec& spec, const QString& pinId, Namespace ns, bool writeShown)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    if (writeShown)
        defaults->set(key(pinId, ns, kShown), spec.shown);
    defaults->set(key(pinId, ns, kPosition), rawValue(spec.position));
    defaults->set(key(pinId, ns, kOrientation), rawValue(spec.orientation));
    defaults->set(key(pinId, ns, kFgHex), spec.fgHex);
    defaults->set(key(pinId, ns, kBgHex), spec.bgHex);
    defaults->set(key(pinId, ns, kShowBg), spec.showBg);
    writeOffset(defaults, key(pinId, ns, kYOffset), spec.yOffset);
}

void TagSpec::savePlacement(const TagSpec& spec, const QString& pinId, Namespace ns)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    defaults->set(key(pinId, ns, kPosition), rawValue(spec.position));
    defaults->set(key(pinId, ns, kOrientation), rawValue(spec.orientation));
    writeOffset(defaults, key(pinId, ns, kYOffset), spec.yOffset);
}

void TagSpec::resetPlacement(const QString& pinId, Namespace ns)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    defaults->remove(key(pinId, ns, kPosition));
    defaults->remove(key(pinId, ns, kOrientation));
    defaults->remove(key(pinId, ns, kYOffset));
}

void TagSpec::move(const QString& fromPinId, const QString& toPinId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (fromPinId == toPinId)
        return;
    Defaults* defaults = Defaults::standard();
    for (Namespace ns : { Namespace::tag, Namespace::value }) {
        for (const QString& field : fieldNames()) {
            const QString oldKey = key(fromPinId, ns, field);
            const QString newKey = key(toPinId, ns, field);
            const QVariant stored = defaults->object(oldKey);
            if (stored.isValid())
                defaults->set(newKey, stored);
            else
                defaults->remove(newKey);
            defaults->remove(oldKey);
        }
    }
}

} // namespace gaugelet
