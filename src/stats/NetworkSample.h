#pragma once

#include "stats/InterfaceKind.h"

#include <QString>
#include <optional>

namespace gaugelet {

// One network reading: rates in bytes per second and the primary interface.
struct NetworkSample {
    double upBytesPerSec = 0;
    double downBytesPerSec = 0;
    QString interfaceName;
    InterfaceKind interfaceKind = InterfaceKind::unknown;
    std::optional<QString> localIPv4;
    std::optional<QString> localIPv6;
    std::optional<QString> publicIP;
    // No interval measured in this call (the first after a start, or the
    // primary interface changed): the rate of this call is a stand-in 0.
    bool isFirstReading = false;

    bool operator==(const NetworkSample&) const = default;
};

} // namespace gaugelet
