#include "schema/CachedSettingValue.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

std::optional<QByteArray> CachedSettingValue::data(const Defaults* defaults, const SettingKey& key)
{
    return defaults ? defaults->data(key) : std::nullopt;
}

std::optional<QDateTime> CachedSettingValue::date(const Defaults* defaults, const SettingKey& key)
{
    return defaults ? defaults->date(key) : std::nullopt;
}

void CachedSettingValue::write(Defaults* defaults, const SettingKey& key, const std::optional<QVariant>& value)
{
    if (!defaults)
        return;
    if (value)
        SettingsSchema::write(key, *value, *defaults);
    else
        defaults->remove(key);
}

} // namespace gaugelet
