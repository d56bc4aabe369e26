// Cost of one physics frame: on the shipped level with the bike resting on
// it, and on a full level of 5000 small scattered triangles.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "sim/step.h"

namespace {
constexpr int kSettleFrames = 300;    // long enough for the dropped bike to land
constexpr int kRestoreEvery = 500;    // frames before the settled pose is put back

int32_t readLittleEndian(std::istream& in) {
    unsigned char b[4] = {0, 0, 0, 0};
    in.read(reinterpret_cast<char*>(b), 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

// The level file format read straight, so this benchmark depends on nothing
// but the physics. Returns "" or what is wrong with the file.
std::string loadLevel(const std::string& path, Level& l) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": cannot be opened (build the level data first)";
    const int32_t count = readLittleEndian(in);
    if (!in || count < 0 || count > kMaxTriangles) return path + ": bad triangle count";
    for (int v = 0; v < 3 * count; ++v) {
        const int32_t x = readLittleEndian(in);
        const int32_t y = readLittleEndian(in);
        l.vertices[v] = Vec2(x * 1.5, y * 1.5);
    }
    if (!in) return path + ": shorter than its triangle count says";
    l.triangleCount = count;
    return "";
}

// A small LCG: the same scattered level on every platform and run.
class Scatter {
public:
    double next(double range) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0 * range;
    }

private:
    uint64_t state_ = 12345;
};

void fillScattered(Level& l) {
    Scatter s;
    for (int t = 0; t < kMaxTriangles; ++t) {
        // Spread over 8000 x 8000 around the start pose, 10 to 40 units across.
        const Vec2 a(s.next(8000) - 3800, s.next(8000) - 3800);
        l.vertices[3 * t] = a;
        l.vertices[3 * t + 1] = a + Vec2(10 + s.next(30), s.next(10));
        l.vertices[3 * t + 2] = a + Vec2(s.next(10), 10 + s.next(30));
    }
    l.triangleCount = kMaxTriangles;
}

void frame(World& w, const Level& l, ContactList& contacts) {
    contacts.clear();
    stepSimulation(w, l, contacts);
    for (int i = 0; i < kBallCount; ++i) w.previousPosition[i] = w.position[i];
}

// Drops the bike from its start pose, lets it settle, then times frames,
// putting the settled pose back now and then so that the timed frames stay
// in the same situation however long the benchmark runs.
void runFrames(benchmark::State& state, const Level& l) {
    World w{};
    ContactList contacts;
    w.gravity = Vec2(0, kInitialGravityY);
    initialiseWorld(w);
    for (int n = 0; n < kSettleFrames; ++n) frame(w, l, contacts);
    const World settled = w;

    int sinceRestore = 0;
    for (auto _ : state) {
        if (++sinceRestore == kRestoreEvery) {
            w = settled;
            sinceRestore = 0;
        }
        frame(w, l, contacts);
        benchmark::DoNotOptimize(w.position);
    }
    state.counters["contacts"] = static_cast<double>(contacts.size());
    state.counters["triangles"] = l.triangleCount;
}

void BM_StepShippedLevel(benchmark::State& state) {
    auto l = std::make_unique<Level>();
    const std::string error = loadLevel(ZUNO_BINARY_DIR "/0.lev", *l);
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
