#include "platform/kernel/BlockDeviceWatch.h"

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace gaugelet {

BlockDeviceWatch::BlockDeviceWatch()
{
    m_fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (m_fd < 0)
        return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = 1; // the kernel's own events
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

BlockDeviceWatch::~BlockDeviceWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool BlockDeviceWatch::changed()
{
    bool any = !m_primed || m_fd < 0;
    m_primed = true;
    if (m_fd < 0)
        return true;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer - 1, MSG_DONTWAIT);
        if (n > 0) {
            // "ACTION@DEVPATH" first, e.g. "add@/devices/virtual/block/zram1".
            buffer[n] = '\0';
            if (std::strstr(buffer, "/block/"))
                any = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            any = true; // ENOBUFS: events were dropped
        break;
    }
    return any;
}

} // namespace gaugelet
