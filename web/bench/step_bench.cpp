// The step benchmark of bench/bench_step.cpp in the shape zuno_bench runs it,
// for the wasm/native ratio: the bike dropped on the shipped course, settled
// for 300 frames, then timed frames with the settled pose put back every 500.
#include <emscripten/emscripten.h>

#include <fstream>
#include <memory>

#include "app/level_file.h"
#include "sim/contact_list.h"
#include "sim/step.h"
#include "sim/world.h"

namespace {

void frame(World& w, const Level& l, ContactList& contacts) {
    contacts.clear();
    stepSimulation(w, l, contacts);
    takeEndOfFrameCopy(w);
}

}  // namespace

// Milliseconds that `frames` timed frames took; -1 when "0.lev" cannot be read.
extern "C" EMSCRIPTEN_KEEPALIVE double zuno_bench_step(int frames) {
    auto l = std::make_unique<Level>();
    std::ifstream in(kLevelFileName, std::ios::binary);
    if (!in || !LevelLoader::readWhole(in, *l).empty()) return -1;
    World w{};
    ContactList contacts;
    w.gravity = Vec2(0, kInitialGravityY);
    initialiseWorld(w);
    for (int n = 0; n < 300; ++n) frame(w, *l, contacts);
    const World settled = w;
    const double start = emscripten_get_now();
    for (int n = 0, sinceRestore = 0; n < frames; ++n) {
        if (++sinceRestore == 500) {
            w = settled;
            sinceRestore = 0;
        }
        frame(w, *l, contacts);
    }
    const double elapsed = emscripten_get_now() - start;
    volatile double sink = w.position[0].x;
    (void)sink;
    return elapsed;
}
