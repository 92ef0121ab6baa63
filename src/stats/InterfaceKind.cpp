#include "stats/InterfaceKind.h"

namespace gaugelet {

namespace {
struct Entry {
    InterfaceKind kind;
    const char16_t* raw;
};
constexpr Entry entries[] = {
    {InterfaceKind::wifi, u"wifi"},     {InterfaceKind::ethernet, u"ethernet"}, {InterfaceKind::vpn, u"vpn"},
    {InterfaceKind::bridge, u"bridge"}, {InterfaceKind::other, u"other"},       {InterfaceKind::unknown, u"unknown"},
};
} // namespace

QString rawValue(InterfaceKind kind)
{
    for (const Entry& e : entries) {
        if (e.kind == kind)
            return QString::fromUtf16(e.raw);
    }
    return QStringLiteral("unknown");
}

std::optional<InterfaceKind> interfaceKindFromRaw(QStringView raw)
{
    for (const Entry& e : entries) {
        if (raw == QStringView(e.raw))
            return e.kind;
    }
    return std::nullopt;
}

} // namespace gaugelet
