#include "schema/SettingKey.h"

#include <QByteArray>
#include <QDateTime>

namespace gaugelet {

QVariant SettingKey::defaultValue() const
{
    switch (m_type) {
    case Type::boolean:
        return defaultBoolean();
    case Type::integer:
        return defaultInteger();
    case Type::real:
        return defaultReal();
    case Type::string:
        return defaultString();
    case Type::data:
    case Type::date:
    case Type::array:
        break;
    }
    return {};
}

QVariant SettingKey::normalised(const QVariant& value) const
{
    switch (m_type) {
    case Type::boolean:
        if (value.canConvert<bool>())
            return value.toBool();
        break;
    case Type::integer: {
        bool ok = false;
        const qint64 v = value.toLongLong(&ok);
        if (ok)
            return v;
        break;
    }
    case Type::real: {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (ok)
            return v;
        break;
    }
    case Type::string:
        if (value.canConvert<QString>())
            return value.toString();
        break;
    case Type::data:
        if (value.canConvert<QByteArray>())
            return value.toByteArray();
        break;
    case Type::date:
        if (value.canConvert<QDateTime>())
            return value.toDateTime();
        break;
    case Type::array:
        if (value.canConvert<QVariantList>())
            return value.toList();
        break;
    }
    return {};
}

} // namespace gaugelet
