#pragma once

namespace gaugelet {

// Tells whether the kernel announced a change since the last call: a netlink
// socket joined to change notices and read without blocking, so a quiet
// second costs one receive where listing again costs a folder read or a
// netlink dump. Without a socket (or when notices were lost) every call
// answers true.
class KernelChangeWatch {
public:
    // Links, IPv4 and IPv6 addresses and routes (route netlink).
    static KernelChangeWatch interfaces();
    // Block devices coming and going (kernel uevents under /block/).
    static KernelChangeWatch blockDevices();

    ~KernelChangeWatch();
    KernelChangeWatch(KernelChangeWatch&& other) noexcept;
    KernelChangeWatch& operator=(KernelChangeWatch&&) = delete;
    KernelChangeWatch(const KernelChangeWatch&) = delete;
    KernelChangeWatch& operator=(const KernelChangeWatch&) = delete;

    // True on the first call, and whenever a matching notice arrived since the previous one.
    bool changed();
    // Whether the socket is open (for tests): without one every call answers true.
    bool isWatching() const { return m_fd >= 0; }

private:
    // match: when set, only a notice whose text holds it counts.
    KernelChangeWatch(int protocol, unsigned groups, const char* match);

    int m_fd = -1;
    const char* m_match = nullptr;
    bool m_primed = false;
};

} // namespace gaugelet
