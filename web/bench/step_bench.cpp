// The step benchmark of bench/bench_step.cpp in the shape zuno_bench runs it,
// for the wasm/native ratio: the bike dropped on the shipped course and
// settled, then timed frames with the settled pose put back now and then.
#include <emscripten/emscripten.h>

#include <fstream>
#include <memory>

#include "app/level_file.h"
#include "bench/step_frames.h"

// Milliseconds that `frames` timed frames took; -1 when "0.lev" cannot be read.
extern "C" EMSCRIPTEN_KEEPALIVE double zuno_bench_step(int frames) {
    auto l = std::make_unique<Level>();
    std::ifstream in(kLevelFileName, std::ios::binary);
    if (!in || !LevelLoader::readWhole(in, *l).empty()) return -1;
    ContactList contacts;
    const World settled = settledWorld(*l, contacts);
    World w = settled;
    const double start = emscripten_get_now();
    for (int n = 0, sinceRestore = 0; n < frames; ++n) {
        if (++sinceRestore == kStepRestoreEvery) {
            w = settled;
            sinceRestore = 0;
        }
        stepFrame(w, *l, contacts);
    }
    const double elapsed = emscripten_get_now() - start;
    volatile double sink = w.position[0].x;
    (void)sink;
    return elapsed;
}
