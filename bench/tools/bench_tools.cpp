// Throughput of the replay tools, as a multiple of real time at the game's
// pace of 16 ms a frame: the GIF of a one-minute replay with the default
// settings, and a 10,000-frame scripted drive, both on the shipped course.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "tools/replays/replay_gif.h"

namespace {

const std::string kLevel = ZUNO_BINARY_DIR "/0.lev";
const std::string kDemoKeys = ZUNO_SOURCE_DIR "/data/demo.keys";
constexpr int32_t kMinuteFrames = 3750;  // 60 s at 16 ms a frame
constexpr int32_t kDriveFrames = 10000;

class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/zuno-bench-XXXXXX";
        if (const char* made = mkdtemp(pattern)) path_ = made;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

bool loadDemo(benchmark::State& state, KeyScript& script) {
    std::string error;
    if (!loadKeyScript(kDemoKeys, script, error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    return true;
}

void setRealTimeRate(benchmark::State& state, int64_t framesPerIteration) {
    double played = static_cast<double>(framesPerIteration) * 0.016 * static_cast<double>(state.iterations());
    state.counters["x_real_time"] = benchmark::Counter(played, benchmark::Counter::kIsRate);
}

void BM_GifOfAOneMinuteReplay(benchmark::State& state) {
    Scratch dir;
    KeyScript script;
    if (!loadDemo(state, script)) return;
    std::string replay = dir.file("minute.rec");
    if (std::string error = driveToFile(kLevel, script, kMinuteFrames, replay); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    GifSummary summary;
    for (auto _ : state) {
        std::string error = renderReplayGif(replay, kLevel, dir.file("minute.gif"), GifOptions{}, summary);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    setRealTimeRate(state, kMinuteFrames + 2);
    state.counters["gif_frames"] = summary.frames;
    state.counters["gif_MB"] = static_cast<double>(std::filesystem::file_size(dir.file("minute.gif"))) / 1e6;
}
BENCHMARK(BM_GifOfAOneMinuteReplay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_DriveTenThousandFrames(benchmark::State& state) {
    Scratch dir;
    KeyScript script;
    if (!loadDemo(state, script)) return;
    for (auto _ : state) {
        std::string error = driveToFile(kLevel, script, kDriveFrames, dir.file("drive.rec"));
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    setRealTimeRate(state, kDriveFrames);
}
BENCHMARK(BM_DriveTenThousandFrames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
