// What the benchmarks share: the shipped course loaded by the game's own
// reader, and a small generator for made-up levels.
#pragma once

#include <cstdint>
#include <string>

#include "sim/world.h"

// Loads the built course (ZUNO_BINARY_DIR "/0.lev") into l. Returns "" or
// what is wrong, naming the file.
std::string loadShippedLevel(Level& l);

// A small LCG: the same made-up level on every platform and run for a seed.
class Scatter {
public:
    explicit Scatter(uint64_t seed) : state_(seed) {}

    // A value in [0, range).
    double next(double range) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0 * range;
    }

private:
    uint64_t state_;
};
