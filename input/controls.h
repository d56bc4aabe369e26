// First half of every frame step: the keyboard controls of a live run and the
// fast-forward of a playback.
#pragma once

#include <cstdint>

#include "sim/world.h"

class Display;

// Record mode: applies the control rows in their order to w and the
// display's timers, then clears the one-shot keys of the key-state array.
void applyControls(uint8_t* keys, World& w, Display& display);

// What the fast-forward asks of a playback: to pass over whole records of
// it. The record's format stays with the replay file's reader.
class RecordSkipper {
public:
    // Skips up to count records, stopping at the end of the playback.
    virtual void skipRecords(int count) = 0;

protected:
    ~RecordSkipper() = default;
};

// Replay mode: while f is held, skips three records of the playback.
void fastForward(const uint8_t* keys, RecordSkipper* playback);

// Clears SDL's key-state array, so no key of an earlier run stays held.
void releaseAllKeys();
