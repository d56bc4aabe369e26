// Loading a level: the shipped course from disk as the periodic reload does
// it, and a full 5000-triangle level from memory.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <vector>

#include "app/level_file.h"
#include "tools/levels/level_bytes.h"

namespace {

void BM_ReloadShippedCourse(benchmark::State& state) {
    std::unique_ptr<Level> l(new Level{});
    LevelLoader loader;
    for (auto _ : state) {
        loader.reload(ZUNO_BINARY_DIR "/0.lev", *l);
        benchmark::DoNotOptimize(l->triangleCount);
    }
    state.counters["triangles"] = l->triangleCount;
}
BENCHMARK(BM_ReloadShippedCourse);

void BM_ReadFullLevelFromMemory(benchmark::State& state) {
    std::vector<FileTriangle> t(kMaxTriangles);
    for (int i = 0; i < kMaxTriangles; ++i) t[size_t(i)] = FileTriangle{{i, -i, i + 7, 2, -2, 3 * i}};
    const std::string bytes = encodeLevel(t);
    std::unique_ptr<Level> l(new Level{});
    for (auto _ : state) {
        std::istringstream in(bytes);
        benchmark::DoNotOptimize(LevelLoader::readWhole(in, *l));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ReadFullLevelFromMemory);

}  // namespace
