#pragma once

#include <QString>

namespace gaugelet {

class AudioEngine;

// The audio module (gaugelet-audio.so, installed beside the program like its
// resources), loaded on first use and kept. Any thread.
class AudioModule {
public:
    // The engine; nullptr when the module cannot be loaded (logged once).
    static AudioEngine* engine();
    // The module's file: <program folder>/../lib/gaugelet/gaugelet-audio.so
    // as installed.
    static QString path();
    // Why the module could not be loaded; empty while it could.
    static QString loadError();

    // Test seam: the next engine() loads this file instead (forgetting a
    // module loaded before; it stays mapped). An empty path restores path().
    static void useForTesting(const QString& file);
};

} // namespace gaugelet
