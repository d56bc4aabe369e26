// Loading the shipped course for the benchmarks.
#include "bench/bench_support.h"

#include <fstream>

#include "app/level_file.h"

std::string loadShippedLevel(Level& l) {
    const std::string path = ZUNO_BINARY_DIR "/0.lev";
    std::ifstream in(path, std::ios::binary);
    if (!in) return path + ": cannot be opened (build the level data first)";
    if (std::string reason = LevelLoader::readWhole(in, l); !reason.empty()) return path + ": " + reason;
    return "";
}
