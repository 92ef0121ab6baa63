#pragma once

#include "platform/net/Ed25519PublicKey.h"

#include <optional>

namespace gaugelet {

// The store's signing key: verifies every content bundle's "manifest.sig".
// Made once, on first use, from the compiled-in constant; the same value is
// handed to every user. Never used for the catalogue.
class StoreSigningKey {
public:
    // None only if the compiled-in constant is not a usable key (a build
    // defect, logged once); then nothing verifies.
    static std::optional<Ed25519PublicKey> key();
    // The compiled-in key, ignoring any test override.
    static std::optional<Ed25519PublicKey> builtIn();

    // Test seam: makes key() return another key (none restores the built-in).
    static void setOverrideForTesting(std::optional<Ed25519PublicKey> key);
};

// The catalogue's signing key: verifies only the store catalogue's detached
// signature. Never used for bundles.
class CatalogueSigningKey {
public:
    static std::optional<Ed25519PublicKey> key();
    static std::optional<Ed25519PublicKey> builtIn();
    static void setOverrideForTesting(std::optional<Ed25519PublicKey> key);
};

} // namespace gaugelet
