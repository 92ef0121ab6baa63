#pragma once

#include "stats/InterfaceKind.h"

#include <QString>
#include <optional>

namespace gaugelet {

// The network snapshot's extras record, under "network.snapshot": rates in
// bytes per second (smoothed) and the primary interface with its addresses.
// `NetworkSample` is this record plus its flag.
struct NetworkExtras {
    static inline const QString key = QStringLiteral("network.snapshot");

    double upBytesPerSec = 0;
    double downBytesPerSec = 0;
    QString interfaceName;
    InterfaceKind interfaceKind = InterfaceKind::unknown;
    std::optional<QString> localIPv4;
    std::optional<QString> localIPv6;
    std::optional<QString> publicIP;

    bool operator==(const NetworkExtras&) const = default;
};

} // namespace gaugelet
