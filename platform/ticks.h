// The millisecond tick counter the frame pacing spins on: unsigned 32 bits,
// wrapping at 2^32, monotonic. Tests replace the source with their own.
#pragma once

#include <cstdint>

using TickSource = uint32_t (*)();

// Milliseconds of the monotonic clock, truncated to 32 bits.
uint32_t monotonicTicks();

// Reads the current source (monotonicTicks unless a test installed another).
uint32_t getTickCount();

// Installs a source; nullptr restores the monotonic clock. Returns the old one.
TickSource setTickSource(TickSource source);
