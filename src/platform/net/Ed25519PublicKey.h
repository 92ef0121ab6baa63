#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace gaugelet {

// An Ed25519 signing public key (32 raw bytes) that checks detached
// signatures with libsodium. Immutable; safe to share between threads.
class Ed25519PublicKey {
public:
    static constexpr int keySize = 32;
    static constexpr int signatureSize = 64;

    // A key from its 32 raw bytes; none when the length is wrong or the bytes
    // are not a usable curve point.
    static std::optional<Ed25519PublicKey> fromRaw(QByteArrayView raw);
    // A key from 64 hexadecimal digits (either case); none when malformed.
    static std::optional<Ed25519PublicKey> fromHex(QByteArrayView hex);

    QByteArray rawRepresentation() const { return m_raw; }

    // True only when the signature is exactly 64 bytes and verifies over the
    // message's exact bytes.
    bool isValidSignature(QByteArrayView signature, QByteArrayView message) const;

    bool operator==(const Ed25519PublicKey&) const = default;

private:
    explicit Ed25519PublicKey(QByteArray raw) : m_raw(std::move(raw)) {}
    QByteArray m_raw;
};

} // namespace gaugelet
