#include "schema/SettingKey.h"

#include <QByteArray>
#include <QDateTime>

namespace gaugelet {

namespace {

template <typename T>
QVariant convertible(const QVariant& value)
{
    return value.canConvert<T>() ? QVariant::fromValue(value.value<T>()) : QVariant();
}

} // namespace

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
    bool ok = false;
    switch (m_type) {
    case Type::boolean:
        return convertible<bool>(value);
    case Type::integer: {
        const qint64 v = value.toLongLong(&ok);
        return ok ? QVariant(v) : QVariant();
    }
    case Type::real: {
        const double v = value.toDouble(&ok);
        return ok ? QVariant(v) : QVariant();
    }
    case Type::string:
        return convertible<QString>(value);
    case Type::data:
        return convertible<QByteArray>(value);
    case Type::date:
        return convertible<QDateTime>(value);
    case Type::array:
        return convertible<QVariantList>(value);
    }
    return {};
}

} // namespace gaugelet
