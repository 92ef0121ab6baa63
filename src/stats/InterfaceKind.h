#pragma once

#include "platform/core/RawValueTable.h"

#include <QHashFunctions>

namespace gaugelet {

// The kind of the primary network interface.
enum class InterfaceKind { wifi, ethernet, vpn, bridge, other, unknown };

constexpr auto rawValueTable(InterfaceKind)
{
    return makeRawValueTable<InterfaceKind>(
        {
            {InterfaceKind::wifi, u"wifi"},
            {InterfaceKind::ethernet, u"ethernet"},
            {InterfaceKind::vpn, u"vpn"},
            {InterfaceKind::bridge, u"bridge"},
            {InterfaceKind::other, u"other"},
            {InterfaceKind::unknown, u"unknown"},
        },
        InterfaceKind::unknown);
}
inline constexpr auto interfaceKindFromRaw = enumFromRaw<InterfaceKind>;

// Hashable by its raw value.
inline size_t qHash(InterfaceKind kind, size_t seed = 0)
{
    return qHashRawValue(kind, seed);
}

} // namespace gaugelet
