// What the fuzz targets expect of the readers, worked out from the bytes
// independently of the readers' own code: the playback of a replay file and
// the order and balance of a key script's events.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/world.h"
#include "tools/replays/key_script.h"

namespace fuzz {

// The values a playback frame shows: position[0..2] x, y, then centre x, y.
struct Shown {
    double values[8];
};

Shown shownBy(const World& w);

// The playback as the file format defines it: a whole record is shown when
// all its values are finite; a read that runs short shows nothing and ends
// the file; a frame that finds the end stops the run; f skips up to three
// records while the stream is good.
class PlaybackModel {
public:
    PlaybackModel(const uint8_t* file, std::size_t size, const Shown& start)
        : file_(file), size_(size), shown_(start) {}

    // One frame; returns false when this frame clears the running flag.
    bool frame(bool fastForward);
    const Shown& shown() const { return shown_; }
    // Whether a frame so far read a non-finite record or a short one, which
    // the reader reports (once).
    bool reportDue() const { return reportDue_; }

private:
    void skip();

    const uint8_t* file_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool atEnd_ = false;
    bool reportDue_ = false;
    Shown shown_;
};

// Events in frame order, each of a named key, pressing only keys that are
// up and releasing only keys that are down; the default drive reaches the
// last of them.
void checkKeyEvents(const KeyScript& script);

}  // namespace fuzz
