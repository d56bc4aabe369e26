// Lean cuts: a short edge at a reflex corner kept whole, as the edge of a
// triangle of its own. Its third corner is a whole point of the outline, so
// the pieces together cover the polygon exactly.
#include "tools/shapes/lean_cut.h"

#include <numeric>

#include "tools/levels/level_check.h"
#include "tools/shapes/ear_clip.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_union.h"

namespace {

// The new corner keeps this far from the next one (60 world units).
constexpr int64_t kLeanClearance = 40;
// How far past its end the edge's line may lend the corner, in its lengths.
constexpr int64_t kPastLengths = 2;

}  // namespace

// The short edge a-b at reflex corner b stays an edge, of the triangle a,
// b, z with z along a's other edge, from a towards c, or with past on past
// c. b is then left with a long edge to z, however flat its corner still is.
bool leanCut(Ring& ring, size_t i, Ring& other, bool past) {
    const size_t n = ring.size();
    if (n < 4) return false;
    const IPoint b = ring[i];
    const bool before = length2(ring[(i + n - 1) % n], b) <= length2(b, ring[(i + 1) % n]);
    const size_t ia = before ? (i + n - 1) % n : (i + 1) % n, ic = before ? (i + n - 2) % n : (i + 2) % n;
    const IPoint a = ring[ia], c = ring[ic];
    if (before ? cross(c, a, b) <= 0 : cross(b, a, c) <= 0) return false;  // a must be convex
    const IPoint v{c.x - a.x, c.y - a.y};
    const int64_t g = std::gcd(v.x, v.y);
    const IPoint step{v.x / g, v.y / g};
    // Past c, where c is an inward corner, the line runs on inside: an edge
    // too short for the triangle lends it a corner beyond its end.
    const int64_t last = past && isReflex(ring, ic) ? (1 + kPastLengths) * g : g;
    for (int64_t k = 1; k <= last; ++k) {
        const IPoint z{a.x + step.x * k, a.y + step.y * k};
        const bool beyond = k > g;
        const MeshTriangle t = before ? MeshTriangle{{a, b, z}} : MeshTriangle{{b, a, z}};
        // A new corner just short of c would leave a sliver beside it.
        if (meshThickness(t) < kMinThickness || (z != c && length2(z, c) < kLeanClearance * kLeanClearance)) continue;
        // The new side b-z must run inside, meeting no edge but a's other
        // one (which z lies on) and those at its own ends; beyond c, so
        // must the stretch c-z of the side along a's edge.
        if (!inSector(ring, i, z) || (z == c && !inSector(ring, ic, b)) || (beyond && !inSector(ring, ic, z))) return false;
        for (size_t q = 0; q < n; ++q) {
            const IPoint u = ring[q], w = ring[(q + 1) % n];
            // Nor may the triangle hold a corner, as a hole bridged to z would.
            if (u != a && u != b && u != z && !(beyond && u == c) && triangleHolds(t.v[0], t.v[1], t.v[2], u))
                return false;
            IPoint at;
            if (u == b || w == b || u == z || w == z || (u == a && w == c) || (u == c && w == a)) continue;
            if (segmentsMeet(b, z, u, w, at)) return false;
            if (beyond && u != c && w != c && segmentsMeet(c, z, u, w, at)) return false;
        }
        Ring rest;
        for (size_t q = 0; q < n; ++q)
            if (q == ia) {
                if (z != c) rest.push_back(z);
            } else {
                rest.push_back(ring[q]);
            }
        rest = withoutStraightPoints(rest);
        if (rest.empty() || ringArea(rest) <= 0) return false;
        ring.swap(rest);
        other = before ? Ring{a, b, z} : Ring{b, a, z};
        return true;
    }
    return false;
}
