// Fuzz target: any bytes as a replay file, played through the game's
// replay-mode frame loop over a fixed level, drawn on the off-screen
// surface, with the f key's fast-forward held in the frames the first input
// byte picks. Every frame is checked against a model of the playback. The
// same bytes go through zuno-replay info's reading and report.
//
// Input: byte 0 bit 7 reads the replay from a real file (else from memory);
// bits 0-6 hold f in frame i when bit (i mod 7) is set. The rest is the file.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>

#include "app/game.h"
#include "tools/replays/replay_stats.h"
#include "display/display.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"
#include "sim/world.h"

namespace {

using fuzz::PlaybackModel;
using fuzz::shownBy;
using fuzz::Shown;

bool fastForwardIn(uint8_t pattern, int32_t frame) { return (pattern >> (frame % 7)) & 1; }

// zuno-replay info over the same bytes: it counts what the playback plays.
void checkInfo(const uint8_t* file, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(file), size));
    ReplayStats stats;
    if (!analyseReplay(in, stats)) fuzz::fail("info: read error on a string");
    if (stats.bytes != size || stats.records != size / kFrameRecordSize ||
        stats.trailingBytes != size % kFrameRecordSize)
        fuzz::fail("info counts %llu records and %llu bytes over in %zu bytes",
                   static_cast<unsigned long long>(stats.records),
                   static_cast<unsigned long long>(stats.trailingBytes), size);
    std::ostringstream report;
    printReplayStats(report, "fuzz.rec", stats);
    const std::string problem = replayProblem(stats);
    if (problem.find('\n') != std::string::npos) fuzz::fail("info: a problem of more than one line");
}

// The playback of one input, from program load to the end of its loop.
void play(bool fromFile, uint8_t pattern, const uint8_t* file, std::size_t fileSize) {
    std::string name = "fuzz.rec";
    if (fromFile) name = fuzz::writeScratchFile("fuzz.rec", file, fileSize);
    fuzz::MessageCapture messages;
    {
        RunState run;
        std::unique_ptr<Display> display;
        RunStart how;
        how.recordMode = 0;
        how.levelPath = fuzz::fixedLevelPath();
        how.levelFailure = LevelFailure::refuse;
        how.openReplay = [&](RunState& r) -> std::string {
            if (fromFile) {
                r.reader = std::make_unique<ReplayReader>(name);
                return r.reader->isOpen() ? "" : name + ": " + r.reader->error();
            }
            std::string bytes(reinterpret_cast<const char*>(file), fileSize);
            r.reader = std::make_unique<ReplayReader>(std::make_unique<std::istringstream>(bytes), name);
            return "";
        };
        fuzz::startSession(how, run, display);

        PlaybackModel model(file, fileSize, shownBy(world));
        const int64_t limit = static_cast<int64_t>(fileSize / kFrameRecordSize) + 2;
        uint8_t* keys = SDL_GetKeyState(nullptr);
        int32_t frame = 0;
        bool modelRunning = true;
        while (run.running) {
            if (frame >= limit) fuzz::fail("playback of %zu bytes still running after %d frames", fileSize, frame);
            const bool f = fastForwardIn(pattern, frame);
            keys[SDLK_f] = f ? 1 : 0;
            modelRunning = model.frame(f);
            fuzz::timedFrame(*display, run, frame, "replay");
            const Shown now = shownBy(world);
            if (std::memcmp(&now, &model.shown(), sizeof now) != 0)
                fuzz::fail("frame %d shows another position than the file's record", frame);
            if (run.running != modelRunning) fuzz::fail("frame %d: the playback ends at the wrong frame", frame);
            ++frame;
        }
        if (pattern == 0 && frame != limit)
            fuzz::fail("%zu bytes played in %d frames, not %lld", fileSize, frame, static_cast<long long>(limit));
    }
    fuzz::checkMessages(messages.text(), name, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool fromFile = data[0] & 0x80;
    const uint8_t pattern = data[0] & 0x7F;
    checkInfo(data + 1, size - 1);
    fuzz::runUnderFrameLimit([&] { play(fromFile, pattern, data + 1, size - 1); });
    return 0;
}
