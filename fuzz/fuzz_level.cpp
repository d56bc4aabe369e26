// Fuzz target: any bytes as the level file "0.lev", loaded the way a live
// run starts (count, window, triangles), then a few record-mode frames with
// keys held: the reload, the simulation, the recording, the scene with its
// readout, and the controls.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "sim/world.h"

namespace {

constexpr int32_t kFrames = 12;

int32_t le32(const uint8_t* b) {
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// What the file says, decoded here independently of the loader: the level
// it must leave, or that it must refuse the file (and leave the empty one).
void checkLoaded(const uint8_t* data, std::size_t size) {
    bool acceptable = size >= 4;
    int32_t count = acceptable ? le32(data) : 0;
    if (count > kMaxTriangles) acceptable = false;
    if (acceptable && count > 0 && size - 4 < static_cast<std::size_t>(count) * 24) acceptable = false;
    if (!acceptable) {
        if (level.triangleCount != 0)
            fuzz::fail("a refused level left %d triangles", level.triangleCount);
        return;
    }
    if (level.triangleCount != count) fuzz::fail("count %d loaded as %d", count, level.triangleCount);
    for (int32_t v = 0; count > 0 && v < 3 * count; ++v) {
        const double x = static_cast<double>(le32(data + 4 + 8 * v)) * 1.5;
        const double y = static_cast<double>(le32(data + 8 + 8 * v)) * 1.5;
        if (std::memcmp(&x, &level.vertices[v].x, sizeof x) != 0 || std::memcmp(&y, &level.vertices[v].y, sizeof y) != 0)
            fuzz::fail("vertex %d loaded as (%g, %g), the file says (%g, %g)", v, level.vertices[v].x,
                       level.vertices[v].y, x, y);
    }
}

// Keys of a short drive: up held throughout, a push apart, a kick, a turn.
void pressKeysFor(int32_t frame, uint8_t* keys) {
    keys[SDLK_UP] = 1;
    if (frame == 3) keys[SDLK_RETURN] = 1;
    if (frame == 5) keys[SDLK_q] = 1;
    if (frame == 7) keys[SDLK_LEFT] = 1;
    if (frame == 9) keys[SDLK_SPACE] = 1;
}

void runLevel(const uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratchFile("0.lev", data, size);
    fuzz::MessageCapture messages;
    {
        fuzz::LiveRun live(path);
        checkLoaded(data, size);
        uint8_t* keys = SDL_GetKeyState(nullptr);
        for (int32_t frame = 0; frame < kFrames; ++frame) {
            pressKeysFor(frame, keys);
            live.frame(frame, "level");
        }
        if (live.recorded != kFrames * kFrameRecordSize)
            fuzz::fail("%zu bytes recorded for %d frames", live.recorded, kFrames);
        if (live.run.writer->failed()) fuzz::fail("the recording failed");
    }
    // The initial load and the reload of the same file: one report at most.
    fuzz::checkMessages(messages.text(), path, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::runUnderFrameLimit([&] { runLevel(data, size); });
    return 0;
}
