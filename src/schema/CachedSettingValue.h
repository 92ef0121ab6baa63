#pragma once

#include "schema/SettingKey.h"

#include <QByteArray>
#include <QDateTime>
#include <optional>

namespace gaugelet {

class Defaults;

// One optional value a cache keeps in the user defaults under a data or a
// date key. A read gives none when there is no store, the key is absent or it
// holds another type; writing none removes the key.
class CachedSettingValue {
public:
    static std::optional<QByteArray> data(const Defaults* defaults, const SettingKey& key);
    static std::optional<QDateTime> date(const Defaults* defaults, const SettingKey& key);
    static void write(Defaults* defaults, const SettingKey& key, const std::optional<QVariant>& value);
};

} // namespace gaugelet
