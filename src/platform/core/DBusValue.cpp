#include "platform/core/DBusValue.h"

#include <QDBusArgument>
#include <QDBusVariant>

namespace gaugelet {

QVariant DBusValue::unwrapped(const QVariant& value)
{
    QVariant inner = value;
    for (int depth = 0; inner.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth) {
        if (depth == maxVariantDepth)
            return {};
        inner = inner.value<QDBusVariant>().variant();
    }
    return inner;
}

std::optional<QVariantList> DBusValue::variantList(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const auto argument = value.value<QDBusArgument>();
    // The signature is the whole type, its items' included: an array of
    // anything but variants is never walked as one.
    if (argument.currentType() != QDBusArgument::ArrayType || argument.currentSignature() != QLatin1String("av"))
        return std::nullopt;
    QVariantList items;
    bool tooLong = false;
    argument.beginArray();
    while (!argument.atEnd()) {
        if (items.size() == maxItems) {
            tooLong = true;
            break;
        }
        QDBusVariant item;
        argument >> item;
        const QVariant inner = item.variant();
        const bool plain = inner.metaType() != QMetaType::fromType<QDBusArgument>()
                           && inner.metaType() != QMetaType::fromType<QDBusVariant>();
        items.append(plain ? inner : QVariant());
    }
    argument.endArray();
    if (tooLong)
        return std::nullopt;
    return items;
}

} // namespace gaugelet
