#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace gaugelet {

// Writes ZIP archives in the subset the bundle reader accepts: one disk, every
// member stored (method 0) under its UTF-8 name with its CRC-32, no folder
// records, and fixed times so the same members give the same bytes.
struct StoredZip {
    using Member = QPair<QString, QByteArray>;

    // The archive of the members in order; an error text when they do not fit
    // the format (more than 65535 members, or past 4 GiB).
    static Result<QByteArray, QString> write(const QList<Member>& members);

    static quint32 crc32(const QByteArray& bytes);
};

} // namespace gaugelet
