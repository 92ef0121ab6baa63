#pragma once

namespace gaugelet {

// Tells whether the machine's interfaces, addresses or routes changed since
// the last call: a route netlink socket that listens to the kernel's change
// notices (links, IPv4 and IPv6 addresses and routes). Asking costs one
// non-blocking receive, where listing the interfaces and asking for the
// route costs two netlink dumps and a route query. Without a socket (or
// when notices were lost) every call answers true.
class InterfaceChangeWatch {
public:
    InterfaceChangeWatch();
    ~InterfaceChangeWatch();

    InterfaceChangeWatch(const InterfaceChangeWatch&) = delete;
    InterfaceChangeWatch& operator=(const InterfaceChangeWatch&) = delete;

    // True on the first call, and whenever a notice arrived since the previous one.
    bool changed();

private:
    int m_fd = -1;
    bool m_primed = false;
};

} // namespace gaugelet
