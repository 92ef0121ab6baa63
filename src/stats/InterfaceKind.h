#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

// The kind of the primary network interface.
enum class InterfaceKind { wifi, ethernet, vpn, bridge, other, unknown };

constexpr auto rawValueTable(InterfaceKind)
{
    using enum InterfaceKind;
    return makeRawValueTable<InterfaceKind>({{wifi, u"wifi"},
                                             {ethernet, u"ethernet"},
                                             {vpn, u"vpn"},
                                             {bridge, u"bridge"},
                                             {other, u"other"},
                                             {unknown, u"unknown"}},
                                            unknown);
}
inline std::optional<InterfaceKind> interfaceKindFromRaw(QStringView raw)
{
    return enumFromRaw<InterfaceKind>(raw);
}

} // namespace gaugelet
