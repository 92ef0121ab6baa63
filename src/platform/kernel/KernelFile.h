#pragma once

#include "platform/kernel/SysRoot.h"

#include <optional>
#include <string>
#include <string_view>

namespace gaugelet {

// One small kernel file read again and again (a counter under /proc or
// /sys). On procfs and sysfs the descriptor is kept open and every read is a
// pread from offset 0: the kernel makes the text anew on each read, so one
// system call replaces open, read and close. A read that fails on a kept
// descriptor (the interface behind it went away and may have come back)
// closes it and opens the path once more. Files on any other file system
// (the fake trees of tests) are opened anew for every read, as a file there
// may be replaced between two reads.
class KernelFile {
public:
    KernelFile() = default;
    KernelFile(const SysRoot& root, std::string_view relative);
    ~KernelFile();

    KernelFile(KernelFile&& other) noexcept;
    KernelFile& operator=(KernelFile&& other) noexcept;
    KernelFile(const KernelFile&) = delete;
    KernelFile& operator=(const KernelFile&) = delete;

    // The whole file into buf (its storage reused). False when it cannot be
    // opened or read.
    bool readInto(std::string& buf);
    // What parse (text to an optional value) makes of the whole file, read
    // into buf; nothing when it cannot be read.
    template <typename Parse>
    auto readParsed(std::string& buf, Parse parse) -> decltype(parse(std::string_view()))
    {
        if (!readInto(buf))
            return std::nullopt;
        return parse(std::string_view(buf));
    }
    // An unsigned decimal number alone in the file (sysfs attributes).
    std::optional<unsigned long long> readNumber(std::string& buf);

    const std::string& path() const { return m_path; }
    // Whether a descriptor is held between reads (for tests).
    bool isKept() const { return m_fd >= 0; }

private:
    bool open();
    void close();
    bool preadAll(std::string& buf);

    std::string m_path;
    int m_fd = -1;
};

} // namespace gaugelet
