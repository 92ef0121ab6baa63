#include "platform/kernel/KernelFile.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace gaugelet {

KernelFile::KernelFile(const SysRoot& root, std::string_view relative) : m_path(root.path(relative)) {}

KernelFile::~KernelFile()
{
    close();
}

KernelFile::KernelFile(KernelFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_fd(std::exchange(other.m_fd, -1))
{
}

KernelFile& KernelFile::operator=(KernelFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_path = std::move(other.m_path);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool KernelFile::open()
{
    if (m_fd >= 0)
        return true;
    if (m_path.empty())
        return false;
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    return m_fd >= 0;
}

void KernelFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool KernelFile::preadAll(std::string& buf)
{
    // Kernel files report a size of 0 or 4096, so read until end of file.
    if (buf.capacity() < 4096)
        buf.reserve(4096);
    buf.resize(buf.capacity());
    size_t used = 0;
    for (;;) {
        if (buf.size() - used < 1024)
            buf.resize(buf.size() * 2);
        const ssize_t n = ::pread(m_fd, buf.data() + used, buf.size() - used, off_t(used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            buf.clear();
            return false;
        }
        if (n == 0)
            break;
        used += size_t(n);
    }
    buf.resize(used);
    return true;
}

bool KernelFile::readInto(std::string& buf)
{
    bool fresh = m_fd < 0;
    if (!open()) {
        buf.clear();
        return false;
    }
    bool ok = preadAll(buf);
    if (!ok && !fresh) {
        // The object behind a kept descriptor is gone; the path may name a new one.
        close();
        fresh = true;
        ok = open() && preadAll(buf);
    }
    if (ok && fresh) {
        struct statfs fs {};
        if (::fstatfs(m_fd, &fs) != 0 || (fs.f_type != PROC_SUPER_MAGIC && fs.f_type != SYSFS_MAGIC))
            close();
    } else if (!ok) {
        close();
    }
    return ok;
}

std::optional<unsigned long long> KernelFile::readNumber(std::string& buf)
{
    return readParsed(buf, &SysRoot::parseNumber);
}

} // namespace gaugelet
