// Leaning a long side's triangle through a reflex corner. The corner r is
// nearer the side than a triangle may be thin, so no third corner on the
// near side of r fits, and past it r is in the way, unless the triangle's
// edge runs through r itself: r then lies on that edge (a T-junction, as
// the level allows), and the rest of the outline meets there.
#include "tools/shapes/corner_leans.h"

#include <cmath>
#include <numeric>

#include "tools/levels/level_check.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"

namespace {

constexpr int64_t kFurthest = 64;  // whole points past r weighed, from each end

// Whether segment s0-s1 meets the ring anywhere but at its own ends, where
// those are the ring's corners.
bool crossesRing(const Ring& ring, IPoint s0, IPoint s1) {
    for (size_t k = 0; k < ring.size(); ++k) {
        const IPoint u = ring[k], v = ring[(k + 1) % ring.size()];
        IPoint at{};
        if (!segmentsMeet(s0, s1, u, v, at)) continue;
        const bool sharedEnd = (at == s0 || at == s1) && (at == u || at == v);
        const bool alongIt = cross(s0, s1, u) == 0 && cross(s0, s1, v) == 0;
        if (!sharedEnd || alongIt) return true;
    }
    return false;
}

}  // namespace

std::vector<CornerLean> leansThrough(const Ring& ring, size_t side, size_t r) {
    const size_t n = ring.size();
    const size_t ib = (side + 1) % n;
    std::vector<CornerLean> leans;
    if (n < 4 || r == side || r == ib || !isReflex(ring, r)) return leans;
    const IPoint a = ring[side], b = ring[ib], c = ring[r];
    // cross(a, b, p) / |ab| is p's distance from the side, in file units.
    const double near = kMinThickness / kFileToWorld * std::sqrt(double(length2(a, b)));
    const __int128 along = __int128(c.x - a.x) * (b.x - a.x) + __int128(c.y - a.y) * (b.y - a.y);
    if (cross(a, b, c) <= 0 || double(cross(a, b, c)) >= near || along <= 0 || along >= length2(a, b)) return leans;
    const __int128 whole = ringArea(ring);
    const SolidPolygon polygon{ring, {}};
    for (const bool fromB : {true, false}) {
        const IPoint e = fromB ? b : a;
        const int64_t g = std::gcd(c.x - e.x, c.y - e.y);
        if (g == 0) continue;  // a ring through one point twice
        const IPoint step{(c.x - e.x) / g, (c.y - e.y) / g};
        for (int64_t k = 1; k <= kFurthest; ++k) {
            const IPoint p{c.x + step.x * k, c.y + step.y * k};
            if (double(cross(a, b, p)) < near) continue;
            const MeshTriangle t{{a, b, p}};
            if (meshFaulty(t)) continue;
            if (!polygonHolds(polygon, p) || crossesRing(ring, fromB ? a : b, p) || crossesRing(ring, c, p) ||
                crossesRing(ring, e, c))
                continue;
            bool clear = true;
            for (size_t k2 = 0; k2 < n && clear; ++k2)
                if (k2 != side && k2 != ib && k2 != r && triangleHolds(a, b, p, ring[k2])) clear = false;
            if (!clear) continue;
            CornerLean lean{t, ringSpan(ring, ib, r), ringSpan(ring, r, side)};
            (fromB ? lean.second : lean.first).push_back(p);
            const __int128 tri = cross(a, b, p);
            if (lean.first.size() < 3 || lean.second.size() < 3 || ringArea(lean.first) <= 0 ||
                ringArea(lean.second) <= 0 || ringArea(lean.first) + ringArea(lean.second) + tri != whole)
                continue;
            leans.push_back(std::move(lean));
            break;
        }
    }
    return leans;
}
