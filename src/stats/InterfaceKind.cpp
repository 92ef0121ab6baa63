#include "stats/InterfaceKind.h"

#include "platform/core/RawValueTable.h"

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<InterfaceKind>(
    {
        {InterfaceKind::wifi, u"wifi"},
        {InterfaceKind::ethernet, u"ethernet"},
        {InterfaceKind::vpn, u"vpn"},
        {InterfaceKind::bridge, u"bridge"},
        {InterfaceKind::other, u"other"},
        {InterfaceKind::unknown, u"unknown"},
    },
    InterfaceKind::unknown);
} // namespace

QString rawValue(InterfaceKind kind)
{
    return names.rawValue(kind);
}

std::optional<InterfaceKind> interfaceKindFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

} // namespace gaugelet
