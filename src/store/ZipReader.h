#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace gaugelet {

// Reads a content-bundle archive held in memory: a strict ZIP subset (one
// disk, no ZIP64, every member stored uncompressed, UTF-8 names, no folder
// records). The central directory is indexed once; members are then handed
// out whole. Every bound is checked in 64-bit arithmetic before a byte is
// read, so no input, however damaged, reads outside the archive.
// An immutable value once built; usable from any thread.
struct ZipReader {
    struct Entry {
        QString path;
        quint64 localHeaderOffset = 0;
        quint64 compressedSize = 0;
        quint64 uncompressedSize = 0;
        quint16 compressionMethod = 0;
        bool operator==(const Entry&) const = default;
    };

    struct ReadError {
        enum class Kind { malformedHeader, unsupportedCompression, invalidPath, truncated, fileTooSmall, eocdNotFound };
        Kind kind = Kind::malformedHeader;
        QString text;      // malformedHeader, invalidPath
        quint16 method = 0; // unsupportedCompression
        QString entry;     // unsupportedCompression, truncated

        // The case with its payload, e.g. "truncated(entry: assets/a.png)".
        QString describe() const;
        bool operator==(const ReadError&) const = default;
    };

    QList<Entry> entries;
    QByteArray data;

    // Indexes an archive; a reader is built completely or not at all.
    static Result<ZipReader, ReadError> read(const QByteArray& archive);

    // The bytes of the first entry named exactly path.
    Result<QByteArray, ReadError> file(const QString& path) const;
    // The bytes of one entry.
    Result<QByteArray, ReadError> extract(const Entry& entry) const;
    // The first entry named exactly path, if any.
    const Entry* find(const QString& path) const;

    // The member-name rule: not empty, no leading "/", no NUL, and no empty,
    // "." or ".." piece between slashes.
    static Result<void, ReadError> validatePath(const QString& path);
};

} // namespace gaugelet
