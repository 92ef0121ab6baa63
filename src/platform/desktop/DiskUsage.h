#pragma once

#include <QString>

namespace gaugelet {

// What files occupy on disk.
class DiskUsage {
public:
    // The bytes allocated to the file at path, or for a folder to every file,
    // link and special file inside it (folders themselves count 0). A link
    // given as path is followed; links inside a folder count as themselves and
    // are never followed, and other file systems mounted inside are not entered.
    // Anything that cannot be read counts 0.
    static qint64 allocatedBytes(const QString& path);
};

} // namespace gaugelet
