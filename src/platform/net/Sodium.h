#pragma once

namespace gaugelet {

// libsodium's one-time start-up. Every wrapper over the library calls this
// before its first use; it is thread-safe and cheap after the first call.
class Sodium {
public:
    static void ensureInitialised();
};

} // namespace gaugelet
