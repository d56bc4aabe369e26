// Compiling a drawing of shapes into a level of about 5000 triangles, with
// the level check, as zuno-level compile and the page's compileLevel do.
#include <benchmark/benchmark.h>

#include <string>

#include "tools/shapes/shape_compile.h"

namespace {

// 22 strips of ground, each under a jagged profile of 380 steps: the same
// drawing as bench/web/compile_bench.mjs builds.
std::string drawing() {
    std::string text;
    for (int r = 0; r < 22; ++r) {
        const int y0 = 400 + r * 1000;
        text += "shape";
        for (int i = 0; i <= 380; ++i) text += " " + std::to_string(i * 60) + " " + std::to_string(y0 + (i * 37) % 160);
        text += " 22800 " + std::to_string(y0 + 500) + " 0 " + std::to_string(y0 + 500) + "\n";
    }
    return text;
}

void BM_CompileDrawing5000(benchmark::State& state) {
    const std::string source = drawing();
    CompiledLevel level;
    for (auto _ : state) {
        const std::string fault = compileLevel(source, "strips.txt", true, level);
        if (!fault.empty()) state.SkipWithError(fault.c_str());
        benchmark::DoNotOptimize(level.triangles.data());
    }
    state.counters["triangles"] = double(level.triangles.size());
}
BENCHMARK(BM_CompileDrawing5000)->Unit(benchmark::kMillisecond);

}  // namespace
