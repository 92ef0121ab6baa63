#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>

namespace gaugelet {

// One case of an enumeration with the raw value it is stored by.
template <typename E>
struct RawValueEntry {
    E value;
    const char16_t* raw;
};

// An enumeration's cases and their raw values in one table that serves both
// directions, so `rawValue(E)` and `…FromRaw(QStringView)` are one line each:
//
//   constexpr auto themeNames =
//       makeRawValueTable<Theme>({{Theme::light, u"light"}, {Theme::dark, u"dark"}}, Theme::light);
//
// Reading is exact (case and blanks count): anything else gives nothing.
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

} // namespace gaugelet
