// Cost of one physics frame: on the shipped level with the bike resting on
// it, and on a full level of 5000 small scattered triangles.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "bench/step_frames.h"

namespace {

void fillScattered(Level& l) {
    Scatter s(12345);
    for (int t = 0; t < kMaxTriangles; ++t) {
        // Spread over 8000 x 8000 around the start pose, 10 to 40 units across.
        const Vec2 a(s.next(8000) - 3800, s.next(8000) - 3800);
        l.vertices[3 * t] = a;
        l.vertices[3 * t + 1] = a + Vec2(10 + s.next(30), s.next(10));
        l.vertices[3 * t + 2] = a + Vec2(s.next(10), 10 + s.next(30));
    }
    l.triangleCount = kMaxTriangles;
}

// Drops the bike from its start pose, lets it settle, then times frames,
// putting the settled pose back now and then so that the timed frames stay
// in the same situation however long the benchmark runs.
void runFrames(benchmark::State& state, const Level& l) {
    ContactList contacts;
    const World settled = settledWorld(l, contacts);
    World w = settled;

    int sinceRestore = 0;
    for (auto _ : state) {
        if (++sinceRestore == kStepRestoreEvery) {
            w = settled;
            sinceRestore = 0;
        }
        stepFrame(w, l, contacts);
        benchmark::DoNotOptimize(w.position);
    }
    state.counters["contacts"] = static_cast<double>(contacts.size());
    state.counters["triangles"] = l.triangleCount;
}

void BM_StepShippedLevel(benchmark::State& state) {
    auto l = std::make_unique<Level>();
    const std::string error = loadShippedLevel(*l);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        for (auto _ : state) {
        }
        return;
    }
    runFrames(state, *l);
}
BENCHMARK(BM_StepShippedLevel)->Unit(benchmark::kMicrosecond);

void BM_StepScattered5000(benchmark::State& state) {
    auto l = std::make_unique<Level>();
    fillScattered(*l);
    runFrames(state, *l);
}
BENCHMARK(BM_StepScattered5000)->Unit(benchmark::kMicrosecond);
}  // namespace
