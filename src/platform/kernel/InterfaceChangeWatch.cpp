#include "platform/kernel/InterfaceChangeWatch.h"

#include <cerrno>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace gaugelet {

InterfaceChangeWatch::InterfaceChangeWatch()
{
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_fd < 0)
        return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

InterfaceChangeWatch::~InterfaceChangeWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InterfaceChangeWatch::changed()
{
    bool any = !m_primed || m_fd < 0;
    m_primed = true;
    if (m_fd < 0)
        return true;
    alignas(nlmsghdr) char buffer[8192];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == ENOBUFS) { // notices were dropped: something changed
            any = true;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            any = true;
        break;
    }
    return any;
}

} // namespace gaugelet
