#pragma once

namespace gaugelet {

// The frames-per-second cap as a step: 0, 1 or 2 for 10, 15 or 20 fps.
class FPSLimit {
public:
    // "global.fpsLimit" through the lenient integer read (a number or
    // numeric text gives its integer value): 10 gives step 0, 20 gives step
    // 2, anything else (15, absent, another number or type) step 1. Any thread.
    static int current();
    static int framesPerSecond(int step) { return 10 + 5 * step; }
};

} // namespace gaugelet
