// What the fuzz targets share: a fresh game session on one off-screen
// surface, capture and checking of the messages the game writes, a
// per-frame work limit, and a scratch directory for inputs that must be files.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "app/game.h"
#include "display/display.h"

namespace fuzz {

// Stops the fuzzer with a report on standard error (never through
// std::cerr, which the targets capture).
[[noreturn]] void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A directory of this process's own, made on first use, for inputs that
// are read as files.
const std::string& scratchDirectory();
// Writes bytes to scratchDirectory()/name and returns the path.
std::string writeScratchFile(const std::string& name, const uint8_t* data, std::size_t size);

// A small level for the targets whose input is not the level: ground under
// the start, a ramp, a wall, and triangles at the ends of the 32-bit range
// so that far cameras and huge edges are drawn too. As file bytes, and as a
// file in the scratch directory (written once).
const std::string& fixedLevelBytes();
const std::string& fixedLevelPath();

// The 1024 x 768 surface every session draws into; made once. Its pixels
// are not cleared between inputs: the drawing never reads them.
SDL_Surface* offscreenSurface();

// A digit bitmap of the layout the readout expects (191 x 20, glyph k at
// column 19k), with a lit pixel in every cell; made once.
SDL_Surface* digitSurface();

// Starts a session from program load as startRun does, drawn on the shared
// surface (with the digits in record mode); fails the fuzzer when it does
// not start.
void startSession(const RunStart& how, RunState& run, std::unique_ptr<Display>& display);

// While alive, std::cerr goes into a buffer instead of the terminal.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    std::string text() const { return buffer_.str(); }

private:
    std::ostringstream buffer_;
    std::streambuf* saved_;
};

// Every message must be whole lines, each naming the file: "PATH: ..." or
// "PATH:LINE: ...". At most maxLines of them.
void checkMessages(const std::string& text, const std::string& path, int maxLines);

// Counts the bytes written into *total and keeps none: the replay stream
// of a record run whose output nobody reads. The count outlives the stream.
class CountingBuf : public std::streambuf {
public:
    explicit CountingBuf(std::size_t* total) : total_(total) {}

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        *total_ += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof())) ++*total_;
        return traits_type::not_eof(ch);
    }

private:
    std::size_t* total_;
};

class CountingStream : public std::ostream {
public:
    explicit CountingStream(std::size_t* total) : std::ostream(nullptr), buf_(total) { rdbuf(&buf_); }

private:
    CountingBuf buf_;
};

// Processor time this thread spent, in milliseconds.
double threadCpuMs();

// The most processor time one frame may take in the instrumented build.
// Any real frame of the game is far below it; a frame above it is a hang
// in the making. ZUNO_FUZZ_FRAME_MS overrides it.
double frameBudgetMs();

// runFrame, timed against the per-frame limit.
void timedFrame(Display& display, RunState& run, int32_t frame, const char* what);

// Runs one input (all of it, from program load) and fails when a frame of
// it went over the limit. A loaded machine can stall a thread now and then,
// so an input with a slow frame is run again, and fails only when each of
// three runs has one.
void runUnderFrameLimit(const std::function<void()>& input);

// A live run started the way the game starts one, over the level file at
// levelPath (also the reload's file), drawn on the shared surface, its
// recording counted in `recorded`.
class LiveRun {
public:
    explicit LiveRun(const std::string& levelPath);
    // One frame of the main loop under the frame limit.
    void frame(int32_t number, const char* what);

    RunState run;
    std::size_t recorded = 0;

private:
    std::unique_ptr<Display> display_;
};

}  // namespace fuzz
