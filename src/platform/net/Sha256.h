#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace gaugelet {

// SHA-256 over libsodium. Safe on any thread.
class Sha256 {
public:
    static constexpr int digestSize = 32;

    // The 32 raw digest bytes.
    static QByteArray digest(QByteArrayView bytes);
    // The digest as 64 lower-case hexadecimal digits ("%02x" per byte).
    static QString hexDigest(QByteArrayView bytes);
};

} // namespace gaugelet
