// First half of every frame step: the keyboard controls of a live run and the
// fast-forward of a playback.
#pragma once

#include <cstdint>
#include <iosfwd>

#include "sim/world.h"

class Display;

// Record mode: applies the control rows in their order to w and the
// display's timers, then clears the one-shot keys of the key-state array.
void applyControls(uint8_t* keys, World& w, Display& display);

// Replay mode: while f is held, skips three 64-byte records of the replay.
void fastForward(const uint8_t* keys, std::istream* replay);
