#pragma once

#include <QMetaType>
#include <QVariant>
#include <QVariantList>
#include <optional>

namespace gaugelet {

// A value another program sent over D-Bus, read only where it has the type
// it should have: a value of any other type is no value. Nothing a peer sent
// is demarshalled as a type it was not first seen to hold (QDBusArgument's
// >> on a mismatched type makes libdbus read past what is there), and every
// walk through such a value is bounded.
class DBusValue {
public:
    // How many variants deep a value is looked for (a portal's Read wraps it
    // in one more than its ReadOne), and how many items of an array are read.
    static constexpr int maxVariantDepth = 2;
    static constexpr qsizetype maxItems = 1024;

    // `value` as a T when it holds exactly a T: a basic type, or a string
    // array (QStringList) or byte array (QByteArray), which QtDBus decodes
    // as such. Nothing is converted: the string "1" is no number.
    template <typename T>
    static std::optional<T> as(const QVariant& value)
    {
        if (value.metaType() != QMetaType::fromType<T>())
            return std::nullopt;
        return value.value<T>();
    }

    // The value inside at most maxVariantDepth variants; wrapped deeper, none.
    static QVariant unwrapped(const QVariant& value);

    // An array of variants (`av`) as its items, at most maxItems of them.
    // An item that is itself a container, or a variant, is no value there
    // (an invalid QVariant). Any other type, or a longer array: none.
    static std::optional<QVariantList> variantList(const QVariant& value);
};

} // namespace gaugelet
