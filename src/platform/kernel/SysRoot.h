#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

namespace gaugelet {

// The file-system root that every Linux reader of kernel state goes through
// ("/" on a real machine). Tests point it at a small fake /proc and /sys tree
// made of real files.
class SysRoot {
public:
    SysRoot();
    explicit SysRoot(const QString& root);

    // The machine's own root, "/".
    static const SysRoot& system();

    // The root as given ("/" or a folder), and a path below it. Relative paths
    // never start with "/": "proc/stat".
    const std::string& root() const { return m_root; }
    std::string path(std::string_view relative) const;

    // Reads a whole small file into buf (reusing its storage). False when the
    // file cannot be opened or read.
    bool readInto(std::string_view relative, std::string& buf) const;
    std::optional<QByteArray> read(std::string_view relative) const;
    // What parse (text to an optional value) makes of a whole small file;
    // nothing when the file cannot be read.
    template <typename Parse>
    auto readParsed(std::string_view relative, Parse parse) const -> decltype(parse(std::string_view()))
    {
        std::string buf;
        if (!readInto(relative, buf))
            return std::nullopt;
        return parse(std::string_view(buf));
    }
    // The first line of a file, trimmed; nullopt when unreadable.
    std::optional<QString> readLine(std::string_view relative) const;
    // An unsigned decimal number alone in a file (sysfs attributes).
    std::optional<unsigned long long> readNumber(std::string_view relative) const;
    // The number alone in a sysfs attribute's text (blanks and a line break around it).
    static std::optional<unsigned long long> parseNumber(std::string_view text);
    bool exists(std::string_view relative) const;
    // The names in a folder (no "." or ".."), unsorted; empty when unreadable.
    QStringList list(std::string_view relative) const;
    // The last component of a symbolic link's target ("amdgpu" for a driver link).
    std::optional<QString> linkTargetName(std::string_view relative) const;

private:
    std::string m_root; // always ends with "/"
};

} // namespace gaugelet
