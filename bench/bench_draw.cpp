// Cost of drawing: a whole frame (physics and scene) on the shipped level at
// a few places along it, the scene alone on a full level crowded around the
// camera, and single lines of growing length across the screen.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "display/display.h"
#include "display/scene.h"
#include "tools/replays/surface.h"
#include "sim/step.h"

namespace {

// The start pose moved so that the bike's first wheel stands 100 units above
// a vertex picked along the level (by its share of the triangle list).
void placeBikeAlong(World& w, const Level& l, double share) {
    initialiseWorld(w);
    if (l.triangleCount <= 0) return;
    const int32_t t = static_cast<int32_t>(share * (l.triangleCount - 1));
    const Vec2 target = l.vertices[3 * t] - Vec2(0, 100);
    const Vec2 shift = target - w.position[1];
    for (int i = 0; i < kBallCount; ++i) w.position[i] += shift;
    for (int i = 0; i < kBallCount; ++i) w.previousPosition[i] = w.position[i];
}

// stepSimulation + drawScene, the record-mode frame without its file and
// window work. The arg is the place along the level in percent.
void BM_FrameOnShippedLevel(benchmark::State& state) {
    auto l = std::make_unique<Level>();
    const std::string problem = loadShippedLevel(*l);
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    SurfacePtr screen = createScreenSurface();
    SurfacePtr digits(SDL_LoadBMP(ZUNO_BINARY_DIR "/nums.bmp"));
    bool running = true;
    Display display(screen.get(), digits.get(), &running);
    World w{};
    w.recordMode = 1;
    w.gravity = Vec2(0, kInitialGravityY);
    placeBikeAlong(w, *l, static_cast<double>(state.range(0)) / 100.0);
    const World start = w;
    ContactList contacts;
    int frames = 0;
    for (auto _ : state) {
        // The bike falls and rolls; put it back now and then so that the
        // timed frames stay at this place of the level.
        if (++frames % 100 == 0) w = start;
        contacts.clear();
        stepSimulation(w, *l, contacts);
        drawScene(display, w, *l, contacts);
    }
    state.counters["triangles"] = l->triangleCount;
}
BENCHMARK(BM_FrameOnShippedLevel)->Arg(0)->Arg(25)->Arg(50)->Arg(75)->Arg(100)->Unit(benchmark::kMicrosecond);

// drawScene alone on a level of 5000 triangles that all have a vertex inside the
// culling box, with edges reaching up to 600 units (many leave the screen).
std::unique_ptr<Level> fullLevelNearCamera() {
    auto l = std::make_unique<Level>();
    Scatter s(777);
    for (int t = 0; t < kMaxTriangles; ++t) {
        const Vec2 a(s.next(1700) - 850, s.next(1300) - 650);
        l->vertices[3 * t] = a;
        l->vertices[3 * t + 1] = a + Vec2(s.next(1200) - 600, s.next(1200) - 600);
        l->vertices[3 * t + 2] = a + Vec2(s.next(1200) - 600, s.next(1200) - 600);
    }
    l->triangleCount = kMaxTriangles;
    return l;
}

enum class Camera { still, moving, movingOverStaleScreen };

// The full level drawn frame after frame, the camera at rest (as when nothing
// moves between frames) or moving a little every frame. A moving camera's
// erase is a fill while the screen shows the last picture alone, and a walk
// over every edge once it may not (as after a level reload that moved edges).
void drawFullLevel(benchmark::State& state, Camera camera) {
    auto l = fullLevelNearCamera();
    SurfacePtr screen = createScreenSurface();
    bool running = true;
    Display display(screen.get(), nullptr, &running);
    World w{};
    initialiseWorld(w);
    w.centre = w.previousCentre = Vec2(0, 0);
    ContactList contacts;
    int frames = 0;
    for (auto _ : state) {
        ++frames;
        if (camera != Camera::still) w.centre = Vec2(0.75 * (frames % 8), 0.5 * (frames % 4));
        if (camera == Camera::movingOverStaleScreen) display.lastPicture.forget();
        drawScene(display, w, *l, contacts);
    }
}

void BM_SceneFullLevelNearCamera(benchmark::State& state) { drawFullLevel(state, Camera::still); }
BENCHMARK(BM_SceneFullLevelNearCamera)->Unit(benchmark::kMillisecond);

void BM_SceneFullLevelMovingCamera(benchmark::State& state) { drawFullLevel(state, Camera::moving); }
BENCHMARK(BM_SceneFullLevelMovingCamera)->Unit(benchmark::kMillisecond);

void BM_SceneFullLevelMovingCameraStaleScreen(benchmark::State& state) {
    drawFullLevel(state, Camera::movingOverStaleScreen);
}
BENCHMARK(BM_SceneFullLevelMovingCameraStaleScreen)->Unit(benchmark::kMillisecond);

// One line from far off screen across it, of the given length in steps.
void BM_LineAcrossScreen(benchmark::State& state) {
    SurfacePtr screen = createScreenSurface();
    bool running = true;
    Display display(screen.get(), nullptr, &running);
    display.setCamera(Vec2(0.25, 0.25));
    const double length = static_cast<double>(state.range(0));
    for (auto _ : state) display.drawLine(-length + 300.5, -100.3, 300.5, 250.7, 1);
}
BENCHMARK(BM_LineAcrossScreen)->Arg(600)->Arg(1024)->Arg(1100)->Arg(4000)->Arg(100000)->Arg(3000000000LL);

// A line whose long axis is stuck (at 2^60 adding 1.0 changes nothing)
// while the other creeps through every row of the screen: only a corrupt
// replay draws one, and each row's first step is found by search. The
// argument is log2 of the steps a row takes.
void BM_StuckLineThroughEveryRow(benchmark::State& state) {
    SurfacePtr screen = createScreenSurface();
    bool running = true;
    Display display(screen.get(), nullptr, &running);
    const double far = std::ldexp(1.0, 60);
    display.setCamera(Vec2(far, 0.5));
    const double run = std::ldexp(1.0, static_cast<int>(state.range(0)) + 10);
    for (auto _ : state) display.drawLine(far, -400.5, far + run, 623.5, 1);
}
BENCHMARK(BM_StuckLineThroughEveryRow)->Arg(1)->Arg(20)->Arg(42)->Unit(benchmark::kMillisecond);

}  // namespace
