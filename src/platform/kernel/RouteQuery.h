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
    // The first positive output interface (RTA_OIF) of the RTM_NEWROUTE
    // messages in a netlink answer; nothing for an error, a truncated or a
    // malformed answer.
    static std::optional<int> outputInterfaceIndex(std::string_view answer);
    static std::optional<QString> procRoutePrimaryInterface(const SysRoot& root);
    static std::optional<QString> parseProcRoute(std::string_view text);

    // The destination of the query; no packet is ever sent to it.
    static constexpr const char* probeDestination = "8.8.8.8";
};

} // namespace gaugelet
