// Files for the tool tests.
#include "tests/tools/tool_files.h"

#include <cstdint>
#include <cstring>

namespace {

void putInt(std::string& out, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(u >> (8 * i)));
}

}  // namespace

std::string floorLevelBytes() {
    const int32_t triangles[][6] = {
        {-600, 300, 1200, 300, 1200, 400},    // floor, below the start pose
        {-600, 300, 1200, 400, -600, 400},
        {1200, 300, 1600, 200, 1600, 400},    // slope up
        {1600, 200, 2400, 200, 1600, 400},    // plateau
        {2400, 200, 2400, 400, 1600, 400},
        {-700, -200, -600, -200, -600, 400},  // wall at the left end
    };
    std::string out;
    putInt(out, static_cast<int32_t>(sizeof triangles / sizeof triangles[0]));
    for (const auto& t : triangles)
        for (int32_t v : t) putInt(out, v);
    return out;
}

std::string recordBytes(const std::vector<double>& values) {
    std::string out;
    for (double v : values) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(bits >> (8 * i)));
    }
    return out;
}

std::vector<std::vector<double>> recordsOf(const std::string& bytes) {
    std::vector<std::vector<double>> records;
    for (std::size_t at = 0; at + 64 <= bytes.size(); at += 64) {
        std::vector<double> r;
        for (int i = 0; i < 8; ++i) {
            uint64_t bits = 0;
            for (int b = 7; b >= 0; --b) bits = (bits << 8) | static_cast<unsigned char>(bytes[at + 8 * i + b]);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            r.push_back(d);
        }
        records.push_back(r);
    }
    return records;
}
