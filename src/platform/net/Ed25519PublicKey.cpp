#include "platform/net/Ed25519PublicKey.h"

#include "platform/net/Sodium.h"

#include <sodium.h>

namespace gaugelet {

std::optional<Ed25519PublicKey> Ed25519PublicKey::fromRaw(QByteArrayView raw)
{
    static_assert(keySize == crypto_sign_PUBLICKEYBYTES);
    static_assert(signatureSize == crypto_sign_BYTES);
    Sodium::ensureInitialised();
    if (raw.size() != keySize)
        return std::nullopt;
    if (crypto_core_ed25519_is_valid_point(reinterpret_cast<const unsigned char*>(raw.data())) != 1)
        return std::nullopt;
    return Ed25519PublicKey(raw.toByteArray());
}

std::optional<Ed25519PublicKey> Ed25519PublicKey::fromHex(QByteArrayView hex)
{
    if (hex.size() != keySize * 2)
        return std::nullopt;
    for (char c : hex) {
        const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return std::nullopt;
    }
    return fromRaw(QByteArray::fromHex(hex.toByteArray()));
}

bool Ed25519PublicKey::isValidSignature(QByteArrayView signature, QByteArrayView message) const
{
    if (signature.size() != signatureSize || m_raw.size() != keySize)
        return false;
    Sodium::ensureInitialised();
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(message.data()),
                                       static_cast<unsigned long long>(message.size()),
                                       reinterpret_cast<const unsigned char*>(m_raw.constData()))
        == 0;
}

} // namespace gaugelet
