#pragma once

#include <QString>

namespace gaugelet {

// Typed readers of the standard user defaults with a caller-given default.
// They look the key up afresh on every call, never write, and are safe on any
// thread.
class Prefs {
public:
    // A stored number (integer or real) that is finite, else the default. A
    // NaN or infinity restored from a backup counts as absent.
    static double doubleValue(const QString& key, double fallback);
    // A stored Bool (or a number, non-zero being true), else the default.
    static bool boolValue(const QString& key, bool fallback);
};

} // namespace gaugelet
