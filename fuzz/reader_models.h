// What the fuzz targets expect of the readers, worked out from the bytes
// independently of the readers' own code: the playback of a replay file and
// the order and balance of a key script's events; and a device that fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "sim/world.h"
#include "tools/levels/level_text.h"
#include "tools/replays/key_script.h"

namespace fuzz {

// The line a message names ("NAME:LINE: ..."), or 0 when it names none.
long messageLine(const std::string& message, const char* name);

// The words of a text line up to any "#": runs of anything but blanks.
std::vector<std::pair<const char*, const char*>> lineWords(const char* p, const char* end);

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

// A parsed level text holds a line for every triangle, in rising order, and
// no more triangles than a level does.
void checkParsedText(const LevelText& text);

bool sameTriangles(const std::vector<FileTriangle>& a, const std::vector<FileTriangle>& b);

// The bytes as a device that fails where they end: a read past them throws,
// which the stream turns into its bad state, as a failing disk does.
class FailingAtEnd : public std::streambuf {
public:
    explicit FailingAtEnd(const std::string& bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

protected:
    int_type underflow() override { throw std::runtime_error("device error"); }
};

// Whether line `line` (from 1) of the text ends in "\n": a line-by-line
// reader then has it whole before it reads past the end.
bool lineEndsInNewline(const uint8_t* data, std::size_t size, int line);

}  // namespace fuzz
