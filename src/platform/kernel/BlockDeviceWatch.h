#pragma once

namespace gaugelet {

// Tells whether a block device was added or removed since the last call: a
// kernel uevent socket (NETLINK_KOBJECT_UEVENT) read without blocking, so a
// quiet second costs one receive where listing /sys/block costs a folder
// read. Without a socket (or when events were lost) every call answers true.
class BlockDeviceWatch {
public:
    BlockDeviceWatch();
    ~BlockDeviceWatch();

    BlockDeviceWatch(const BlockDeviceWatch&) = delete;
    BlockDeviceWatch& operator=(const BlockDeviceWatch&) = delete;

    // True on the first call, and whenever an event of a block device arrived since the previous one.
    bool changed();

private:
    int m_fd = -1;
    bool m_primed = false;
};

} // namespace gaugelet
