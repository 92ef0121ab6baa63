#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <type_traits>

namespace gaugelet {

// One case of an enumeration with the raw value it is stored by.
template <typename E>
struct RawValueEntry {
    E value;
    const char16_t* raw;
};

// An enumeration's cases and their raw values in one table that serves both
// directions. Reading is exact (case and blanks count): anything else gives
// nothing. An enumeration opts in by giving its table beside its declaration;
// `rawValue(E)` and its named reader then come from here:
//
//   enum class Theme { light, dark };
//   constexpr auto rawValueTable(Theme)
//   {
//       using enum Theme;
//       return makeRawValueTable<Theme>({{light, u"light"}, {dark, u"dark"}}, light);
//   }
//   inline std::optional<Theme> themeFromRaw(QStringView raw)
//   {
//       return enumFromRaw<Theme>(raw);
//   }
template <typename E, std::size_t N>
struct RawValueTable {
    std::array<RawValueEntry<E>, N> entries;
    // The case whose raw value stands in for a value outside the table.
    E fallback;

    QString rawValue(E value) const
    {
        if (const RawValueEntry<E>* entry = find(value))
            return QString::fromUtf16(entry->raw);
        return QString::fromUtf16(find(fallback)->raw);
    }

    std::optional<E> fromRaw(QStringView raw) const
    {
        for (const RawValueEntry<E>& entry : entries) {
            if (raw == QStringView(entry.raw))
                return entry.value;
        }
        return std::nullopt;
    }

    // The case a stored value names; `otherwise` when there is none or it
    // names no case.
    E fromRawOr(const std::optional<QString>& raw, E otherwise) const
    {
        return raw ? fromRaw(*raw).value_or(otherwise) : otherwise;
    }

    // Every case, in the table's order.
    QList<E> values() const
    {
        QList<E> all;
        all.reserve(qsizetype(N));
        for (const RawValueEntry<E>& entry : entries)
            all.append(entry.value);
        return all;
    }

private:
    constexpr const RawValueEntry<E>* find(E value) const
    {
        for (const RawValueEntry<E>& entry : entries) {
            if (entry.value == value)
                return &entry;
        }
        return nullptr;
    }
};

// The table of the entries given, in their order. The fallback must be one of
// them: a constant table without it does not compile.
template <typename E, std::size_t N>
constexpr RawValueTable<E, N> makeRawValueTable(const RawValueEntry<E> (&entries)[N], E fallback)
{
    RawValueTable<E, N> table{{}, fallback};
    bool hasFallback = false;
    for (std::size_t i = 0; i < N; ++i) {
        table.entries[i] = entries[i];
        hasFallback = hasFallback || entries[i].value == fallback;
    }
    if (!hasFallback)
        throw std::invalid_argument("makeRawValueTable: the fallback is not in the table");
    return table;
}

// An enumeration that gives its table through `rawValueTable(E)`.
template <typename E>
concept HasRawValueTable = std::is_enum_v<E> && requires(E value)
{
    rawValueTable(value);
};

// The table of an enumeration that gives one, made once.
template <HasRawValueTable E>
inline constexpr auto rawValuesOf = rawValueTable(E{});

// The raw value a case is stored by.
template <HasRawValueTable E>
QString rawValue(E value)
{
    return rawValuesOf<E>.rawValue(value);
}

// The case a raw value names, or nothing. Each enumeration names its own
// reader after it, an inline function that returns `enumFromRaw<E>(raw)`.
template <HasRawValueTable E>
std::optional<E> enumFromRaw(QStringView raw)
{
    return rawValuesOf<E>.fromRaw(raw);
}

// Every case of an enumeration that gives a table, in the table's order.
template <HasRawValueTable E>
QList<E> rawValueCases()
{
    return rawValuesOf<E>.values();
}

// Such an enumeration is hashable by its case.
template <HasRawValueTable E>
size_t qHash(E value, size_t seed = 0) noexcept
{
    return QT_PREPEND_NAMESPACE(qHash)(static_cast<std::underlying_type_t<E>>(value), seed);
}

} // namespace gaugelet
