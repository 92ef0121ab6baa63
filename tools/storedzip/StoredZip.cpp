#include "storedzip/StoredZip.h"

#include <array>

namespace gaugelet {

namespace {

void put16(QByteArray& out, quint32 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

quint32 StoredZip::crc32(const QByteArray& bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[(c ^ quint8(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

Result<QByteArray, QString> StoredZip::write(const QList<Member>& members)
{
    constexpr quint32 utf8Flag = 1u << 11;
    constexpr quint32 dosTime = 0;                       // 00:00:00
    constexpr quint32 dosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01
    if (members.size() > 0xFFFF)
        return fail(QStringLiteral("too many members for the accepted format"));
    QByteArray out;
    QByteArray directory;
    for (const auto& [name, bytes] : members) {
        const QByteArray nameBytes = name.toUtf8();
        if (quint64(out.size()) > 0xFFFFFFFFu || quint64(bytes.size()) > 0xFFFFFFFFu)
            return fail(QStringLiteral("archive too large for the accepted format"));
        const quint32 offset = quint32(out.size());
        const quint32 crc = crc32(bytes);
        const quint32 size = quint32(bytes.size());
        put32(out, 0x04034B50);
        put16(out, 10);
        put16(out, utf8Flag);
        put16(out, 0);
        put16(out, dosTime);
        put16(out, dosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, quint32(nameBytes.size()));
        put16(out, 0);
        out.append(nameBytes);
        out.append(bytes);

        put32(directory, 0x02014B50);
        put16(directory, (3 << 8) | 30); // made by: Unix, 3.0
        put16(directory, 10);
        put16(directory, utf8Flag);
        put16(directory, 0);
        put16(directory, dosTime);
        put16(directory, dosDate);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, quint32(nameBytes.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0100644u << 16);
        put32(directory, offset);
        directory.append(nameBytes);
    }
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint32(members.size()));
    put16(out, quint32(members.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

} // namespace gaugelet
