// Signed 32-bit sums that wrap as the machine's two's-complement arithmetic
// does, for the counters and clocks that run for the whole life of a run.
#pragma once

#include <cstdint>

// a + b modulo 2^32, read back as signed: defined where the plain sum of
// two int32_t overflows (the game clock after about 2^31 / 33 ms of play).
constexpr int32_t wrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
