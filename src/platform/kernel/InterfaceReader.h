#pragma once

#include "platform/kernel/KernelFile.h"
#include "platform/kernel/SysRoot.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <sys/socket.h>
#include <vector>

namespace gaugelet {

// One entry of the interface list (getifaddrs): a name, its flags and one
// address of one family (AF_INET, AF_INET6 or AF_PACKET), with the 32-bit
// link statistics that AF_PACKET entries carry.
struct InterfaceEntry {
    QString name;
    unsigned flags = 0;
    bool hasAddress = false;
    sockaddr_storage address{};
    std::optional<uint32_t> linkRxBytes32;
    std::optional<uint32_t> linkTxBytes32;

    int family() const { return hasAddress ? address.ss_family : AF_UNSPEC; }
};

// The interface list as the machine gives it, or nothing when the listing
// fails. Tests inject their own.
using InterfaceLister = std::function<std::optional<std::vector<InterfaceEntry>>()>;

// One pass over the interface list: byte counters, the first IPv4 and IPv6
// address per interface, and the running interfaces. Loopback interfaces,
// interfaces that are down and entries without an address are skipped.
struct InterfaceTable {
    struct Counters {
        uint64_t obytes = 0;
        uint64_t ibytes = 0;
        bool operator==(const Counters&) const = default;
    };
    QHash<QString, Counters> counters;
    QHash<QString, QString> ipv4;
    QHash<QString, QString> ipv6;
    QSet<QString> running;
};

class InterfaceReader {
public:
    // The statistics files of the interfaces seen by the last read, kept
    // open between reads; an interface no longer listed drops its files.
    struct CounterFiles {
        struct Pair {
            KernelFile tx;
            KernelFile rx;
        };
        std::map<QString, Pair> files;
        std::string buffer;
    };

    // getifaddrs, copied into entries.
    static std::optional<std::vector<InterfaceEntry>> listSystem();

    // Counters come from class/net/NAME/statistics/{tx,rx}_bytes (64-bit);
    // the entry's 32-bit link statistics are used only when those cannot be read.
    static InterfaceTable read(const SysRoot& root, const InterfaceLister& lister);
    // The same, reading the counters through files kept in `kept`.
    static InterfaceTable read(const SysRoot& root, const InterfaceLister& lister, CounterFiles& kept);

    // The numeric text of an IPv4 or IPv6 address without a scope suffix
    // ("fe80::1%eth0" -> "fe80::1"); nothing when getnameinfo fails.
    static std::optional<QString> numericHost(const sockaddr_storage& address);
};

} // namespace gaugelet
