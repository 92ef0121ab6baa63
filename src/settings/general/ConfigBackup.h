#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace gaugelet {

class Defaults;

// The settings backup file: the carried subset of the user defaults as an XML
// property list {version 1, exportedAt, appVersion, values}, and back.
// Main thread.
class ConfigBackup {
public:
    struct ImportError {
        enum class Kind { incompatibleVersion, malformed };
        Kind kind = Kind::malformed;
        qint64 found = 0;    // incompatibleVersion only
        qint64 expected = 0; // incompatibleVersion only

        static ImportError malformed() { return {}; }
        static ImportError incompatibleVersion(qint64 found, qint64 expected)
        {
            return {Kind::incompatibleVersion, found, expected};
        }
        QString describe() const;
        bool operator==(const ImportError&) const = default;
    };

    // A failed save or load: one of the import errors above, or the system's
    // own description of a file or property-list failure.
    struct Error {
        std::optional<ImportError> importError;
        QString systemDescription;

        QString describe() const;
    };

    static constexpr qint64 currentVersion = 1;
    // Larger files are not backups of ours; they are refused before reading,
    // and a backup that would be larger is not written. Above the settings
    // file's own limit, with room for the registered defaults and the header,
    // so that whatever the store holds can be saved and loaded back.
    static constexpr qint64 maxFileSize = 17 * 1024 * 1024;
    static inline const QString fileExtension = QStringLiteral("gaugeletbackup");

    // Whether a user-defaults key travels in a backup.
    static bool isCarried(const QString& key);
    // Removes every carried key the store's merged view lists.
    static void removeCarriedKeys(Defaults& defaults);

    // Writes a backup of the store to path, atomically.
    static Result<void, Error> exportTo(Defaults& defaults, const QString& path);
    // Replaces the store's carried keys with those of the file at path. Nothing
    // changes unless the whole file is a valid backup and the settings with
    // it still fit the store's file (Defaults::maxFileBytes). A folder, a FIFO, a
    // device or a file over maxFileSize is refused, with its own reason,
    // without being read; a link is followed.
    static Result<void, Error> importFrom(const QString& path, Defaults& defaults);
    // The same, from the bytes of a file named fileName (used for the log line).
    static Result<void, Error> importData(const QByteArray& bytes, const QString& fileName, Defaults& defaults);
};

} // namespace gaugelet
