#include "platform/kernel/SysRoot.h"

#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gaugelet {

SysRoot::SysRoot() : m_root("/") {}

SysRoot::SysRoot(const QString& root) : m_root(root.toStdString())
{
    if (m_root.empty() || m_root.back() != '/')
        m_root.push_back('/');
}

const SysRoot& SysRoot::system()
{
    static const SysRoot root;
    return root;
}

std::string SysRoot::path(std::string_view relative) const
{
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    std::string p = m_root;
    p.append(relative);
    return p;
}

bool SysRoot::readInto(std::string_view relative, std::string& buf) const
{
    const std::string p = path(relative);
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    buf.clear();
    // Kernel files report a size of 0 or 4096, so read until end of file.
    size_t used = 0;
    if (buf.capacity() < 4096)
        buf.reserve(4096);
    for (;;) {
        if (buf.size() < used + 4096)
            buf.resize(std::max(buf.capacity(), used + 4096));
        const ssize_t n = ::read(fd, buf.data() + used, buf.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            buf.clear();
            return false;
        }
        if (n == 0)
            break;
        used += size_t(n);
        if (buf.size() - used < 1024)
            buf.resize(buf.size() * 2);
    }
    ::close(fd);
    buf.resize(used);
    return true;
}

std::optional<QByteArray> SysRoot::read(std::string_view relative) const
{
    std::string buf;
    if (!readInto(relative, buf))
        return std::nullopt;
    return QByteArray(buf.data(), qsizetype(buf.size()));
}

std::optional<QString> SysRoot::readLine(std::string_view relative) const
{
    std::string buf;
    if (!readInto(relative, buf))
        return std::nullopt;
    const auto end = buf.find('\n');
    return QString::fromUtf8(buf.data(), qsizetype(end == std::string::npos ? buf.size() : end)).trimmed();
}

std::optional<unsigned long long> SysRoot::readNumber(std::string_view relative) const
{
    return readParsed(relative, &SysRoot::parseNumber);
}

std::optional<unsigned long long> SysRoot::parseNumber(std::string_view text)
{
    const char* b = text.data();
    const char* e = b + text.size();
    while (b < e && (*b == ' ' || *b == '\t'))
        ++b;
    unsigned long long v = 0;
    auto [ptr, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || ptr == b)
        return std::nullopt;
    while (ptr < e && (*ptr == ' ' || *ptr == '\n' || *ptr == '\t'))
        ++ptr;
    if (ptr != e)
        return std::nullopt;
    return v;
}

bool SysRoot::exists(std::string_view relative) const
{
    struct stat st;
    return ::stat(path(relative).c_str(), &st) == 0;
}

QStringList SysRoot::list(std::string_view relative) const
{
    QStringList names;
    DIR* dir = ::opendir(path(relative).c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        names.append(QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    ::closedir(dir);
    return names;
}

std::optional<QString> SysRoot::linkTargetName(std::string_view relative) const
{
    char target[4096];
    const ssize_t n = ::readlink(path(relative).c_str(), target, sizeof target - 1);
    if (n <= 0)
        return std::nullopt;
    const std::string_view t(target, size_t(n));
    const auto slash = t.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? t : t.substr(slash + 1);
    if (last.empty())
        return std::nullopt;
    return QString::fromUtf8(last.data(), qsizetype(last.size()));
}

} // namespace gaugelet
