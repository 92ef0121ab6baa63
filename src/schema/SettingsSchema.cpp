#include "schema/SettingsSchema.h"

namespace gaugelet {

namespace {

using S = SettingsSchema;

constexpr const SettingKey* allKeys[] = {
    &S::fpsLimit,
    &S::runnerTintEnabled,
    &S::runnerTintThreshold,
    &S::popupFontSize,
    &S::popupTwoColumn,
    &S::spriteYOffset,
    &S::statBgEnabled,
    &S::statBgHex,
    &S::statShowMerged,
    &S::smoothCharts,
    &S::statFgEnabled,
    &S::statFgHex,
    &S::statLabelPosition,
    &S::themeId,
    &S::alarms,
    &S::unreadableAlarms,
    &S::legacyShowTag,
    &S::legacyTagPosition,
    &S::legacyTagShowBg,
    &S::legacyTagFgHex,
    &S::legacyTagBgHex,
    &S::legacyTagYOffset,
    &S::memoryShowCached,
    &S::pinnedSlots,
    &S::perPinTagStylingMigrated,
    &S::legacyGlobalTagsDropped,
    &S::sampleAlarmSeeded,
    &S::setupWindowDismissed,
    &S::killSwitchLastResponse,
    &S::killSwitchLastFetchAt,
    &S::catalogueCache,
    &S::catalogueSignature,
    &S::catalogueLastFetchAt,
    &S::builtInBundles,
};

constexpr const KeyTemplate* allTemplates[] = {
    &S::providerEnabled,
    &S::visualizerSize,
    &S::pinLabel,
    &S::tagOverride,
    &S::storeSeen,
};

constexpr QLatin1String carriedPrefixes[] = {
    QLatin1String("global."),
    QLatin1String("provider."),
    QLatin1String("visualizer."),
    QLatin1String("tag."),
    QLatin1String("store.seen."),
    QLatin1String("migration."),
};

} // namespace

std::span<const QLatin1String> SettingsSchema::backupPrefixes()
{
    return carriedPrefixes;
}

bool SettingsSchema::isCarriedByBackup(QStringView key)
{
    if (key == pinnedSlots.name())
        return true;
    for (QLatin1String prefix : carriedPrefixes) {
        if (key.startsWith(prefix))
            return true;
    }
    return false;
}

std::span<const SettingKey* const> SettingsSchema::keys()
{
    return allKeys;
}

std::span<const KeyTemplate* const> SettingsSchema::templates()
{
    return allTemplates;
}

const SettingKey* SettingsSchema::find(QStringView key)
{
    for (const SettingKey* k : allKeys) {
        if (key == k->name())
            return k;
    }
    return nullptr;
}

unsigned SettingsSchema::groupsOf(QStringView key)
{
    if (const SettingKey* k = find(key))
        return k->groups();
    unsigned groups = SettingKey::noGroup;
    for (const KeyTemplate* t : allTemplates) {
        if (t->matches(key))
            groups |= t->groups();
    }
    return groups;
}

QVariantMap SettingsSchema::launchDefaults()
{
    QVariantMap values;
    for (const SettingKey* k : allKeys) {
        if (k->isRegisteredAtLaunch())
            values.insert(k->key(), k->defaultValue());
    }
    return values;
}

void SettingsSchema::registerLaunchDefaults(Defaults& defaults)
{
    defaults.registerDefaults(launchDefaults());
}

bool SettingsSchema::boolean(const SettingKey& key, const Defaults& defaults)
{
    Q_ASSERT(key.type() == SettingKey::Type::boolean);
    const QString name = key.key();
    if (auto b = defaults.boolean(name))
        return *b;
    if (auto d = defaults.real(name))
        return *d != 0;
    return key.defaultBoolean();
}

qint64 SettingsSchema::integer(const SettingKey& key, const Defaults& defaults)
{
    Q_ASSERT(key.type() == SettingKey::Type::integer);
    return defaults.integerValue(key.key()).value_or(key.defaultInteger());
}

double SettingsSchema::real(const SettingKey& key, const Defaults& defaults)
{
    Q_ASSERT(key.type() == SettingKey::Type::real);
    return defaults.real(key.key()).value_or(key.defaultReal());
}

QString SettingsSchema::string(const SettingKey& key, const Defaults& defaults)
{
    Q_ASSERT(key.type() == SettingKey::Type::string);
    return defaults.string(key.key()).value_or(key.defaultString());
}

void SettingsSchema::write(const SettingKey& key, const QVariant& value, Defaults& defaults)
{
    defaults.set(key.key(), key.normalised(value));
}

} // namespace gaugelet
