#include "platform/kernel/RouteQuery.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace gaugelet {

namespace {

// The kernel's netlink walking macros (NLMSG_OK, RTA_OK) compare its
// unsigned lengths with a signed remainder. This walks the same way with
// every length unsigned: the header of type Header at `at`, when `remaining`
// bytes hold it and all of its length.
template <typename Header, typename Length>
const Header* headerAt(const char* at, size_t remaining, Length Header::*length)
{
    if (remaining < sizeof(Header))
        return nullptr;
    const auto* header = reinterpret_cast<const Header*>(at);
    const size_t size = header->*length;
    return size >= sizeof(Header) && size <= remaining ? header : nullptr;
}

// Moves `at` over `step` bytes; false when nothing is left after them.
bool advance(const char*& at, size_t& remaining, size_t step)
{
    if (step >= remaining)
        return false;
    at += step;
    remaining -= step;
    return true;
}

} // namespace

std::optional<int> RouteQuery::outputInterfaceIndex(std::string_view answer)
{
    // Walked in a copy aligned for the headers.
    alignas(nlmsghdr) char buffer[8192];
    size_t remaining = std::min(answer.size(), sizeof buffer);
    std::memcpy(buffer, answer.data(), remaining);
    const char* at = buffer;
    while (const auto* h = headerAt(at, remaining, &nlmsghdr::nlmsg_len)) {
        // Anything but a route (NLMSG_ERROR: no route, network unreachable) is skipped.
        if (h->nlmsg_type == RTM_NEWROUTE && h->nlmsg_len >= NLMSG_LENGTH(sizeof(rtmsg))) {
            const char* attribute = reinterpret_cast<const char*>(RTM_RTA(NLMSG_DATA(h)));
            size_t left = h->nlmsg_len - NLMSG_LENGTH(sizeof(rtmsg));
            while (const auto* a = headerAt(attribute, left, &rtattr::rta_len)) {
                if (a->rta_type == RTA_OIF && a->rta_len >= RTA_LENGTH(sizeof(int))) {
                    int index = 0;
                    std::memcpy(&index, RTA_DATA(a), sizeof index);
                    if (index > 0)
                        return index;
                }
                if (!advance(attribute, left, RTA_ALIGN(a->rta_len)))
                    break;
            }
        }
        if (!advance(at, remaining, NLMSG_ALIGN(h->nlmsg_len)))
            break;
    }
    return std::nullopt;
}

std::optional<QString> RouteQuery::primaryInterface(const SysRoot& root)
{
    if (auto name = netlinkPrimaryInterface())
        return name;
    return procRoutePrimaryInterface(root);
}

std::optional<QString> RouteQuery::netlinkPrimaryInterface()
{
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return std::nullopt;
    timeval timeout{0, 200'000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    struct {
        nlmsghdr header;
        rtmsg message;
        char attributes[64];
    } request;
    std::memset(&request, 0, sizeof request);
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.header.nlmsg_seq = 1;
    request.message.rtm_family = AF_INET;
    request.message.rtm_dst_len = 32;
    in_addr destination{};
    ::inet_pton(AF_INET, probeDestination, &destination);
    auto* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&request) + NLMSG_ALIGN(request.header.nlmsg_len));
    attribute->rta_type = RTA_DST;
    attribute->rta_len = RTA_LENGTH(sizeof destination);
    std::memcpy(RTA_DATA(attribute), &destination, sizeof destination);
    request.header.nlmsg_len = NLMSG_ALIGN(request.header.nlmsg_len) + RTA_ALIGN(attribute->rta_len);

    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0) {
        ::close(fd);
        return std::nullopt;
    }

    alignas(nlmsghdr) char answer[8192];
    ssize_t n;
    do {
        n = ::recv(fd, answer, sizeof answer, 0);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0)
        return std::nullopt;

    const auto index = outputInterfaceIndex(std::string_view(answer, size_t(n)));
    char name[IF_NAMESIZE];
    if (index && ::if_indextoname(unsigned(*index), name))
        return QString::fromUtf8(name);
    return std::nullopt;
}

std::optional<QString> RouteQuery::parseProcRoute(std::string_view text)
{
    // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT
    const QByteArray all(text.data(), qsizetype(text.size()));
    std::optional<QString> best;
    qlonglong bestMetric = 0;
    bool first = true;
    for (const QByteArray& line : all.split('\n')) {
        if (first) {
            first = false;
            continue; // header
        }
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool okDest = false, okFlags = false, okMetric = false, okMask = false;
        const qulonglong dest = f[1].toULongLong(&okDest, 16);
        const qulonglong flags = f[3].toULongLong(&okFlags, 16);
        const qlonglong metric = f[6].toLongLong(&okMetric);
        const qulonglong mask = f[7].toULongLong(&okMask, 16);
        if (!okDest || !okFlags || !okMetric || !okMask || dest != 0 || mask != 0 || !(flags & 0x1 /* RTF_UP */))
            continue;
        if (!best || metric < bestMetric) {
            best = QString::fromUtf8(f[0]);
            bestMetric = metric;
        }
    }
    return best;
}

std::optional<QString> RouteQuery::procRoutePrimaryInterface(const SysRoot& root)
{
    return root.readParsed("proc/net/route", &RouteQuery::parseProcRoute);
}

} // namespace gaugelet
