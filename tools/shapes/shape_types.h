// What the shape compiler passes between its stages: integer points in file
// units, closed outlines, the filled regions read from a source with where
// each came from, and the solid they join into.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct IPoint {
    int64_t x, y;
    bool operator==(const IPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const IPoint& o) const { return !(*this == o); }
    bool operator<(const IPoint& o) const { return x < o.x || (x == o.x && y < o.y); }
};

using Ring = std::vector<IPoint>;  // closed: the last point joins the first

// One filled element of a source: one or more outlines under a fill rule.
struct SourceRegion {
    std::vector<Ring> outlines;
    bool evenOdd = false;  // else nonzero
    int line = 0;          // source line, from 1
    std::string label;     // how messages name it ("shape", "path id=hill")
    std::vector<IPoint> onCurve;  // read with curves flattened evenly: its points on curves, sorted
};

// A connected part of the solid: its outline and the holes in it.
struct SolidPolygon {
    Ring outer;
    std::vector<Ring> holes;
};

// Coordinates a shape may use, in file units. Far beyond any level that
// fits in 5000 triangles, and small enough for exact products in 128 bits.
constexpr int64_t kMaxShapeCoordinate = 10000000;

inline __int128 cross(IPoint o, IPoint a, IPoint b) {
    return __int128(a.x - o.x) * (b.y - o.y) - __int128(a.y - o.y) * (b.x - o.x);
}
