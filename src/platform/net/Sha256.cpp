#include "platform/net/Sha256.h"

#include "platform/net/Sodium.h"

#include <sodium.h>

namespace gaugelet {

QByteArray Sha256::digest(QByteArrayView bytes)
{
    Sodium::ensureInitialised();
    QByteArray out(digestSize, Qt::Uninitialized);
    crypto_hash_sha256(reinterpret_cast<unsigned char*>(out.data()),
                       reinterpret_cast<const unsigned char*>(bytes.data()),
                       static_cast<unsigned long long>(bytes.size()));
    return out;
}

QString Sha256::hexDigest(QByteArrayView bytes)
{
    // QByteArray::toHex writes lower-case digits with no separator.
    return QString::fromLatin1(digest(bytes).toHex());
}

} // namespace gaugelet
