// Shared pieces of the fuzz targets: scratch files, the off-screen surface,
// program-load resets, message capture and checks, and the frame limit.
#include "fuzz/fuzz_support.h"

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/levels/level_bytes.h"
#include "tools/replays/surface.h"

namespace fuzz {

namespace {

constexpr double kDefaultFrameBudgetMs = 60;

void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchDirectory(), ignored);
}

// "PATH: what" or "PATH:LINE: what", with something after the colon.
bool namesFile(const std::string& line, const std::string& path) {
    if (line.compare(0, path.size(), path) != 0 || line.size() <= path.size() || line[path.size()] != ':')
        return false;
    std::size_t i = path.size() + 1;
    const std::size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
    if (i > digits) {
        if (i >= line.size() || line[i] != ':') return false;
        ++i;
    }
    return i + 1 < line.size() && line[i] == ' ';
}

}  // namespace

void fail(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("\n==== fuzz check failed: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputs("\n", stderr);
    va_end(args);
    std::fflush(stderr);
    std::abort();
}

const std::string& scratchDirectory() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuno-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) fail("cannot make a scratch directory: %s", std::strerror(errno));
        return pattern;
    }();
    static const bool cleanupRegistered = (std::atexit(removeScratch), true);
    (void)cleanupRegistered;
    return path;
}

std::string writeScratchFile(const std::string& name, const uint8_t* data, std::size_t size) {
    const std::string path = scratchDirectory() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) fail("cannot write %s", path.c_str());
    return path;
}

const std::string& fixedLevelBytes() {
    static const std::string bytes = [] {
        constexpr int32_t kLow = INT32_MIN;
        constexpr int32_t kHigh = INT32_MAX;
        return encodeLevel({
            {{-2000, 250, 2000, 250, 2000, 400}},
            {{-2000, 250, 2000, 400, -2000, 400}},
            {{300, 250, 700, 250, 700, 120}},
            {{-400, -600, -300, -600, -300, 250}},
            // Slivers reaching from near the start to the ends of the range.
            {{-100, -300, kHigh, -301, kHigh, -300}},
            {{kLow, -300, -120, -301, -120, -300}},
            {{kLow, kLow, kHigh, kLow, 0, -1000000}},
            {{kHigh - 10, kHigh - 10, kHigh, kHigh - 10, kHigh, kHigh}},
        });
    }();
    return bytes;
}

const std::string& fixedLevelPath() {
    static const std::string path = writeScratchFile(
        "fixed.lev", reinterpret_cast<const uint8_t*>(fixedLevelBytes().data()), fixedLevelBytes().size());
    return path;
}

SDL_Surface* offscreenSurface() {
    static SDL_Surface* surface = [] {
        SDL_Surface* s = createScreenSurface().release();  // lives for the whole fuzzing process
        if (!s) fail("cannot create the off-screen surface: %s", SDL_GetError());
        return s;
    }();
    return surface;
}

SDL_Surface* digitSurface() {
    static SDL_Surface* surface = [] {
        constexpr int kWidth = 9 * 19 + 20;
        constexpr int kHeight = 20;
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, kWidth, kHeight, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        if (!s) fail("cannot create the digit surface: %s", SDL_GetError());
        std::memset(s->pixels, 0, static_cast<std::size_t>(s->h) * s->pitch);
        for (int k = 0; k < 10; ++k) {
            auto* row = static_cast<uint8_t*>(s->pixels) + static_cast<std::size_t>(10 + k % 5) * s->pitch;
            reinterpret_cast<uint32_t*>(row)[19 * k + 9] = 0xFFFFFF;
        }
        return s;
    }();
    return surface;
}

MessageCapture::MessageCapture() : saved_(std::cerr.rdbuf(buffer_.rdbuf())) {}

MessageCapture::~MessageCapture() { std::cerr.rdbuf(saved_); }

void checkMessages(const std::string& text, const std::string& path, int maxLines) {
    if (text.empty()) return;
    if (text.back() != '\n') fail("message without a line end: \"%s\"", text.c_str());
    int lines = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        if (!namesFile(line, path)) fail("message does not name the file %s: \"%s\"", path.c_str(), line.c_str());
        for (char c : line)
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in message \"%s\"", line.c_str());
        ++lines;
        start = end + 1;
    }
    if (lines > maxLines) fail("%d messages, at most %d expected:\n%s", lines, maxLines, text.c_str());
}

double threadCpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double frameBudgetMs() {
    static const double budget = [] {
        const char* text = std::getenv("ZUNO_FUZZ_FRAME_MS");
        double value = text ? std::atof(text) : 0;
        return value > 0 ? value : kDefaultFrameBudgetMs;
    }();
    return budget;
}

namespace {

double slowestFrameMs = 0;  // over the runs that kept to the limit
double slowestThisRun = 0;

struct Overrun {
    bool seen = false;
    const char* what = "";
    int32_t frame = 0;
    double ms = 0;
} overrun;

void reportSlowestFrame() {
    std::fprintf(stderr, "slowest frame: %.2f ms of processor time (limit %.0f ms)\n", slowestFrameMs,
                 frameBudgetMs());
}

}  // namespace

void timedFrame(Display& display, RunState& run, int32_t frame, const char* what) {
    const double before = threadCpuMs();
    runFrame(display, run);
    const double took = threadCpuMs() - before;
    if (took > slowestThisRun) slowestThisRun = took;
    if (took > frameBudgetMs() && !overrun.seen) overrun = Overrun{true, what, frame, took};
}

void runUnderFrameLimit(const std::function<void()>& input) {
    static const bool reportAtExit = (std::atexit(reportSlowestFrame), true);
    (void)reportAtExit;
    constexpr int kRuns = 3;
    for (int run = 1;; ++run) {
        overrun = Overrun{};
        slowestThisRun = 0;
        input();
        if (!overrun.seen) break;
        if (run == kRuns)
            fail("%s: frame %d took %.1f ms of processor time (limit %.0f ms); each of %d runs went over", overrun.what,
                 overrun.frame, overrun.ms, frameBudgetMs(), kRuns);
    }
    if (slowestThisRun > slowestFrameMs) slowestFrameMs = slowestThisRun;
}

void startSession(const RunStart& how, RunState& run, std::unique_ptr<Display>& display) {
    RunStart session = how;
    session.openDisplay = [&how](RunState& r, std::unique_ptr<Display>& d) {
        d = std::make_unique<Display>(offscreenSurface(), how.recordMode ? digitSurface() : nullptr, &r.running);
        return std::string();
    };
    const StartResult start = startRun(session, run, display);
    if (start.outcome != StartOutcome::started) fail("a session did not start: %s", start.error.c_str());
}

LiveRun::LiveRun(const std::string& levelPath) {
    RunStart how;
    how.levelPath = levelPath;
    how.reloadPath = levelPath;
    how.openReplay = [this](RunState& r) {
        r.writer = std::make_unique<ReplayWriter>(std::make_unique<CountingStream>(&recorded), "fuzz.rec");
        return std::string();
    };
    startSession(how, run, display_);
}

void LiveRun::frame(int32_t number, const char* what) {
    timedFrame(*display_, run, number, what);
    if (!run.running) fail("%s: a live run stopped by itself at frame %d", what, number);
}

}  // namespace fuzz
