#include "store/SigningKeys.h"

#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

namespace gaugelet {

namespace {

// Public halves of the release key pairs. The private halves never enter
// this repository.
constexpr unsigned char storeKeyBytes[32] = {
    0x5d, 0x8b, 0x02, 0xf8, 0xc3, 0xcb, 0xf7, 0xef, 0x79, 0x8d, 0x3a, 0xbb, 0xd4, 0xec, 0xd3, 0x5d,
    0xb2, 0xa4, 0xa5, 0xd9, 0x29, 0x25, 0x62, 0xb8, 0x16, 0x0d, 0x00, 0x84, 0x9e, 0xcf, 0x73, 0xc6};
constexpr unsigned char catalogueKeyBytes[32] = {
    0x1d, 0xc6, 0x30, 0xd9, 0x64, 0x57, 0xfe, 0xfe, 0xc9, 0x53, 0x1e, 0x03, 0x89, 0xaf, 0xd5, 0x2c,
    0x84, 0x71, 0x48, 0x52, 0xac, 0x90, 0x3e, 0xa7, 0x70, 0xce, 0xae, 0x4b, 0x2f, 0x0c, 0x36, 0xf4};

std::optional<Ed25519PublicKey> makeKey(const unsigned char (&bytes)[32], const char* name)
{
    auto key = Ed25519PublicKey::fromRaw(QByteArrayView(reinterpret_cast<const char*>(bytes), 32));
    if (!key)
        qCritical("%s: the compiled-in public key is not a valid Ed25519 key; nothing will verify", name);
    return key;
}

struct Override {
    QMutex mutex;
    bool active = false;
    std::optional<Ed25519PublicKey> key;
};

Override& storeOverride()
{
    static Override o;
    return o;
}

Override& catalogueOverride()
{
    static Override o;
    return o;
}

std::optional<Ed25519PublicKey> current(Override& o, const std::optional<Ed25519PublicKey>& builtIn)
{
    QMutexLocker lock(&o.mutex);
    return o.active ? o.key : builtIn;
}

void setOverride(Override& o, std::optional<Ed25519PublicKey> key)
{
    QMutexLocker lock(&o.mutex);
    o.active = key.has_value();
    o.key = std::move(key);
}

} // namespace

std::optional<Ed25519PublicKey> StoreSigningKey::builtIn()
{
    // A function-local static: made exactly once, thread-safely.
    static const std::optional<Ed25519PublicKey> key = makeKey(storeKeyBytes, "StoreSigningKey");
    return key;
}

std::optional<Ed25519PublicKey> StoreSigningKey::key() { return current(storeOverride(), builtIn()); }

void StoreSigningKey::setOverrideForTesting(std::optional<Ed25519PublicKey> key)
{
    setOverride(storeOverride(), std::move(key));
}

std::optional<Ed25519PublicKey> CatalogueSigningKey::builtIn()
{
    static const std::optional<Ed25519PublicKey> key = makeKey(catalogueKeyBytes, "CatalogueSigningKey");
    return key;
}

std::optional<Ed25519PublicKey> CatalogueSigningKey::key() { return current(catalogueOverride(), builtIn()); }

void CatalogueSigningKey::setOverrideForTesting(std::optional<Ed25519PublicKey> key)
{
    setOverride(catalogueOverride(), std::move(key));
}

} // namespace gaugelet
