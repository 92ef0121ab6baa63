#include "platform/kernel/InterfaceReader.h"

#include <cstring>
#include <ifaddrs.h>
#include <linux/if_link.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netpacket/packet.h>

namespace gaugelet {

std::optional<std::vector<InterfaceEntry>> InterfaceReader::listSystem()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0 || !list)
        return std::nullopt;
    std::vector<InterfaceEntry> entries;
    for (ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
        InterfaceEntry e;
        e.name = QString::fromUtf8(ifa->ifa_name ? ifa->ifa_name : "");
        e.flags = ifa->ifa_flags;
        if (ifa->ifa_addr) {
            const int family = ifa->ifa_addr->sa_family;
            size_t size = 0;
            if (family == AF_INET)
                size = sizeof(sockaddr_in);
            else if (family == AF_INET6)
                size = sizeof(sockaddr_in6);
            else if (family == AF_PACKET)
                size = sizeof(sockaddr_ll);
            if (size) {
                std::memcpy(&e.address, ifa->ifa_addr, size);
                e.hasAddress = true;
            } else {
                e.hasAddress = true;
                e.address.ss_family = sa_family_t(family);
            }
            if (family == AF_PACKET && ifa->ifa_data) {
                const auto* stats = static_cast<const rtnl_link_stats*>(ifa->ifa_data);
                e.linkRxBytes32 = stats->rx_bytes;
                e.linkTxBytes32 = stats->tx_bytes;
            }
        }
        entries.push_back(std::move(e));
    }
    ::freeifaddrs(list);
    return entries;
}

std::optional<QString> InterfaceReader::numericHost(const sockaddr_storage& address)
{
    socklen_t length = 0;
    if (address.ss_family == AF_INET)
        length = sizeof(sockaddr_in);
    else if (address.ss_family == AF_INET6)
        length = sizeof(sockaddr_in6);
    else
        return std::nullopt;
    char host[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, nullptr, 0,
                      NI_NUMERICHOST) != 0)
        return std::nullopt;
    QString text = QString::fromUtf8(host);
    const qsizetype percent = text.indexOf(u'%');
    if (percent >= 0)
        text.truncate(percent);
    return text;
}

InterfaceTable InterfaceReader::read(const SysRoot& root, const InterfaceLister& lister)
{
    CounterFiles once;
    return read(root, lister, once);
}

InterfaceTable InterfaceReader::read(const SysRoot& root, const InterfaceLister& lister, CounterFiles& kept)
{
    InterfaceTable table;
    std::map<QString, CounterFiles::Pair> seen;
    std::optional<std::vector<InterfaceEntry>> entries = lister ? lister() : std::nullopt;
    if (!entries) {
        kept.files.clear();
        return table;
    }
    for (const InterfaceEntry& e : *entries) {
        if ((e.flags & IFF_LOOPBACK) || !(e.flags & IFF_UP) || !e.hasAddress)
            continue;
        if (e.flags & IFF_RUNNING)
            table.running.insert(e.name);
        switch (e.family()) {
        case AF_INET:
        case AF_INET6: {
            QHash<QString, QString>& addresses = e.family() == AF_INET ? table.ipv4 : table.ipv6;
            if (addresses.contains(e.name))
                break;
            if (auto text = numericHost(e.address))
                addresses.insert(e.name, *text);
            break;
        }
        case AF_PACKET: {
            // Interface names never hold "/" (the kernel refuses them), but a
            // hostile list must not walk out of the statistics folder.
            if (e.name.isEmpty() || e.name.contains(u'/') || e.name == QLatin1String("..")
                || e.name == QLatin1String(".")) {
                break;
            }
            if (seen.count(e.name))
                break;
            auto old = kept.files.find(e.name);
            CounterFiles::Pair files;
            if (old != kept.files.end()) {
                files = std::move(old->second);
            } else {
                const std::string base = "sys/class/net/" + e.name.toStdString() + "/statistics/";
                files = {KernelFile(root, base + "tx_bytes"), KernelFile(root, base + "rx_bytes")};
            }
            const auto tx = files.tx.readNumber(kept.buffer);
            const auto rx = files.rx.readNumber(kept.buffer);
            seen.emplace(e.name, std::move(files));
            if (tx && rx) {
                table.counters.insert(e.name, {*tx, *rx});
            } else if (e.linkTxBytes32 && e.linkRxBytes32) {
                table.counters.insert(e.name, {*e.linkTxBytes32, *e.linkRxBytes32});
            }
            break;
        }
        default:
            break;
        }
    }
    kept.files = std::move(seen);
    return table;
}

} // namespace gaugelet
