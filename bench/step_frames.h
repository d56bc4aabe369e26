// The frames the step benchmark times, shared by its native half
// (bench_step.cpp) and its WebAssembly half (web/bench/step_bench.cpp), so
// that the two figures measure the same work.
#pragma once

#include "sim/contact_list.h"
#include "sim/step.h"
#include "sim/world.h"

constexpr int kStepSettleFrames = 300;   // long enough for the dropped bike to land
constexpr int kStepRestoreEvery = 500;   // frames before the settled pose is put back

// A record-mode frame without the recording and the picture.
inline void stepFrame(World& w, const Level& l, ContactList& contacts) {
    contacts.clear();
    stepSimulation(w, l, contacts);
    takeEndOfFrameCopy(w);
}

// The bike dropped from its start pose onto l and settled.
inline World settledWorld(const Level& l, ContactList& contacts) {
    World w{};
    w.gravity = Vec2(0, kInitialGravityY);
    initialiseWorld(w);
    for (int n = 0; n < kStepSettleFrames; ++n) stepFrame(w, l, contacts);
    return w;
}
