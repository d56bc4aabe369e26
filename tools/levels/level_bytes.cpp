// Encoding triangles in file units as a level file's bytes, and back.
#include "tools/levels/level_bytes.h"

namespace {

// Little-endian on every host, as the game reads it.
void encodeInt32(int32_t v, std::string& out) {
    const uint32_t u = uint32_t(v);
    out.push_back(char(u & 0xff));
    out.push_back(char(u >> 8 & 0xff));
    out.push_back(char(u >> 16 & 0xff));
    out.push_back(char(u >> 24 & 0xff));
}

}  // namespace

std::string encodeLevel(const std::vector<FileTriangle>& triangles) {
    std::string out;
    out.reserve(kLevelCountBytes + kLevelTriangleBytes * triangles.size());
    encodeInt32(int32_t(triangles.size()), out);
    for (const FileTriangle& t : triangles)
        for (int32_t c : t.c) encodeInt32(c, out);
    return out;
}

std::vector<FileTriangle> fileTriangles(const Level& l) {
    std::vector<FileTriangle> out;
    const int32_t n = l.triangleCount > 0 ? l.triangleCount : 0;
    out.resize(size_t(n));
    for (int32_t t = 0; t < n; ++t)
        for (int j = 0; j < 3; ++j) {
            // Exact: every stored coordinate is an int32 times 1.5.
            const Vec2& v = l.vertices[3 * t + j];
            out[size_t(t)].c[2 * j] = int32_t(v.x / kFileToWorld);
            out[size_t(t)].c[2 * j + 1] = int32_t(v.y / kFileToWorld);
        }
    return out;
}
