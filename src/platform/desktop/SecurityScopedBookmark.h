#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace gaugelet {

// A bookmark of a file the user chose. On Linux there is no sandbox to open,
// so the bookmark bytes are the file's absolute path in UTF-8.
class SecurityScopedBookmark {
public:
    // The bookmark bytes for an absolute path.
    static QByteArray bookmarkData(const QString& absolutePath);
    // The path the bookmark names, only when it is absolute and names an
    // existing, readable regular file; otherwise nullopt.
    static std::optional<QString> resolve(const QByteArray& bookmark);
};

} // namespace gaugelet
