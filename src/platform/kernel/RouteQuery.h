#pragma once

#include "platform/kernel/SysRoot.h"

#include <QString>
#include <functional>
#include <optional>
#include <string_view>

namespace gaugelet {

// The primary network interface: the interface the kernel would send a packet
// to a global IPv4 destination through. Tests inject their own query.
using PrimaryInterfaceQuery = std::function<std::optional<QString>()>;

class RouteQuery {
public:
    // A netlink RTM_GETROUTE query for a global IPv4 destination (so VPN
    // policy routing is honoured); else the lowest-metric default route of
    // /proc/net/route; else nothing.
    static std::optional<QString> primaryInterface(const SysRoot& root);

    static std::optional<QString> netlinkPrimaryInterface();
    static std::optional<QString> procRoutePrimaryInterface(const SysRoot& root);
    static std::optional<QString> parseProcRoute(std::string_view text);

    // The destination of the query; no packet is ever sent to it.
    static constexpr const char* probeDestination = "8.8.8.8";
};

} // namespace gaugelet
