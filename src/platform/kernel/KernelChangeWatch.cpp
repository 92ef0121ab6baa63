#include "platform/kernel/KernelChangeWatch.h"

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace gaugelet {

KernelChangeWatch KernelChangeWatch::interfaces()
{
    return KernelChangeWatch(NETLINK_ROUTE,
                             RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE
                                 | RTMGRP_IPV6_ROUTE,
                             nullptr);
}

KernelChangeWatch KernelChangeWatch::blockDevices()
{
    // Group 1: the kernel's own uevents, "ACTION@DEVPATH" first, e.g.
    // "add@/devices/virtual/block/zram1".
    return KernelChangeWatch(NETLINK_KOBJECT_UEVENT, 1, "/block/");
}

KernelChangeWatch::KernelChangeWatch(int protocol, unsigned groups, const char* match) : m_match(match)
{
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, protocol);
    if (m_fd < 0)
        return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = groups;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

KernelChangeWatch::KernelChangeWatch(KernelChangeWatch&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_match(other.m_match), m_primed(other.m_primed)
{
}

KernelChangeWatch::~KernelChangeWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool KernelChangeWatch::changed()
{
    bool any = !m_primed || m_fd < 0;
    m_primed = true;
    if (m_fd < 0)
        return true;
    alignas(nlmsghdr) char buffer[8192];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer - 1, MSG_DONTWAIT);
        if (n > 0) {
            buffer[n] = '\0';
            if (!m_match || std::strstr(buffer, m_match))
                any = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            any = true; // ENOBUFS: notices were dropped
        break;
    }
    return any;
}

} // namespace gaugelet
