#include "store/ZipReader.h"

#include <QStringDecoder>

namespace gaugelet {

namespace {

constexpr quint64 eocdSize = 22;
constexpr quint64 maxCommentLength = 65535;
constexpr quint64 centralRecordSize = 46;
constexpr quint64 localHeaderSize = 30;

// Little-endian reads; callers have already checked the bounds.
quint16 u16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 u32(const uchar* p) { return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24); }

bool magic(const uchar* p, uchar third, uchar fourth)
{
    return p[0] == 0x50 && p[1] == 0x4B && p[2] == third && p[3] == fourth;
}

ZipReader::ReadError malformed(QString text)
{
    return ZipReader::ReadError{ZipReader::ReadError::Kind::malformedHeader, std::move(text), 0, {}};
}

ZipReader::ReadError invalidPath(QString text)
{
    return ZipReader::ReadError{ZipReader::ReadError::Kind::invalidPath, std::move(text), 0, {}};
}

ZipReader::ReadError truncated(const QString& entry)
{
    return ZipReader::ReadError{ZipReader::ReadError::Kind::truncated, {}, 0, entry};
}

ZipReader::ReadError unsupported(quint16 method, const QString& entry)
{
    return ZipReader::ReadError{ZipReader::ReadError::Kind::unsupportedCompression, {}, method, entry};
}

} // namespace

QString ZipReader::ReadError::describe() const
{
    switch (kind) {
    case Kind::malformedHeader:
        return QStringLiteral("malformedHeader(%1)").arg(text);
    case Kind::unsupportedCompression:
        return QStringLiteral("unsupportedCompression(%1, entry: %2)").arg(method).arg(entry);
    case Kind::invalidPath:
        return QStringLiteral("invalidPath(%1)").arg(text);
    case Kind::truncated:
        return QStringLiteral("truncated(entry: %1)").arg(entry);
    case Kind::fileTooSmall:
        return QStringLiteral("fileTooSmall");
    case Kind::eocdNotFound:
        return QStringLiteral("eocdNotFound");
    }
    return {};
}

Result<void, ZipReader::ReadError> ZipReader::validatePath(const QString& path)
{
    if (path.isEmpty())
        return fail(invalidPath(QStringLiteral("empty")));
    if (path.startsWith(QLatin1Char('/')))
        return fail(invalidPath(path));
    if (path.contains(QChar(u'\0')))
        return fail(invalidPath(path));
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = path.indexOf(QLatin1Char('/'), start);
        const QStringView piece = QStringView(path).mid(start, slash < 0 ? -1 : slash - start);
        if (piece.isEmpty() || piece == QLatin1String(".") || piece == QLatin1String(".."))
            return fail(invalidPath(path));
        if (slash < 0)
            break;
        start = slash + 1;
    }
    return {};
}

Result<ZipReader, ZipReader::ReadError> ZipReader::read(const QByteArray& archive)
{
    const quint64 n = quint64(archive.size());
    const auto* bytes = reinterpret_cast<const uchar*>(archive.constData());
    if (n < eocdSize)
        return fail(ReadError{ReadError::Kind::fileTooSmall, {}, 0, {}});

    // Backwards from the last place a whole record fits, no further than the
    // record plus the largest comment.
    const quint64 window = std::min(n, eocdSize + maxCommentLength);
    const quint64 lowest = n - window;
    std::optional<quint64> eocd;
    for (quint64 pos = n - eocdSize;; --pos) {
        if (magic(bytes + pos, 0x05, 0x06)) {
            eocd = pos;
            break;
        }
        if (pos == lowest)
            break;
    }
    if (!eocd)
        return fail(ReadError{ReadError::Kind::eocdNotFound, {}, 0, {}});

    const uchar* record = bytes + *eocd;
    const quint64 count = u16(record + 10);
    const quint64 cdSize = u32(record + 12);
    const quint64 cdOffset = u32(record + 16);
    const quint64 cdEnd = cdOffset + cdSize; // at most 2^33: no overflow in 64 bits
    if (n < cdEnd)
        return fail(malformed(QStringLiteral("CD offset out of range")));

    ZipReader reader;
    reader.data = archive;
    if (count == 0)
        return reader;
    reader.entries.reserve(qsizetype(count));

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    quint64 p = cdOffset;
    for (quint64 i = 0; i < count; ++i) {
        if (cdEnd < p + centralRecordSize)
            return fail(malformed(QStringLiteral("CD truncated")));
        const uchar* r = bytes + p;
        if (!magic(r, 0x01, 0x02))
            return fail(malformed(QStringLiteral("CD entry magic")));
        const quint16 method = u16(r + 10);
        const quint64 compressedSize = u32(r + 20);
        const quint64 uncompressedSize = u32(r + 24);
        const quint64 nameLength = u16(r + 28);
        const quint64 extraLength = u16(r + 30);
        const quint64 commentLength = u16(r + 32);
        const quint64 localOffset = u32(r + 42);
        if (n < p + centralRecordSize + nameLength)
            return fail(malformed(QStringLiteral("CD entry name overflow")));

        const QByteArrayView nameBytes(reinterpret_cast<const char*>(r + centralRecordSize), qsizetype(nameLength));
        QString name = utf8.decode(nameBytes);
        if (utf8.hasError()) {
            utf8.resetState();
            return fail(invalidPath(QStringLiteral("non-UTF8")));
        }
        if (auto valid = validatePath(name); !valid)
            return fail(valid.error());
        if (method != 0)
            return fail(unsupported(method, name));
        reader.entries.append(Entry{std::move(name), localOffset, compressedSize, uncompressedSize, method});
        p += centralRecordSize + nameLength + extraLength + commentLength;
    }
    return reader;
}

Result<QByteArray, ZipReader::ReadError> ZipReader::extract(const Entry& entry) const
{
    if (entry.compressionMethod != 0)
        return fail(unsupported(entry.compressionMethod, entry.path));
    const quint64 n = quint64(data.size());
    // Offsets and sizes come from 32-bit fields (or a caller's entry); cap them
    // so the sums below stay far from 64-bit overflow.
    if (entry.localHeaderOffset > n || entry.localHeaderOffset + localHeaderSize > n)
        return fail(truncated(entry.path));
    const auto* header = reinterpret_cast<const uchar*>(data.constData()) + entry.localHeaderOffset;
    if (!magic(header, 0x03, 0x04))
        return fail(malformed(QStringLiteral("LFH magic on ") + entry.path));
    const quint64 start = entry.localHeaderOffset + localHeaderSize + u16(header + 26) + u16(header + 28);
    if (entry.compressedSize > n || start + entry.compressedSize > n)
        return fail(truncated(entry.path));
    if (entry.compressedSize != entry.uncompressedSize)
        return fail(malformed(QStringLiteral("STORED size mismatch on ") + entry.path));
    return data.mid(qsizetype(start), qsizetype(entry.compressedSize));
}

const ZipReader::Entry* ZipReader::find(const QString& path) const
{
    for (const Entry& entry : entries) {
        if (entry.path == path)
            return &entry;
    }
    return nullptr;
}

Result<QByteArray, ZipReader::ReadError> ZipReader::file(const QString& path) const
{
    const Entry* entry = find(path);
    if (entry == nullptr)
        return fail(invalidPath(QStringLiteral("not present: ") + path));
    return extract(*entry);
}

} // namespace gaugelet
